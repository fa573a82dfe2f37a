#include "zentrik/coders/Base64Vector.h"

#include <array>
#include <cstdint>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define ZENTRIK_BASE64_X86 1
#endif

namespace Velmora::base64 {

#if ZENTRIK_BASE64_X86

namespace {

// Nibble tables of the digit test: a character is a digit exactly when the entries of its high and
// its low nibble have no bit in common.
struct NibbleTables {
    std::array<std::int8_t, 16> high{}, low{};
};
constexpr bool isAlphabet(int c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/';
}
constexpr NibbleTables kNibbles = [] {
    NibbleTables t{};
    constexpr int kNoDigits = 0x80;  // high nibbles 0, 1, 8..F hold no digit at all
    for (int h = 0; h < 16; ++h)
        t.high[h] = static_cast<std::int8_t>(h >= 2 && h <= 7 ? 1 << (h - 2) : kNoDigits);
    for (int l = 0; l < 16; ++l) {
        int bits = kNoDigits;
        for (int h = 2; h <= 7; ++h)
            if (!isAlphabet(h << 4 | l)) bits |= 1 << (h - 2);
        t.low[l] = static_cast<std::int8_t>(bits);
    }
    return t;
}();

__attribute__((target("avx2"))) inline __m256i broadcast16(const std::array<std::int8_t, 16>& t) {
    return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(t.data())));
}

}  // namespace

bool haveAVX2() {
    static const bool present = __builtin_cpu_supports("avx2");
    return present;
}

namespace {

// The encoding constants, built once per call of a block loop.
struct EncodeConstants {
    __m256i spread, maskHigh, shiftHigh, maskLow, shiftLow, offsets, k51, k26, k13;
};

__attribute__((target("avx2"))) inline EncodeConstants encodeConstants() {
    EncodeConstants k;
    // Each 32-bit lane takes one group b0 b1 b2 as the bytes b1 b0 b2 b1, from which two multiplies
    // move the four 6-bit values into the four bytes of the lane.
    k.spread = _mm256_setr_epi8(1, 0, 2, 1, 4, 3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10,  //
                                1, 0, 2, 1, 4, 3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10);
    k.maskHigh = _mm256_set1_epi32(0x0FC0FC00);
    k.shiftHigh = _mm256_set1_epi32(0x04000040);
    k.maskLow = _mm256_set1_epi32(0x003F03F0);
    k.shiftLow = _mm256_set1_epi32(0x01000010);
    // Value to character: add an offset picked by range (0..25, 26..51, 52..61, 62, 63).
    k.offsets = _mm256_setr_epi8(71, -4, -4, -4, -4, -4, -4, -4, -4, -4, -4, -19, -16, 65, 0, 0,  //
                                 71, -4, -4, -4, -4, -4, -4, -4, -4, -4, -4, -19, -16, 65, 0, 0);
    k.k51 = _mm256_set1_epi8(51);
    k.k26 = _mm256_set1_epi8(26);
    k.k13 = _mm256_set1_epi8(13);
    return k;
}

// The 32 characters of the 24 octets at `in` (28 are read).
__attribute__((target("avx2"))) inline void encodeBlock(const EncodeConstants& k, const unsigned char* in,
                                                        unsigned char* out) {
    const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 12));
    __m256i v = _mm256_inserti128_si256(_mm256_castsi128_si256(lo), hi, 1);
    v = _mm256_shuffle_epi8(v, k.spread);
    const __m256i a = _mm256_mulhi_epu16(_mm256_and_si256(v, k.maskHigh), k.shiftHigh);
    const __m256i c = _mm256_mullo_epi16(_mm256_and_si256(v, k.maskLow), k.shiftLow);
    const __m256i values = _mm256_or_si256(a, c);
    __m256i range = _mm256_subs_epu8(values, k.k51);
    range = _mm256_or_si256(range, _mm256_and_si256(_mm256_cmpgt_epi8(k.k26, values), k.k13));
    const __m256i chars = _mm256_add_epi8(values, _mm256_shuffle_epi8(k.offsets, range));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), chars);
}

}  // namespace

__attribute__((target("avx2"))) void encodeBlocksAVX2(const unsigned char* in, std::size_t blocks,
                                                      unsigned char* out) {
    const EncodeConstants k = encodeConstants();
    for (std::size_t b = 0; b < blocks; ++b, in += 24, out += 32) encodeBlock(k, in, out);
}

__attribute__((target("avx2"))) void encodeLinesAVX2(const unsigned char* in, std::size_t lines,
                                                     unsigned char* out) {
    const EncodeConstants k = encodeConstants();
    for (std::size_t l = 0; l < lines; ++l, in += 57, out += 78) {
        // 57 octets in three blocks, the last overlapping the second: characters 0..31, 32..63, 44..75.
        encodeBlock(k, in, out);
        encodeBlock(k, in + 24, out + 32);
        encodeBlock(k, in + 33, out + 44);
        out[76] = '\r';
        out[77] = '\n';
    }
}

