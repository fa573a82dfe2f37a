#include "zentrik/platform/utils/UTF8String.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace Velmora {

namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;
constexpr char32_t kEscapeBase = 0xDC00;  // an escaped octet o is the character U+DC00 + o

// Whether `c` stands for an octet 0x80..0xFF kept by the escaped decoding.
constexpr bool isEscapedOctet(char32_t c) {
    return c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF;
}

// The character actually written for `c`: those without a UTF-8 form become U+FFFD.
constexpr char32_t encodable(char32_t c) {
    return (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF ? kReplacementCharacter : c;
}

constexpr std::size_t octetCount(char32_t c) {
    return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
}

// Octets of the UTF-8 form of `text`; with `escaped`, U+DC80..U+DCFF count one octet each.
std::size_t encodedLength(std::u32string_view text, bool escaped) {
    std::size_t length = 0;
    for (char32_t c : text) length += escaped && isEscapedOctet(c) ? 1 : octetCount(encodable(c));
    return length;
}

// Writes the UTF-8 form of one encodable character at `out`; returns the end of what it wrote.
unsigned char* encodeCharacter(char32_t c, unsigned char* out) {
    if (c < 0x80) {
        *out++ = static_cast<unsigned char>(c);
    } else if (c < 0x800) {
        *out++ = static_cast<unsigned char>(0xC0 | (c >> 6));
        *out++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *out++ = static_cast<unsigned char>(0xE0 | (c >> 12));
        *out++ = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
        *out++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
    } else {
        *out++ = static_cast<unsigned char>(0xF0 | (c >> 18));
        *out++ = static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3F));
        *out++ = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
        *out++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
    }
    return out;
}

// Writes the UTF-8 form of `text` at `out`, which has room for encodedLength(text, escaped) octets.
void encodeInto(std::u32string_view text, unsigned char* out, bool escaped) {
    for (char32_t c : text) {
        if (escaped && isEscapedOctet(c))
            *out++ = static_cast<unsigned char>(c - kEscapeBase);
        else
            out = encodeCharacter(encodable(c), out);
    }
}

// What a lead octet announces in well-formed UTF-8: the length of its sequence (0 for a stray
// continuation octet or a lead that never occurs), its value bits, and the range allowed for the
// second octet, which rules out overlong forms, encoded surrogates and values beyond U+10FFFF
// (Unicode's table of well-formed UTF-8).
struct Lead {
    unsigned char length = 0;
    unsigned char bits = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
};

constexpr Lead leadOf(unsigned int octet) {
    const auto byte = [](unsigned int v) { return static_cast<unsigned char>(v); };
    if (octet >= 0xC2 && octet <= 0xDF) return {2, byte(octet & 0x1F), 0x80, 0xBF};
    if (octet >= 0xE0 && octet <= 0xEF)
        return {3, byte(octet & 0x0F), byte(octet == 0xE0 ? 0xA0 : 0x80), byte(octet == 0xED ? 0x9F : 0xBF)};
    if (octet >= 0xF0 && octet <= 0xF4)
        return {4, byte(octet & 0x07), byte(octet == 0xF0 ? 0x90 : 0x80), byte(octet == 0xF4 ? 0x8F : 0xBF)};
    return {};
}

constexpr std::array<Lead, 256> kLeads = [] {
    std::array<Lead, 256> leads{};
    for (unsigned int octet = 0; octet < 256; ++octet) leads[octet] = leadOf(octet);
    return leads;
}();

// One sequence read from a non-ASCII lead: the character when complete, else the length of the
// maximal ill-formed subsequence (at least the lead; the offending octet starts anew).
struct Sequence {
    char32_t value;
    std::size_t used;
    bool complete;
};

// The octets after the second of a sequence of `Length` octets, `value` holding what came before.
template <std::size_t Length>
inline Sequence readTail(const unsigned char* in, std::size_t available, char32_t value) {
    for (std::size_t used = 2; used < Length; ++used) {
        if (used >= available || (in[used] & 0xC0) != 0x80) return {0, used, false};
        value = (value << 6) | (in[used] & 0x3F);
    }
    return {value, Length, true};
}

inline Sequence readSequence(const unsigned char* in, std::size_t available) {
    const Lead lead = kLeads[in[0]];
    if (lead.length == 0 || available < 2 || in[1] < lead.low || in[1] > lead.high) return {0, 1, false};
    const char32_t value = (char32_t{lead.bits} << 6) | (in[1] & 0x3F);
    // A length known at compile time lets each form run without a loop.
    switch (lead.length) {
        case 2:
            return {value, 2, true};
        case 3:
            return readTail<3>(in, available, value);
        default:
            return readTail<4>(in, available, value);
    }
}

// Decodes `octets`; `illFormed(first, count, out)` writes what stands for an ill-formed subsequence
// and returns the end of what it wrote, one character per octet at most.
template <typename IllFormed>
std::u32string decodeWith(std::string_view octets, IllFormed illFormed) {
    std::u32string text;
    text.resize(octets.size());  // never more characters than octets
    char32_t* out = text.data();
    const auto* in = reinterpret_cast<const unsigned char*>(octets.data());
    const std::size_t size = octets.size();
    std::size_t i = 0;
    while (i < size) {
        if (in[i] < 0x80) [[likely]] {
            *out++ = in[i++];
            continue;
        }
        const Sequence sequence = readSequence(in + i, size - i);
        if (sequence.complete)
            *out++ = sequence.value;
        else
            out = illFormed(in + i, sequence.used, out);
        i += sequence.used;
    }
    text.resize(static_cast<std::size_t>(out - text.data()));
    if (text.size() < text.capacity() / 2) text.shrink_to_fit();  // mostly multi-octet characters
    return text;
}

}  // namespace

UTF8String::UTF8String(const String& text) : octets_() {
    const std::u32string_view codePoints = text.codePoints();
    const std::size_t length = encodedLength(codePoints, true);
    encodeInto(codePoints, octets_.prepareAppend(length), true);
    octets_.setLength(length);
}

UTF8String::UTF8String(const ByteArray& octets) : octets_(octets) {}

const String UTF8String::toString(unsigned short replacement) const {
    return String(decode(octets_.view(), replacement));
}

const String UTF8String::toEscapedString() const {
    return String(decodeEscaped(octets_.view()));
}

void UTF8String::encode(std::u32string_view text, std::string& out) {
    const std::size_t start = out.size();
    out.resize(start + encodedLength(text, false));
    encodeInto(text, reinterpret_cast<unsigned char*>(out.data() + start), false);
}

std::u32string UTF8String::decode(std::string_view octets, char32_t replacement) {
    return decodeWith(octets, [replacement](const unsigned char*, std::size_t, char32_t* out) {
        *out++ = replacement;
        return out;
    });
}

std::u32string UTF8String::decodeEscaped(std::string_view octets) {
    return decodeWith(octets, [](const unsigned char* first, std::size_t count, char32_t* out) {
        for (std::size_t k = 0; k < count; ++k) *out++ = kEscapeBase + first[k];
        return out;
    });
}

}  // namespace Velmora
