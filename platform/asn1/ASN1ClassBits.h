#pragma once
#include <cstdint>

namespace Ostrel {

/// One bit per class of the library that asn1_const_cast can target. A value reports the bits of every
/// library class it is an instance of (ASN1Object::libraryClasses()), so that the cast can tell a real
/// ASN1Integer from a class of the caller's own that merely uses the INTEGER tag, without RTTI.
namespace ASN1ClassBit {
/// The bit of each class, named after it (NULL_VALUE for ASN1Null, STRUCTURED for ASNStructured,
/// TIME, STRING and VALUE_HOLDER for the bases).
/// @{
inline constexpr std::uint32_t BOOLEAN = 1u << 0;
inline constexpr std::uint32_t INTEGER = 1u << 1;
inline constexpr std::uint32_t BIT_STRING = 1u << 2;
inline constexpr std::uint32_t OCTET_STRING = 1u << 3;
inline constexpr std::uint32_t NULL_VALUE = 1u << 4;
inline constexpr std::uint32_t OBJECT_IDENTIFIER = 1u << 5;
inline constexpr std::uint32_t ENUMERATED = 1u << 6;
inline constexpr std::uint32_t STRING = 1u << 7;
inline constexpr std::uint32_t UTF8_STRING = 1u << 8;
inline constexpr std::uint32_t NUMERIC_STRING = 1u << 9;
inline constexpr std::uint32_t PRINTABLE_STRING = 1u << 10;
inline constexpr std::uint32_t TELETEX_STRING = 1u << 11;
inline constexpr std::uint32_t IA5_STRING = 1u << 12;
inline constexpr std::uint32_t VISIBLE_STRING = 1u << 13;
inline constexpr std::uint32_t UNIVERSAL_STRING = 1u << 14;
inline constexpr std::uint32_t BMP_STRING = 1u << 15;
inline constexpr std::uint32_t TIME = 1u << 16;
inline constexpr std::uint32_t UTC_TIME = 1u << 17;
inline constexpr std::uint32_t GENERALIZED_TIME = 1u << 18;
inline constexpr std::uint32_t STRUCTURED = 1u << 19;
inline constexpr std::uint32_t SEQUENCE = 1u << 20;
inline constexpr std::uint32_t SET = 1u << 21;
inline constexpr std::uint32_t SET_OF = 1u << 22;
inline constexpr std::uint32_t VALUE_HOLDER = 1u << 23;
inline constexpr std::uint32_t CHOICE = 1u << 24;
inline constexpr std::uint32_t ANY = 1u << 25;
inline constexpr std::uint32_t TAGGED_VALUE = 1u << 26;
/// @}
}  // namespace ASN1ClassBit

}  // namespace Ostrel
