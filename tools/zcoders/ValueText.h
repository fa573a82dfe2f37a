#pragma once
// Readable text for ASN.1 types and values, shared by dump and walk.

#include <cstddef>
#include <string>

#include "zentrik/platform/asn1/ASN1Object.h"
#include "zentrik/platform/utils/BigNumber.h"
#include "zentrik/platform/utils/ByteArray.h"
#include "zentrik/platform/utils/String.h"

namespace zcoders {

// Octets shown before a long OCTET or BIT STRING is cut short.
constexpr std::size_t kShortOctets = 32;

// The name of a universal type by its tag number ("INTEGER", "SEQUENCE", "UNIVERSAL 14").
std::string universalTypeName(unsigned int tagNumber);

// "[3]", "[APPLICATION 3]" or "[PRIVATE 3]" by the class bits of an identifier octet.
std::string tagText(unsigned char identifier, unsigned int tagNumber);

// The value of a primitive element as it follows its type: " 65537", " TRUE", " \"text\"",
// ", 20 octets: ..."; "" for NULL, structures and tagged elements.
std::string valueText(const Ostrel::ASN1Object& value, bool full);

// Decimal, followed by the hexadecimal form when the number is large.
std::string integerText(const Velmora::BigNumber& number);

// Text between double quotes, with control characters, quotes and backslashes escaped.
std::string quoted(const Velmora::String& text);

// "N octets: AA BB ..." (cut after kShortOctets octets unless `full`), or "0 octets".
std::string octetsText(const Velmora::ByteArray& octets, bool full);

}  // namespace zcoders
