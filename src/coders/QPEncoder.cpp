#include "zentrik/coders/QPEncoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "zentrik/coders/QPKernels.h"

namespace Velmora::qp {

namespace {

constexpr unsigned char kHexDigits[] = "0123456789ABCDEF";
constexpr unsigned int kBreakColumn = 74;  // a byte that brings the column count here starts a new line

// A blank may stay literal only before an octet that is none of these.
constexpr bool endsLineOrBlank(unsigned b) {
    return b == '\r' || b == '\n' || b == ' ' || b == '\t';
}

// How the encoder writes an octet: up to three characters in the low bytes (first character lowest)
// and their number in the top byte.
constexpr std::uint32_t plainCode(unsigned b) {
    return 0x01000000u | b;
}
constexpr std::uint32_t escapeCode(unsigned b) {
    return 0x03000000u | ('=' | static_cast<std::uint32_t>(kHexDigits[b >> 4]) << 8 |
                          static_cast<std::uint32_t>(kHexDigits[b & 0x0F]) << 16);
}
// The code of octet b at index 2 * b + k, where k is 1 when the next octet is a line end or a blank
// (or there is none): a blank stays plain only when k is 0.
constexpr std::array<std::uint32_t, 512> kEncodeCode = [] {
    std::array<std::uint32_t, 512> t{};
    for (unsigned b = 0; b < 256; ++b) {
        const bool plain = b >= 0x21 && b <= 0x7E && b != '=';
        t[2 * b] = plain || isBlank(b) ? plainCode(b) : escapeCode(b);
        t[2 * b + 1] = plain ? plainCode(b) : escapeCode(b);
    }
    return t;
}();
// 1 for the octets after which a blank must be escaped, 0 for the others.
constexpr std::array<unsigned char, 256> kBlankBreaker = [] {
    std::array<unsigned char, 256> t{};
    for (unsigned b = 0; b < 256; ++b) t[b] = endsLineOrBlank(b) ? 1 : 0;
    return t;
}();

ZENTRIK_QP_INLINE std::uint32_t codeOf(unsigned char b, unsigned nextBreaksBlank) {
    return kEncodeCode[2u * b + nextBreaksBlank];
}

// Stores the characters of `code` at `o`, four octets wide: only its length of them count, the
// others are overwritten or lie in the slack of the room.
ZENTRIK_QP_INLINE void storeCode(unsigned char* o, std::uint32_t code) {
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(o, &code, 4);
    } else {
        o[0] = static_cast<unsigned char>(code);
        o[1] = static_cast<unsigned char>(code >> 8);
        o[2] = static_cast<unsigned char>(code >> 16);
    }
}

// Bit k set when p[k] is more than a character copied: an octet to escape, or a blank whose fate
// depends on p[k + 1]; for the 64 octets at `p` (65 are read).
ZENTRIK_QP_INLINE std::uint64_t specialMask(const unsigned char* p) {
    std::uint64_t mask = 0;
#if defined(__SSE2__)
    const auto splat = [](char c) { return _mm_set1_epi8(c); };
    for (unsigned k = 0; k < 64; k += 16) {
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k));
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k + 1));
        // 0x21..0x7E but '=' (signed: 0x80..0xFF are below 0x21)
        const __m128i printable =
            _mm_andnot_si128(_mm_cmpeq_epi8(b, splat('=')),
                             _mm_and_si128(_mm_cmpgt_epi8(b, splat(0x20)), _mm_cmplt_epi8(b, splat(0x7F))));
        const __m128i blank = _mm_or_si128(_mm_cmpeq_epi8(b, splat(' ')), _mm_cmpeq_epi8(b, splat('\t')));
        const __m128i nextBreaks =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(next, splat(' ')), _mm_cmpeq_epi8(next, splat('\t'))),
                         _mm_or_si128(_mm_cmpeq_epi8(next, splat('\r')), _mm_cmpeq_epi8(next, splat('\n'))));
        const __m128i copied = _mm_or_si128(printable, _mm_andnot_si128(nextBreaks, blank));
        const auto bits = static_cast<unsigned>(_mm_movemask_epi8(copied)) ^ 0xFFFFu;
        mask |= std::uint64_t{bits} << k;
    }
#else
    for (unsigned k = 0; k < 64; ++k)
        mask |= std::uint64_t{codeOf(p[k], kBlankBreaker[p[k + 1]]) != plainCode(p[k])} << k;
#endif
    return mask;
}

#if defined(__x86_64__) || defined(__i386__)
// specialMask, 32 octets at a time.
ZENTRIK_QP_AVX2("avx2") std::uint64_t specialMaskAVX2(const unsigned char* p) {
    std::uint64_t mask = 0;
    for (unsigned k = 0; k < 64; k += 32) {
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + k));
        const __m256i next = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + k + 1));
        // 0x21..0x7E but '=' (signed: 0x80..0xFF are below 0x21)
        const __m256i printable =
            _mm256_andnot_si256(_mm256_cmpeq_epi8(b, _mm256_set1_epi8('=')),
                                _mm256_and_si256(_mm256_cmpgt_epi8(b, _mm256_set1_epi8(0x20)),
                                                 _mm256_cmpgt_epi8(_mm256_set1_epi8(0x7F), b)));
        const __m256i blank = _mm256_or_si256(_mm256_cmpeq_epi8(b, _mm256_set1_epi8(' ')),
                                              _mm256_cmpeq_epi8(b, _mm256_set1_epi8('\t')));
        const __m256i nextBreaks =
            _mm256_or_si256(_mm256_or_si256(_mm256_cmpeq_epi8(next, _mm256_set1_epi8(' ')),
                                            _mm256_cmpeq_epi8(next, _mm256_set1_epi8('\t'))),
                            _mm256_or_si256(_mm256_cmpeq_epi8(next, _mm256_set1_epi8('\r')),
                                            _mm256_cmpeq_epi8(next, _mm256_set1_epi8('\n'))));
        const __m256i copied = _mm256_or_si256(printable, _mm256_andnot_si256(nextBreaks, blank));
        const auto bits = static_cast<std::uint32_t>(_mm256_movemask_epi8(copied)) ^ 0xFFFFFFFFu;
        mask |= std::uint64_t{bits} << k;
    }
    return mask;
}