namespace {

// The decoding constants, built once per call of the block loop.
struct DecodeConstants {
    __m256i high, low, nibble, slash, roll, pairs, quads, order, pack;
};

__attribute__((target("avx2"))) inline DecodeConstants decodeConstants() {
    DecodeConstants k;
    k.high = broadcast16(kNibbles.high);
    k.low = broadcast16(kNibbles.low);
    k.nibble = _mm256_set1_epi8(0x0F);
    k.slash = _mm256_set1_epi8('/');
    // Character to value by high nibble; '/' (0x2F) takes entry 1, '+' entry 2.
    k.roll = _mm256_setr_epi8(0, 16, 19, 4, -65, -65, -71, -71, 0, 0, 0, 0, 0, 0, 0, 0,  //
                              0, 16, 19, 4, -65, -65, -71, -71, 0, 0, 0, 0, 0, 0, 0, 0);
    k.pairs = _mm256_set1_epi32(0x01400140);
    k.quads = _mm256_set1_epi32(0x00011000);
    k.order = _mm256_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1,  //
                               2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1);
    k.pack = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 7);
    return k;
}

// Non-zero bytes where the 32 characters at `text` are not digits.
__attribute__((target("avx2"))) inline __m256i nonDigits(const DecodeConstants& k, __m256i c) {
    const __m256i hiNibbles = _mm256_and_si256(_mm256_srli_epi32(c, 4), k.nibble);
    const __m256i loNibbles = _mm256_and_si256(c, k.nibble);
    return _mm256_and_si256(_mm256_shuffle_epi8(k.high, hiNibbles), _mm256_shuffle_epi8(k.low, loNibbles));
}

// The 24 octets of 32 digits (in the low 24 bytes).
__attribute__((target("avx2"))) inline __m256i decodeDigits(const DecodeConstants& k, __m256i c) {
    const __m256i hiNibbles = _mm256_and_si256(_mm256_srli_epi32(c, 4), k.nibble);
    const __m256i shift =
        _mm256_shuffle_epi8(k.roll, _mm256_add_epi8(_mm256_cmpeq_epi8(c, k.slash), hiNibbles));
    const __m256i values = _mm256_add_epi8(c, shift);
    const __m256i twelve = _mm256_maddubs_epi16(values, k.pairs);
    const __m256i twentyFour = _mm256_madd_epi16(twelve, k.quads);
    return _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(twentyFour, k.order), k.pack);
}

__attribute__((target("avx2"))) inline void store24(unsigned char* out, __m256i bytes) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm256_castsi256_si128(bytes));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 16), _mm256_extracti128_si256(bytes, 1));
}

__attribute__((target("avx2"))) inline __m256i load32(const unsigned char* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

}  // namespace

__attribute__((target("avx2"))) std::size_t decodeBlocksAVX2(const unsigned char* text, std::size_t len,
                                                             unsigned char* out, std::size_t& written,
                                                             bool fetchAhead) {
    constexpr std::size_t kFetchDistance = 4096;
    const DecodeConstants k = decodeConstants();
    std::size_t i = 0, o = 0;
    for (;;) {
        // Lines of 76 digits and CR LF: three blocks, the last overlapping the second, give 57 octets.
        while (i + 78 <= len && text[i + 76] == '\r' && text[i + 77] == '\n') {
            if (fetchAhead)
                _mm_prefetch(reinterpret_cast<const char*>(text + i + kFetchDistance), _MM_HINT_T0);
            const __m256i a = load32(text + i), b = load32(text + i + 32), c = load32(text + i + 44);
            const __m256i bad =
                _mm256_or_si256(_mm256_or_si256(nonDigits(k, a), nonDigits(k, b)), nonDigits(k, c));
            if (!_mm256_testz_si256(bad, bad)) break;
            store24(out + o, decodeDigits(k, a));
            store24(out + o + 24, decodeDigits(k, b));
            store24(out + o + 33, decodeDigits(k, c));
            i += 78;
            o += 57;
        }
        // Unbroken digits: whole blocks.
        const std::size_t start = i;
        while (i + 32 <= len) {
            const __m256i a = load32(text + i);
            const __m256i bad = nonDigits(k, a);
            if (!_mm256_testz_si256(bad, bad)) break;
            store24(out + o, decodeDigits(k, a));
            i += 32;
            o += 24;
        }
        if (i == start) break;
    }
    written = o;
    return i;
}

__attribute__((target("avx2"))) std::size_t countDigitsAVX2(const unsigned char* text, std::size_t len) {
    const DecodeConstants k = decodeConstants();
    const __m256i zero = _mm256_setzero_si256();
    const __m256i pad = _mm256_set1_epi8('=');
    std::size_t counted = 0, i = 0;
    for (; i + 32 <= len; i += 32) {
        const __m256i c = load32(text + i);
        const __m256i digits =
            _mm256_or_si256(_mm256_cmpeq_epi8(nonDigits(k, c), zero), _mm256_cmpeq_epi8(c, pad));
        counted +=
            static_cast<std::size_t>(__builtin_popcount(static_cast<unsigned>(_mm256_movemask_epi8(digits))));
    }
    for (; i < len; ++i) counted += isAlphabet(text[i]) || text[i] == '=' ? 1 : 0;
    return counted;
}

#else

bool haveAVX2() {
    return false;
}
void encodeBlocksAVX2(const unsigned char*, std::size_t, unsigned char*) {}
void encodeLinesAVX2(const unsigned char*, std::size_t, unsigned char*) {}
std::size_t decodeBlocksAVX2(const unsigned char*, std::size_t, unsigned char*, std::size_t& written, bool) {
    written = 0;
    return 0;
}
std::size_t countDigitsAVX2(const unsigned char*, std::size_t) {
    return 0;
}

#endif

}  // namespace Velmora::base64
