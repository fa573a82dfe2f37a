#include <array>
#include <bit>
#include <cstdint>

#include "zentrik/coders/QPKernels.h"

namespace Velmora::qp {

#if defined(__x86_64__) || defined(__i386__)

namespace {

// For each set of kept octets among 8 (bit k for octet k), the shuffle that gathers them in order.
struct GatherTable {
    alignas(8) std::array<std::array<unsigned char, 8>, 256> index{};
    constexpr GatherTable() {
        for (unsigned keep = 0; keep < 256; ++keep) {
            unsigned at = 0;
            for (unsigned k = 0; k < 8; ++k)
                if (keep >> k & 1) index[keep][at++] = static_cast<unsigned char>(k);
            for (; at < 8; ++at) index[keep][at] = 0x80;
        }
    }
};
constexpr GatherTable kGather;

// Value of each octet as a hexadecimal digit (either case), 0x7F for any other octet.
ZENTRIK_QP_AVX2("avx2") inline __m256i hexValues(__m256i c) {
    const __m256i digit = _mm256_sub_epi8(c, _mm256_set1_epi8('0'));
    const __m256i isDigit = _mm256_cmpeq_epi8(_mm256_min_epu8(digit, _mm256_set1_epi8(9)), digit);
    const __m256i letter = _mm256_sub_epi8(_mm256_or_si256(c, _mm256_set1_epi8(0x20)), _mm256_set1_epi8('a'));
    const __m256i isLetter = _mm256_cmpeq_epi8(_mm256_min_epu8(letter, _mm256_set1_epi8(5)), letter);
    const __m256i value =
        _mm256_blendv_epi8(_mm256_set1_epi8(0x7F), _mm256_add_epi8(letter, _mm256_set1_epi8(10)), isLetter);
    return _mm256_blendv_epi8(value, digit, isDigit);
}

ZENTRIK_QP_AVX2("avx2") inline std::uint32_t equalTo(__m256i c, char b) {
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(c, _mm256_set1_epi8(b))));
}

ZENTRIK_QP_AVX2("avx2") inline std::uint32_t lineEnds(__m256i c) {
    return equalTo(c, '\r') | equalTo(c, '\n');
}

// Writes the octets of `decoded` whose bits are set in `keep` at o + w, in order; 8 more may be written.
ZENTRIK_QP_AVX2("avx2")
inline void gather(__m256i decoded, std::uint32_t keep, unsigned char* o, std::size_t& w) {
    alignas(32) unsigned char octets[32];
    _mm256_store_si256(reinterpret_cast<__m256i*>(octets), decoded);
    for (unsigned part = 0; part < 32; part += 8) {
        const unsigned bits = keep >> part & 0xFF;
        const __m128i piece = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(octets + part));
        const __m128i order = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(kGather.index[bits].data()));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(o + w), _mm_shuffle_epi8(piece, order));
        w += static_cast<unsigned>(std::popcount(bits));
    }
}

}  // namespace

ZENTRIK_QP_AVX2("avx2")
std::size_t decodeBlocksAVX2(const unsigned char* p, std::size_t n, std::size_t i, unsigned char* o,
                             std::size_t& w) {
    // A block reads 2 octets past its 32 for the digits of its escapes.
    while (i + 34 <= n) {
        const __m256i c0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i));
        const std::uint32_t all = equalTo(c0, '=');
        if (all == 0) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(o + w), c0);
            w += 32;
            i += 32;
            continue;
        }
        const __m256i c1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i + 1));
        const __m256i c2 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i + 2));
        // An '=' in the last two octets would reach into the next block: the block ends before it.
        const std::uint32_t late = all & 0xC0000000u;
        const unsigned length = late != 0 ? static_cast<unsigned>(std::countr_zero(late)) : 32;
        const std::uint32_t inBlock = length == 32 ? ~0u : (1u << length) - 1;
        const std::uint32_t equals = all & inBlock;
        // An '=' that may be a digit of the one before, or is followed by a space: taken one by one.
        if ((all & (equals << 1 | equals << 2)) != 0 || (equals & equalTo(c1, ' ')) != 0) return i;
        const std::uint32_t after = lineEnds(c1);
        const std::uint32_t escapes = equals & ~after;
        const std::uint32_t breaks = equals & after;
        const std::uint32_t dropped =
            escapes << 1 | escapes << 2 | breaks | breaks << 1 | (breaks & lineEnds(c2)) << 2;
        const __m256i high = _mm256_and_si256(_mm256_slli_epi16(hexValues(c1), 4), _mm256_set1_epi8(-16));
        const __m256i pair = _mm256_or_si256(high, hexValues(c2));
        const __m256i decoded = _mm256_blendv_epi8(c0, pair, _mm256_cmpeq_epi8(c0, _mm256_set1_epi8('=')));
        gather(decoded, ~dropped & inBlock, o, w);
        i += length;
    }
    return i;
}

#else

std::size_t decodeBlocksAVX2(const unsigned char*, std::size_t, std::size_t i, unsigned char*, std::size_t&) {
    return i;
}

#endif

}  // namespace Velmora::qp