#else
std::uint64_t specialMaskAVX2(const unsigned char* p) {
    return specialMask(p);
}
#endif

}  // namespace

QPEncoder::QPEncoder(bool crlfSoftBreaks) : vector(base64::haveAVX2()), softLength(crlfSoftBreaks ? 3 : 2) {
    std::memcpy(&softBreak, crlfSoftBreaks ? "=\r\n" : "=\n\0", 4);
}

ZENTRIK_QP_INLINE std::size_t QPEncoder::encodeOctets(const unsigned char* p, std::size_t count,
                                                      std::size_t u) {
    for (std::size_t k = 0; k < count; ++k) {
        const std::uint32_t code = codeOf(p[k], kBlankBreaker[p[k + 1]]);
        storeCode(unbroken + u, code);
        u += code >> 24;
    }
    return u;
}

ZENTRIK_QP_INLINE std::size_t QPEncoder::encodeWindow(std::uint64_t special, const unsigned char* window,
                                                      std::size_t u) {
    if (std::popcount(special) > kDenseSpecials) return encodeOctets(window, kWindow, u);
    unsigned done = 0;
    for (; special != 0; special &= special - 1) {
        const auto at = static_cast<unsigned>(std::countr_zero(special));
        copyWide(unbroken + u, window + done, at - done);
        u += at - done;
        const std::uint32_t code = codeOf(window[at], kBlankBreaker[window[at + 1]]);
        storeCode(unbroken + u, code);
        u += code >> 24;
        done = at + 1;
    }
    copyWide(unbroken + u, window + done, kWindow - done);
    return u + kWindow - done;
}

template <std::uint64_t (*kMask)(const unsigned char*)>
ZENTRIK_QP_INLINE std::size_t QPEncoder::encodeWindows(const unsigned char* p, std::size_t n, std::size_t i,
                                                       std::size_t stop, std::size_t& u) {
    for (; i < stop && i + kReadable <= n; i += kWindow) u = encodeWindow(kMask(p + i), p + i, u);
    return i;
}

ZENTRIK_QP_AVX2("avx2,popcnt")
std::size_t QPEncoder::encodeWindowsAVX2(const unsigned char* p, std::size_t n, std::size_t i,
                                         std::size_t stop, std::size_t& u) {
    return encodeWindows<specialMaskAVX2>(p, n, i, stop, u);
}

std::size_t QPEncoder::encodeSlice(const unsigned char* p, std::size_t n, std::size_t i, int following,
                                   std::size_t& length) {
    const std::size_t stop = std::min(n, i + kSlice);
    std::size_t u = 0;
    i = vector ? encodeWindowsAVX2(p, n, i, stop, u) : encodeWindows<specialMask>(p, n, i, stop, u);
    if (i < stop) {  // near the end of the chunk: the rest octet by octet, the last one by `following`
        u = encodeOctets(p + i, n - 1 - i, u);
        const std::uint32_t code =
            codeOf(p[n - 1], following < 0 ? 1u : kBlankBreaker[static_cast<unsigned>(following)]);
        storeCode(unbroken + u, code);
        u += code >> 24;
        i = n;
    }
    length = u;
    return i;
}

// A line breaks before the first octet's characters that would start at column 73 or later: after 73
// characters, or after 74 or 75 when an escape "=XY" begun at column 71 or 72 runs over column 73
// (every '=' of the unbroken text begins an escape). A break is written only when text follows it,
// and the first character after a break is not counted: lines after the first hold one more.
std::size_t QPEncoder::breakLines(std::size_t length, unsigned char* o, std::size_t w) {
    constexpr int kLastStart = static_cast<int>(kBreakColumn) - 1;
    std::size_t r = 0;
    while (r < length) {
        if (column >= kLastStart) {
            std::memcpy(o + w, &softBreak, 4);
            w += softLength;
            column = -1;
        }
        std::size_t cut = r + static_cast<std::size_t>(kLastStart - column);
        if (cut < length) {
            // The '=' two or one before the cut, if it lies on this line, starts an escape over it.
            if (cut >= r + 2 && unbroken[cut - 2] == '=')
                cut += 1;
            else if (unbroken[cut - 1] == '=')
                cut += 2;
        }
        cut = std::min(cut, length);
        copyWide(o + w, unbroken + r, static_cast<unsigned>(cut - r));
        w += cut - r;
        column += static_cast<int>(cut - r);
        r = cut;
    }
    return w;
}

std::size_t QPEncoder::encodeChunk(const unsigned char* p, std::size_t n, int following, unsigned char* o) {
    std::size_t w = 0;
    for (std::size_t i = 0; i < n;) {
        std::size_t length = 0;
        i = encodeSlice(p, n, i, following, length);
        w = breakLines(length, o, w);
    }
    return w;
}

}  // namespace Velmora::qp
