#pragma once
#include <cstddef>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>

#include "zentrik/platform/utils/Export.h"

namespace Velmora {

class ByteArray;

/// Unicode text held as code points, so that any character survives without loss.
class ZENTRIK_API String {
  public:
    static const String emptyString;                                   ///< an empty text
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);  ///< "not found", "to the end"


    String() = default;
    String(const char* utf8);         ///< UTF-8 text (ASCII literals included)
    String(const std::string& utf8);  ///< UTF-8 text
    String(std::string_view utf8);    ///< UTF-8 text
    /// The code points given, as they are.
    explicit String(std::u32string codePoints) : text_(std::move(codePoints)) {}

    /// This text followed by `other`.
    String operator+(const String& other) const;
    /// Appends a text or one character.
    /// @{
    String& operator+=(const String& other);
    String& operator+=(char32_t c);
    /// @}
    /// Compares code point by code point.
    /// @{
    bool operator==(const String& other) const { return text_ == other.text_; }
    bool operator!=(const String& other) const { return text_ != other.text_; }
    bool operator<(const String& other) const { return text_ < other.text_; }
    /// @}

    /// The number of characters (code points).
    std::size_t length() const { return text_.size(); }
    /// Whether there are no characters.
    bool isEmpty() const { return text_.empty(); }
    /// Character `i`; std::out_of_range past the end.
    char32_t operator[](std::size_t i) const { return text_.at(i); }


    String toLower() const;                                            ///< ASCII and Latin-1 letters
    std::size_t find(const String& what, std::size_t from = 0) const;  ///< npos when absent
    std::size_t find(char32_t c, std::size_t from = 0) const;  ///< npos when absent

    String left(std::size_t pos) const;   ///< the first pos characters
    String right(std::size_t pos) const;  ///< the characters from index pos on
    String substr(std::size_t pos, std::size_t count = npos) const;  ///< clipped to the text

    String& removeLeadingWhites();    ///< spaces, TABs, CR and LF at the front
    String& removeTrailingReturns();  ///< CR and LF at the end

    /// One octet per character, characters 0..255 kept (Latin-1); others become '?'.
    const ByteArray toASCIIByteArray() const;
    /// Two octets per character, most significant first; characters beyond the BMP as surrogate pairs.
    const ByteArray toUCS2ByteArray() const;
    static String fromASCIIByteArray(const ByteArray& bytes);  ///< every octet 0x00..0xFF kept
    static String fromUCS2ByteArray(
        const ByteArray& bytes);  ///< big-endian UTF-16; an odd last octet is dropped
    /// Four octets per character, most significant first, each character the number it is.
    const ByteArray toUCS4ByteArray() const;
    /// Four octets per character, big-endian, every value kept; a last partial character is dropped.
    static String fromUCS4ByteArray(const ByteArray& bytes);

    std::string toUTF8() const;                     ///< always valid UTF-8
    static String fromUTF8(std::string_view utf8);  ///< invalid sequences become U+FFFD
    /// The code points; valid while the text lives unchanged.
    const std::u32string& codePoints() const { return text_; }


  private:
    std::u32string text_;
};

/// Prints the text as UTF-8.
ZENTRIK_API std::ostream& operator<<(std::ostream& out, const String& s);


}  // namespace Velmora

/// @cond HASH
template <>
struct std::hash<Velmora::String> {
    std::size_t operator()(const Velmora::String& s) const noexcept {
        return std::hash<std::u32string>()(s.codePoints());
    }
};
/// @endcond
