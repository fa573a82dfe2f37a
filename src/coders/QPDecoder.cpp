#include "zentrik/coders/QPDecoder.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "zentrik/coders/QPKernels.h"

namespace Velmora::qp {

namespace {

// Value of a hexadecimal digit, either case; 0x7F for every other octet.
constexpr std::array<unsigned char, 256> kHexValue = [] {
    std::array<unsigned char, 256> t{};
    for (auto& v : t) v = 0x7F;
    for (int c = '0'; c <= '9'; ++c) t[c] = static_cast<unsigned char>(c - '0');
    for (int c = 'A'; c <= 'F'; ++c) t[c] = static_cast<unsigned char>(c - 'A' + 10);
    for (int c = 'a'; c <= 'f'; ++c) t[c] = static_cast<unsigned char>(c - 'a' + 10);
    return t;
}();

// What the octet right after '=' makes of it: an escape "=XY", a soft break, or something the
// states must read (spaces, which may go on past the chunk).
enum class AfterEquals : unsigned char { escape, lineEnd, space };
constexpr std::array<AfterEquals, 256> kAfterEquals = [] {
    std::array<AfterEquals, 256> t{};
    t['\r'] = t['\n'] = AfterEquals::lineEnd;
    t[' '] = AfterEquals::space;
    return t;
}();

ZENTRIK_QP_INLINE unsigned char hexPair(unsigned char high, unsigned char low) {
    return static_cast<unsigned char>(((kHexValue[high] << 4) | kHexValue[low]) & 0xFF);
}

// Bit k set when p[k] is '=', for the 64 octets at `p`.
ZENTRIK_QP_INLINE std::uint64_t equalsMask(const unsigned char* p) {
    std::uint64_t mask = 0;
#if defined(__SSE2__)
    const __m128i equals = _mm_set1_epi8('=');
    for (unsigned k = 0; k < 64; k += 16) {
        const __m128i octets = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k));
        const auto bits = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(octets, equals)));
        mask |= std::uint64_t{bits} << k;
    }
#else
    for (unsigned k = 0; k < 64; ++k) mask |= std::uint64_t{p[k] == '='} << k;
#endif
    return mask;
}

#if defined(__x86_64__) || defined(__i386__)
// equalsMask, 32 octets at a time.
ZENTRIK_QP_AVX2("avx2") std::uint64_t equalsMaskAVX2(const unsigned char* p) {
    const __m256i equals = _mm256_set1_epi8('=');
    const __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
    const auto lowBits = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(low, equals)));
    const auto highBits = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(high, equals)));
    return std::uint64_t{highBits} << 32 | lowBits;
}
#else
std::uint64_t equalsMaskAVX2(const unsigned char* p) {
    return equalsMask(p);
}
#endif

// Takes the '=' at p[0], with p[1] and p[2] readable: writes the octet of an escape "=XY" at o + w,
// steps over a soft break. Returns the octets taken, or 0 when spaces follow the '=' (the states
// read those, as they may run on past the chunk).
ZENTRIK_QP_INLINE unsigned takeEscape(const unsigned char* p, unsigned char* o, std::size_t& w) {
    switch (kAfterEquals[p[1]]) {
        case AfterEquals::escape:
            o[w++] = hexPair(p[1], p[2]);
            return 3;
        case AfterEquals::lineEnd:  // a second CR or LF belongs to the break
            return kAfterEquals[p[2]] == AfterEquals::lineEnd ? 3 : 2;
        case AfterEquals::space:
            break;
    }
    return 0;
}

constexpr unsigned kWindow = 64;
// An escape at the window's end reads 2 octets past it, a wide copy up to 31 past that.
constexpr std::size_t kReadable = kWindow + 2 + 32;

// Windows of 64 octets from p[i] on while 98 can be read and the window starts before `limit`: the
// '=' of a window are found at once and taken in order, the plain octets between them copied in wide
// steps (the room has slack: o + w never passes p + i). Returns where it stopped: near the end, at
// `limit` or past it, or at an '=' that needs the states.
template <std::uint64_t (*kMask)(const unsigned char*)>
ZENTRIK_QP_INLINE std::size_t decodeWindows(const unsigned char* p, std::size_t n, std::size_t i,
                                            unsigned char* o, std::size_t& w, std::size_t limit) {
    while (i + kReadable <= n && i < limit) {
        const unsigned char* window = p + i;
        std::uint64_t mask = kMask(window);
        unsigned done = 0;  // octets of the window taken
        while (mask != 0) {
            const auto at = static_cast<unsigned>(std::countr_zero(mask));
            copyWide(o + w, window + done, at - done);
            w += at - done;
            const unsigned taken = takeEscape(window + at, o, w);
            if (taken == 0) return i + at;
            done = at + taken;
            mask &= ~(((std::uint64_t{1} << taken) - 1) << at);  // an '=' inside an escape is its digit
        }
        if (done < kWindow) {
            copyWide(o + w, window + done, kWindow - done);
            w += kWindow - done;
            done = kWindow;
        }
        i += done;
    }
    return i;
}

