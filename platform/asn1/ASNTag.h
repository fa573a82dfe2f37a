#pragma once
#include "zentrik/platform/utils/Export.h"

namespace Ostrel {

/// The kind of an ASN.1 value: a universal tag number, or one of the library's markers.
///
/// SEQUENCE, SET and the constructed string forms carry the constructed bit 0x20 in their value (48, 49,
/// 35, 36), as their identifier octet does. The negative values mark kinds that have no universal tag of
/// their own. Any int may be held (ASNTag(11) names a type the coders do not support).
class ZENTRIK_API ASNTag {
  public:
    /// The universal tags the library knows (the constructed forms with 0x20) and its markers.
    enum ASN1_TAG : int {
        BOOLEAN = 1,
        INTEGER = 2,
        BIT_STRING = 3,
        OCTET_STRING = 4,
        ASN1_NULL = 5,
        OBJECT_IDENTIFIER = 6,
        OBJECT_DESCRIPTOR = 7,
        EXTERNAL = 8,
        REAL = 9,
        ENUMERATED = 10,
        UTF8_STRING = 12,
        NUMERIC_STRING = 18,
        PRINTABLE_STRING = 19,
        TELETEX_STRING = 20,
        IA5_STRING = 22,
        UTC_TIME = 23,
        GENERALIZED_TIME = 24,
        VISIBLE_STRING = 26,
        UNIVERSAL_STRING = 28,
        BMP_STRING = 30,
        CONSTRUCTED_BIT_STRING = 35,
        CONSTRUCTED_OCTET_STRING = 36,
        SEQUENCE = 48,
        SET = 49,
        ANY = -4,              ///< a value of any type, written as the value it holds
        CHOICE = -5,           ///< one of several alternatives, written as the chosen one
        TAGGED = -6,           ///< a context-specific or private element kept as its encoding
        SORTED_STRUCTURE = -8  // a SET OF: a structure written with its components sorted
    };

    /// How a value is tagged in front of its own identifier.
    enum CONTEXT : int { UNTAGGED = 0, EXPLICIT = 1, IMPLICIT = 2 };

    /// A tag of the value `value`.
    /// @{
    constexpr ASNTag(ASN1_TAG value) noexcept : value_(value) {}  // NOLINT: a tag converts implicitly
    constexpr explicit ASNTag(int value) noexcept : value_(static_cast<ASN1_TAG>(value)) {}
    /// @}

    /// The tag value.
    constexpr ASN1_TAG getValue() const noexcept { return value_; }

    /// Whether both stand for the same tag value.
    /// @{
    constexpr bool operator==(const ASNTag& other) const noexcept { return value_ == other.value_; }
    constexpr bool operator==(ASN1_TAG other) const noexcept { return value_ == other; }
    /// @}

  private:
    ASN1_TAG value_;
};

}  // namespace Ostrel
