#include "JsonText.h"

#include <cstdio>

namespace zcoders {

namespace {

// The length of the well-formed UTF-8 sequence starting at `at`, or 0.
std::size_t utf8Sequence(std::string_view text, std::size_t at) {
    const auto octet = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = octet(at);
    std::size_t length = 0;
    unsigned int low = 0x80;
    unsigned int high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4) length = 4;
    else return 0;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
    if (at + length > text.size()) return 0;
    if (octet(at + 1) < low || octet(at + 1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (octet(at + i) < 0x80 || octet(at + i) > 0xBF) return 0;
    return length;
}

void appendEscape(std::string& out, unsigned int codePoint) {
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\u%04x", codePoint);
    out += escape;
}

}  // namespace

std::string jsonString(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    for (std::size_t at = 0; at < text.size();) {
        const auto c = static_cast<unsigned char>(text[at]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c < 0x20 || c == 0x7F) {
            appendEscape(out, c);
        } else if (c >= 0x80) {
            const std::size_t length = utf8Sequence(text, at);
            if (length == 0) {
                appendEscape(out, c);
                ++at;
                continue;
            }
            out.append(text.substr(at, length));
            at += length;
            continue;
        } else {
            out += static_cast<char>(c);
        }
        ++at;
    }
    out += '"';
    return out;
}

}  // namespace zcoders
