#pragma once
#include "zentrik/platform/utils/ByteArray.h"
#include "zentrik/platform/utils/String.h"

namespace Velmora {

// UTF-8 octets of a text, converted both ways without loss for valid input.
class ZENTRIK_API UTF8String {
public:
    explicit UTF8String(const String& text);      // encodes the text
    explicit UTF8String(const ByteArray& octets);  // takes UTF-8 octets as they are

    // Decodes the octets; every invalid sequence becomes the character `replacement`.
    const String toString(unsigned short replacement = 0xFFFD) const;
    const ByteArray& getBytes() const { return octets_; }
    operator const ByteArray&() const { return octets_; }

private:
    ByteArray octets_;
};

}  // namespace Velmora