// Whole blocks by decodeBlocksAVX2; where it stops, one window the careful way, then blocks again.
// Returns where a window stopped short: near the end, or at an '=' that needs the states.
ZENTRIK_QP_AVX2("avx2")
std::size_t decodeBlocksAndWindows(const unsigned char* p, std::size_t n, std::size_t i, unsigned char* o,
                                   std::size_t& w) {
    for (;;) {
        const std::size_t from = decodeBlocksAVX2(p, n, i, o, w);
        i = decodeWindows<equalsMaskAVX2>(p, n, from, o, w, from + 1);
        if (i < from + kWindow) return i;
    }
}

// Decodes plain octets, escapes and soft breaks from p[i] on, writing at o + w, up to the end of the
// chunk or an '=' that needs the states (followed by spaces, or too near the end); returns where it
// stopped.
template <std::uint64_t (*kMask)(const unsigned char*), bool kBlocks>
ZENTRIK_QP_INLINE std::size_t decodeRun(const unsigned char* p, std::size_t n, std::size_t i,
                                        unsigned char* o, std::size_t& w) {
    if constexpr (kBlocks)
        i = decodeBlocksAndWindows(p, n, i, o, w);
    else
        i = decodeWindows<kMask>(p, n, i, o, w, n);
    for (;;) {
        while (i < n && p[i] != '=') o[w++] = p[i++];
        const unsigned taken = i + 2 < n ? takeEscape(p + i, o, w) : 0;
        if (taken == 0) return i;
        i += taken;
    }
}

// decodeRun built for processors with AVX2, where its wide copies take one instruction.
ZENTRIK_QP_AVX2("avx2")
std::size_t decodeRunAVX2(const unsigned char* p, std::size_t n, std::size_t i, unsigned char* o,
                          std::size_t& w) {
    return decodeRun<equalsMaskAVX2, true>(p, n, i, o, w);
}

}  // namespace

QPDecoder::QPDecoder() : vector(base64::haveAVX2()) {}

std::size_t QPDecoder::decodeChunk(const unsigned char* p, std::size_t n, unsigned char* o) {
    std::size_t i = 0, w = 0;
    while (i < n) {
        if (state != State::plain) {
            if (takePending(p[i], o, w)) ++i;
            continue;
        }
        i = vector ? decodeRunAVX2(p, n, i, o, w) : decodeRun<equalsMask, false>(p, n, i, o, w);
        if (i < n) {  // an '='
            state = State::afterEquals;
            spaces = 0;
            ++i;
        }
    }
    return w;
}

ByteArray QPDecoder::unfinished() const {
    ByteArray rest;
    if (state == State::plain || state == State::afterBreak) return rest;
    rest.append('=');
    if (state == State::breakUnsure) return rest.append(first);
    std::memset(rest.prepareAppend(spaces), ' ', spaces);
    rest.setLength(1 + spaces);
    if (state == State::firstDigit) rest.append(first);
    return rest;
}

bool QPDecoder::takePending(unsigned char b, unsigned char* o, std::size_t& w) {
    switch (state) {
        case State::afterEquals:
            afterEquals(b);
            return true;
        case State::breakUnsure:
        case State::afterBreak:
            state = State::plain;
            return isLineEnd(b);
        case State::firstDigit:
            o[w++] = hexPair(first, b);
            state = State::plain;
            return true;
        case State::plain:
            break;
    }
    return true;
}

void QPDecoder::afterEquals(unsigned char b) {
    if (b == ' ') {
        ++spaces;
        return;
    }
    first = b;
    if (isLineEnd(b))
        state = spaces > 0 ? State::afterBreak : State::breakUnsure;
    else
        state = State::firstDigit;
}

}  // namespace Velmora::qp
