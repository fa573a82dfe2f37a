#include "zentrik/coders/Base64Kernels.h"

#include <cstdint>
#include <cstring>

#include "zentrik/coders/Base64Tables.h"
#include "zentrik/coders/Base64Vector.h"

namespace Velmora::base64 {

namespace {

// Four characters of a complete group of three octets.
inline void encodeGroup(const unsigned char* in, unsigned char* out) {
    const std::uint32_t v = (std::uint32_t{in[0]} << 16) | (std::uint32_t{in[1]} << 8) | in[2];
    std::memcpy(out, kPairs.chars[v >> 12], 2);
    std::memcpy(out + 2, kPairs.chars[v & 0xFFF], 2);
}

// Encodes the complete groups of `groups` * 3 octets; two groups at a time where eight octets can be
// loaded. Returns the characters written.
inline std::size_t encodeGroups(const unsigned char* in, std::size_t groups, unsigned char* out) {
    unsigned char* const start = out;
    while (groups >= 3) {  // an 8-octet load reads at most 2 octets past the two groups, still inside
        std::uint64_t x = 0;
        for (int k = 0; k < 8; ++k) x = (x << 8) | in[k];  // big-endian load; compilers make it one
        std::memcpy(out, kPairs.chars[(x >> 52) & 0xFFF], 2);
        std::memcpy(out + 2, kPairs.chars[(x >> 40) & 0xFFF], 2);
        std::memcpy(out + 4, kPairs.chars[(x >> 28) & 0xFFF], 2);
        std::memcpy(out + 6, kPairs.chars[(x >> 16) & 0xFFF], 2);
        in += 6;
        out += 8;
        groups -= 2;
    }
    for (; groups; --groups, in += 3, out += 4) encodeGroup(in, out);
    return static_cast<std::size_t>(out - start);
}

// The last one or two octets, padded with '='.
inline std::size_t encodeTail(const unsigned char* in, std::size_t left, unsigned char* out) {
    if (left == 1) {
        out[0] = kAlphabet[in[0] >> 2];
        out[1] = kAlphabet[(in[0] & 0x03) << 4];
        out[2] = '=';
        out[3] = '=';
        return 4;
    }
    if (left == 2) {
        out[0] = kAlphabet[in[0] >> 2];
        out[1] = kAlphabet[((in[0] & 0x03) << 4) | (in[1] >> 4)];
        out[2] = kAlphabet[(in[1] & 0x0F) << 2];
        out[3] = '=';
        return 4;
    }
    return 0;
}

inline void storeGroup(std::uint32_t bits24, unsigned char* out) {
    out[0] = static_cast<unsigned char>(bits24 >> 16);
    out[1] = static_cast<unsigned char>(bits24 >> 8);
    out[2] = static_cast<unsigned char>(bits24);
}

}  // namespace

std::size_t encodeScalar(const unsigned char* in, std::size_t n, unsigned char* out, bool breakLines) {
    unsigned char* const start = out;
    if (breakLines) {
        for (; n >= kLineInput; n -= kLineInput, in += kLineInput) {
            out += encodeGroups(in, kLineInput / 3, out);
            *out++ = '\r';
            *out++ = '\n';
        }
    }
    const std::size_t groups = n / 3;
    out += encodeGroups(in, groups, out);
    out += encodeTail(in + groups * 3, n % 3, out);
    if (breakLines && n > 0) {
        *out++ = '\r';
        *out++ = '\n';
    }
    return static_cast<std::size_t>(out - start);
}

namespace {

// Where decoding stands: the next character to read and the next octet to write.
struct Cursor {
    std::size_t i = 0, o = 0;
};

// Whole groups of four digits by table, up to the first group that holds anything else.
inline void decodeGroups(const unsigned char* text, std::size_t len, unsigned char* out, Cursor& at) {
    while (at.i + 4 <= len) {
        const unsigned char* g = text + at.i;
        const std::uint32_t x = kDecode.d0[g[0]] | kDecode.d1[g[1]] | kDecode.d2[g[2]] | kDecode.d3[g[3]];
        if (x & kNotDigit) break;
        storeGroup(x, out + at.o);
        at.o += 3;
        at.i += 4;
    }
}

// A line end between whole groups, as in broken lines of 76 characters: steps over it.
inline bool skipLineEnd(const unsigned char* text, std::size_t len, Cursor& at) {
    if (at.i + 2 < len && text[at.i] == '\r' && text[at.i + 1] == '\n') {
        at.i += 2;
        return true;
    }
    return false;
}

// The octets of a final group of `digits` digits gathered in `acc`: 2 give 1 octet, 3 give 2.
inline std::size_t storePartialGroup(std::uint32_t acc, unsigned digits, unsigned char* out) {
    if (digits == 2) {
        out[0] = static_cast<unsigned char>(acc >> 4);
        return 1;
    }
    if (digits == 3) {
        out[0] = static_cast<unsigned char>(acc >> 10);
        out[1] = static_cast<unsigned char>(acc >> 2);
        return 2;
    }
    return 0;
}

// One group digit by digit, across line breaks and other non-digits. True when four digits made a
// whole group; false when a '=' or the end of the text came first, the digits before it decoded, or,
// with kWholeOnly, left unread: the cursor then goes back to where the group began (non-digits
// alone at the end of the text are taken).
template <bool kWholeOnly>
inline bool decodeGroupSlowly(const unsigned char* text, std::size_t len, unsigned char* out, Cursor& at) {
    const std::size_t start = at.i;
    std::uint32_t acc = 0;
    unsigned digits = 0;
    bool equals = false;
    while (at.i < len) {
        const unsigned char c = text[at.i++];
        if (c == '=') {
            equals = true;
            break;
        }
        const int v = kReverse.value[c];
        if (v < 0) continue;
        acc = (acc << 6) | static_cast<std::uint32_t>(v);
        if (++digits == 4) {
            storeGroup(acc, out + at.o);
            at.o += 3;
            return true;
        }
    }
    if constexpr (kWholeOnly) {
        if (digits > 0 || equals) at.i = start;  // non-digits alone at the end are taken
    } else {
        at.o += storePartialGroup(acc, digits, out + at.o);
    }
    return false;
}

// One pass over the text: whole blocks of digits by the vector loop (when asked), whole groups of
// four digits by table, and digit by digit across anything else.
template <bool kVector, bool kWholeOnly = false>
Cursor decodeText(const unsigned char* text, std::size_t len, unsigned char* out) {
    Cursor at;
    do {
        if constexpr (kVector) {
            std::size_t written = 0;
            // Whole groups only is what the input stream asks for, decoding into its reader's chunk.
            at.i += decodeBlocksAVX2(text + at.i, len - at.i, out + at.o, written, kWholeOnly);
            at.o += written;
        }
        decodeGroups(text, len, out, at);
    } while (skipLineEnd(text, len, at) || decodeGroupSlowly<kWholeOnly>(text, len, out, at));
    return at;
}

// Complete groups, `n` a multiple of 3: 24-octet blocks by the vector loop while 4 more octets
// can be read, the rest by table.
std::size_t encodeGroupsVector(const unsigned char* in, std::size_t n, unsigned char* out) {
    const std::size_t blocks = n >= 28 ? (n - 4) / 24 : 0;
    encodeBlocksAVX2(in, blocks, out);
    return blocks * 32 + encodeGroups(in + blocks * 24, (n - blocks * 24) / 3, out + blocks * 32);
}

}  // namespace

std::size_t decodeScalar(const unsigned char* text, std::size_t len, unsigned char* out) {
    return decodeText<false>(text, len, out).o;
}

std::size_t encode(const unsigned char* in, std::size_t n, unsigned char* out, bool breakLines) {
    if (!haveAVX2()) return encodeScalar(in, n, out, breakLines);
    unsigned char* const start = out;
    if (breakLines) {
        // Whole lines by the vector loop while 4 octets past them can be read, the last one or two apart.
        const std::size_t lines = n >= kLineInput + 4 ? (n - 4) / kLineInput : 0;
        encodeLinesAVX2(in, lines, out);
        in += lines * kLineInput;
        n -= lines * kLineInput;
        out += lines * (kLineChars + 2);
        for (; n >= kLineInput; n -= kLineInput, in += kLineInput) {
            out += encodeGroupsVector(in, kLineInput, out);
            *out++ = '\r';
            *out++ = '\n';
        }
    }
    const std::size_t whole = n / 3 * 3;
    out += encodeGroupsVector(in, whole, out);
    out += encodeTail(in + whole, n - whole, out);
    if (breakLines && n > 0) {
        *out++ = '\r';
        *out++ = '\n';
    }
    return static_cast<std::size_t>(out - start);
}

std::size_t decode(const unsigned char* text, std::size_t len, unsigned char* out) {
    return haveAVX2() ? decodeText<true>(text, len, out).o : decodeText<false>(text, len, out).o;
}

std::size_t decodeWholeGroups(const unsigned char* text, std::size_t len, unsigned char* out,
                              std::size_t& consumed) {
    const Cursor at =
        haveAVX2() ? decodeText<true, true>(text, len, out) : decodeText<false, true>(text, len, out);
    consumed = at.i;
    return at.o;
}

std::size_t countDigitsScalar(const unsigned char* text, std::size_t len) {
    std::size_t counted = 0;
    for (std::size_t p = 0; p < len; ++p) counted += kReverse.value[text[p]] >= 0 || text[p] == '=' ? 1 : 0;
    return counted;
}

std::size_t countDigits(const unsigned char* text, std::size_t len) {
    return haveAVX2() ? countDigitsAVX2(text, len) : countDigitsScalar(text, len);
}

}  // namespace Velmora::base64
