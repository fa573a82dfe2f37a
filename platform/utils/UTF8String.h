#pragma once
#include <string>
#include <string_view>

#include "zentrik/platform/utils/ByteArray.h"
#include "zentrik/platform/utils/String.h"

namespace Velmora {

// UTF-8 octets of a text, converted both ways without loss for valid input.
class ZENTRIK_API UTF8String {
  public:
    explicit UTF8String(const String& text);       // encodes the text
    explicit UTF8String(const ByteArray& octets);  // takes UTF-8 octets as they are

    // Decodes the octets; every invalid sequence becomes the character `replacement`.
    const String toString(unsigned short replacement = 0xFFFD) const;
    const ByteArray& getBytes() const { return octets_; }
    operator const ByteArray&() const { return octets_; }

    // Appends the UTF-8 form of `text` to `out`; surrogates and values beyond U+10FFFF, which have
    // no UTF-8 form, are written as U+FFFD.
    static void encode(std::u32string_view text, std::string& out);
    // Decodes `octets`; each maximal ill-formed subsequence (overlong form, encoded surrogate, value
    // beyond U+10FFFF, truncated sequence, stray continuation octet) gives one `replacement`.
    static std::u32string decode(std::string_view octets, char32_t replacement);

  private:
    ByteArray octets_;
};

}  // namespace Velmora
