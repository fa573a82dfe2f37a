#include "StringText.h"

#include <cstdio>

namespace zcoders {

namespace {

// The octet an invalid character stands for, or -1 when it is a valid character.
int invalidOctet(char32_t c, TextForm form) {
    if (form == TextForm::ascii && c >= 0x80 && c <= 0xFF) return static_cast<int>(c);
    if (form == TextForm::utf8 && c >= 0xDC80 && c <= 0xDCFF) return static_cast<int>(c - 0xDC00);
    return -1;
}

bool isSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

void appendUTF8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void appendEscape(std::string& out, const char* format, unsigned int value) {
    char escape[12];
    std::snprintf(escape, sizeof escape, format, value);
    out += escape;
}

}  // namespace

std::string quotedText(const Velmora::String& text, TextForm form) {
    std::string out = "\"";
    for (char32_t c : text.codePoints()) {
        const int octet = invalidOctet(c, form);
        if (octet >= 0) {
            appendEscape(out, "\\x%02X", static_cast<unsigned int>(octet));
        } else if (c == U'"' || c == U'\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0)) {
            appendEscape(out, "\\x%02X", static_cast<unsigned int>(c));
        } else if (isSurrogate(c) || c > 0x10FFFF) {
            appendEscape(out, "\\u%04X", static_cast<unsigned int>(c));
        } else {
            appendUTF8(out, c);
        }
    }
    return out + "\"";
}

std::string quotedOctets(std::string_view octets) {
    std::string out;
    out.reserve(octets.size() + 2);
    out += '"';
    for (const char c : octets) {
        const auto octet = static_cast<unsigned char>(c);
        if (octet < 0x20 || octet >= 0x7F) {
            appendEscape(out, "\\x%02X", octet);
        } else {
            if (c == '"' || c == '\\') out += '\\';
            out += c;
        }
    }
    out += '"';
    return out;
}

std::string plainText(const Velmora::String& text, TextForm form) {
    std::string out;
    for (char32_t c : text.codePoints())
        appendUTF8(out, invalidOctet(c, form) >= 0 || isSurrogate(c) || c > 0x10FFFF ? U'\uFFFD' : c);
    return out;
}

}  // namespace zcoders
