#include "zentrik/platform/utils/UTF8String.h"

#include <cstddef>
#include <cstdint>

namespace Velmora {

namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;

// The character actually written for `c`: those without a UTF-8 form become U+FFFD.
constexpr char32_t encodable(char32_t c) {
    return (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF ? kReplacementCharacter : c;
}

std::size_t encodedLength(std::u32string_view text) {
    std::size_t length = 0;
    for (char32_t c : text) {
        c = encodable(c);
        length += c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    }
    return length;
}

// Writes the UTF-8 form of `text` at `out`, which has room for encodedLength(text) octets.
void encodeInto(std::u32string_view text, unsigned char* out) {
    for (char32_t c : text) {
        c = encodable(c);
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
    }
}

bool isContinuation(unsigned char octet) {
    return (octet & 0xC0) == 0x80;
}

}  // namespace

UTF8String::UTF8String(const String& text) : octets_() {
    const std::u32string_view codePoints = text.codePoints();
    const std::size_t length = encodedLength(codePoints);
    encodeInto(codePoints, octets_.prepareAppend(length));
    octets_.setLength(length);
}

UTF8String::UTF8String(const ByteArray& octets) : octets_(octets) {}

const String UTF8String::toString(unsigned short replacement) const {
    return String(decode(octets_.view(), replacement));
}

void UTF8String::encode(std::u32string_view text, std::string& out) {
    const std::size_t start = out.size();
    out.resize(start + encodedLength(text));
    encodeInto(text, reinterpret_cast<unsigned char*>(out.data() + start));
}

std::u32string UTF8String::decode(std::string_view octets, char32_t replacement) {
    std::u32string text;
    text.resize(octets.size());  // never more characters than octets
    char32_t* out = text.data();
    const auto* in = reinterpret_cast<const unsigned char*>(octets.data());
    const std::size_t size = octets.size();
    std::size_t i = 0;
    while (i < size) {
        const unsigned char lead = in[i];
        if (lead < 0x80) {
            *out++ = lead;
            ++i;
            continue;
        }
        // Sequence length and the range allowed for the second octet, which rules out overlong
        // forms, encoded surrogates and values beyond U+10FFFF (Unicode's table of well-formed UTF-8).
        std::size_t length;
        unsigned char low = 0x80, high = 0xBF;
        char32_t value;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            value = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            value = lead & 0x0F;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            value = lead & 0x07;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        } else {
            *out++ = replacement;  // stray continuation octet or a lead that never occurs
            ++i;
            continue;
        }
        std::size_t used = 1;
        bool complete = true;
        for (; used < length; ++used) {
            if (i + used >= size) {
                complete = false;
                break;
            }
            const unsigned char next = in[i + used];
            const bool fits = used == 1 ? next >= low && next <= high : isContinuation(next);
            if (!fits) {
                complete = false;
                break;
            }
            value = (value << 6) | (next & 0x3F);
        }
        // An ill-formed sequence is replaced as far as it went well; the offending octet starts anew.
        *out++ = complete ? value : replacement;
        i += used;
    }
    text.resize(static_cast<std::size_t>(out - text.data()));
    if (text.size() < text.capacity() / 2) text.shrink_to_fit();  // mostly multi-octet characters
    return text;
}

}  // namespace Velmora
