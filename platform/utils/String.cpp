#include "zentrik/platform/utils/String.h"

#include <algorithm>
#include <ostream>

#include "zentrik/platform/utils/ByteArray.h"
#include "zentrik/platform/utils/UTF8String.h"

namespace Velmora {

namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;

bool isWhite(char32_t c) {
    return c == U' ' || c == U'\t' || c == U'\r' || c == U'\n';
}
bool isReturn(char32_t c) {
    return c == U'\r' || c == U'\n';
}

}  // namespace

const String String::emptyString;

String::String(const char* utf8) : String(utf8 ? std::string_view(utf8) : std::string_view()) {}

String::String(const std::string& utf8) : String(std::string_view(utf8)) {}

String::String(std::string_view utf8) : text_(UTF8String::decode(utf8, kReplacementCharacter)) {}

String String::operator+(const String& other) const {
    std::u32string joined;
    joined.reserve(text_.size() + other.text_.size());
    joined.append(text_).append(other.text_);
    return String(std::move(joined));
}

String& String::operator+=(const String& other) {
    text_ += other.text_;
    return *this;
}

String& String::operator+=(char32_t c) {
    text_ += c;
    return *this;
}

String String::toLower() const {
    std::u32string lower(text_);
    for (char32_t& c : lower) {
        // Basic Latin and Latin-1 capitals sit 0x20 below their small letters (0xD7 is the sign ×).
        if ((c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) c += 0x20;
    }
    return String(std::move(lower));
}

std::size_t String::find(const String& what, std::size_t from) const {
    return text_.find(what.text_, from);
}

std::size_t String::find(char32_t c, std::size_t from) const {
    return text_.find(c, from);
}

String String::left(std::size_t pos) const {
    return String(text_.substr(0, pos));
}

String String::right(std::size_t pos) const {
    return substr(pos);
}

String String::substr(std::size_t pos, std::size_t count) const {
    if (pos >= text_.size()) return String();
    return String(text_.substr(pos, count));
}

String& String::removeLeadingWhites() {
    const auto first = std::find_if_not(text_.begin(), text_.end(), isWhite);
    text_.erase(text_.begin(), first);
    return *this;
}

String& String::removeTrailingReturns() {
    std::size_t end = text_.size();
    while (end > 0 && isReturn(text_[end - 1])) --end;
    text_.resize(end);
    return *this;
}

const ByteArray String::toASCIIByteArray() const {
    ByteArray bytes;
    unsigned char* out = bytes.prepareAppend(text_.size());
    for (char32_t c : text_) *out++ = c <= 0xFF ? static_cast<unsigned char>(c) : '?';
    bytes.setLength(text_.size());
    return bytes;
}

const ByteArray String::toUCS2ByteArray() const {
    std::size_t units = 0;
    for (char32_t c : text_) units += c >= 0x10000 && c <= 0x10FFFF ? 2 : 1;
    ByteArray bytes;
    unsigned char* out = bytes.prepareAppend(2 * units);
    auto put = [&out](char32_t unit) {
        *out++ = static_cast<unsigned char>(unit >> 8);
        *out++ = static_cast<unsigned char>(unit & 0xFF);
    };
    for (char32_t c : text_) {
        if (c > 0x10FFFF) {
            put(kReplacementCharacter);
        } else if (c >= 0x10000) {
            const char32_t offset = c - 0x10000;
            put(0xD800 + (offset >> 10));
            put(0xDC00 + (offset & 0x3FF));
        } else {
            put(c);  // lone surrogates are kept as the code unit they are
        }
    }
    bytes.setLength(2 * units);
    return bytes;
}

String String::fromASCIIByteArray(const ByteArray& bytes) {
    return String(std::u32string(bytes.begin(), bytes.end()));
}

String String::fromUCS2ByteArray(const ByteArray& bytes) {
    const std::size_t units = bytes.size() / 2;
    const unsigned char* in = bytes.data();
    auto unitAt = [in](std::size_t i) -> char32_t { return (char32_t{in[2 * i]} << 8) | in[2 * i + 1]; };
    std::u32string text;
    text.reserve(units);
    for (std::size_t i = 0; i < units; ++i) {
        const char32_t unit = unitAt(i);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units) {
            const char32_t next = unitAt(i + 1);
            if (next >= 0xDC00 && next <= 0xDFFF) {
                text.push_back(0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
                ++i;
                continue;
            }
        }
        text.push_back(unit);  // BMP character, or a surrogate without its partner
    }
    return String(std::move(text));
}

const ByteArray String::toUCS4ByteArray() const {
    ByteArray bytes;
    unsigned char* out = bytes.prepareAppend(4 * text_.size());
    for (char32_t c : text_) {
        *out++ = static_cast<unsigned char>(c >> 24);
        *out++ = static_cast<unsigned char>((c >> 16) & 0xFF);
        *out++ = static_cast<unsigned char>((c >> 8) & 0xFF);
        *out++ = static_cast<unsigned char>(c & 0xFF);
    }
    bytes.setLength(4 * text_.size());
    return bytes;
}

String String::fromUCS4ByteArray(const ByteArray& bytes) {
    const std::size_t count = bytes.size() / 4;
    const unsigned char* in = bytes.data();
    std::u32string text(count, U'\0');
    for (std::size_t i = 0; i < count; ++i, in += 4)
        text[i] = (char32_t{in[0]} << 24) | (char32_t{in[1]} << 16) | (char32_t{in[2]} << 8) | in[3];
    return String(std::move(text));
}

std::string String::toUTF8() const {
    std::string utf8;
    UTF8String::encode(text_, utf8);
    return utf8;
}

String String::fromUTF8(std::string_view utf8) {
    return String(utf8);
}

std::ostream& operator<<(std::ostream& out, const String& s) {
    return out << s.toUTF8();
}

}  // namespace Velmora
