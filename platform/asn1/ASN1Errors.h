#pragma once

namespace Ostrel {

/// Error numbers of the ASN.1 object library's own failures. They are raised as Velmora::Exception with
/// the library identifier Exception::LIB_ASN1 (2); the cast failures (23, 29) are ASN1CastException.
namespace ASN1Error {
inline constexpr unsigned int UNKNOWN_TAG = 1;            ///< makeASN1Object has no class for the tag
inline constexpr unsigned int BAD_OBJECT_IDENTIFIER = 2;  ///< dotted text that is not an identifier
inline constexpr unsigned int NULL_COMPONENT = 3;         ///< a null pointer offered as a component/value
inline constexpr unsigned int FOREIGN_SEGMENT = 4;        ///< a string segment of another type
inline constexpr unsigned int STREAM_NOT_COPYABLE = 5;    ///< a streamable OCTET STRING cannot be copied
inline constexpr unsigned int COMPONENT_REFUSED = 6;      ///< a component that breaks the structure's rules
inline constexpr unsigned int CAST_FOREIGN_TAG = 23;      ///< asn1_const_cast: null or a tag of another class
inline constexpr unsigned int CAST_CHOICE = 29;           ///< asn1_const_cast: a CHOICE cast to another class
}  // namespace ASN1Error

}  // namespace Ostrel
