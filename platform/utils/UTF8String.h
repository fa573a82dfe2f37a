#pragma once
#include <string>
#include <string_view>

#include "zentrik/platform/utils/ByteArray.h"
#include "zentrik/platform/utils/String.h"

namespace Velmora {

/// UTF-8 octets of a text, converted both ways without loss for valid input.
///
/// The escaped form keeps octets that are not UTF-8 as well: toEscapedString() gives each octet of
/// an ill-formed sequence as the character U+DC00 + octet (U+DC80..U+DCFF, low surrogates that valid
/// UTF-8 never yields), and UTF8String(text) writes those characters back as the octets they stand
/// for. Any octets survive toEscapedString() and UTF8String(text) unchanged.
class ZENTRIK_API UTF8String {
  public:
    /// Encodes the text; U+DC80..U+DCFF become the single octets 0x80..0xFF, other surrogates and
    /// values beyond U+10FFFF become U+FFFD.
    explicit UTF8String(const String& text);
    explicit UTF8String(const ByteArray& octets);  ///< takes UTF-8 octets as they are

    /// Decodes the octets; every invalid sequence becomes the character `replacement`.
    const String toString(unsigned short replacement = 0xFFFD) const;
    /// Decodes the octets; every octet of an invalid sequence becomes U+DC00 + octet.
    const String toEscapedString() const;
    /// The UTF-8 octets; valid while this object lives.
    /// @{
    const ByteArray& getBytes() const { return octets_; }
    operator const ByteArray&() const { return octets_; }
    /// @}


    /// Appends the UTF-8 form of `text` to `out`; surrogates and values beyond U+10FFFF, which have
    /// no UTF-8 form, are written as U+FFFD (the result is always valid UTF-8).
    static void encode(std::u32string_view text, std::string& out);
    /// Decodes `octets`; each maximal ill-formed subsequence (overlong form, encoded surrogate, value
    /// beyond U+10FFFF, truncated sequence, stray continuation octet) gives one `replacement`.
    static std::u32string decode(std::string_view octets, char32_t replacement);
    /// Decodes `octets`; each octet of an ill-formed subsequence gives the character U+DC00 + octet.
    static std::u32string decodeEscaped(std::string_view octets);

  private:
    ByteArray octets_;
};

}  // namespace Velmora
