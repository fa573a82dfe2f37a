#pragma once
#include <type_traits>

#include "zentrik/platform/asn1/ASN1CastException.h"
#include "zentrik/platform/asn1/ASN1Choice.h"
#include "zentrik/platform/asn1/ASN1Errors.h"
#include "zentrik/platform/asn1/ASN1Object.h"

namespace Ostrel {

/// Checked downcast by tag. T names the tags it stands for with `static constexpr bool acceptsTag(int)`
/// (ASN1Integer: 2; ASN1String: 12, 18, 19, 20, 22, 26, 28, 30; ASNStructured: 48, 49, -8; ...).
/// Throws ASN1CastException 29 when the value is a CHOICE and T is not ASN1Choice, and 23 when the value
/// is null, its tag is not one of T's, or it is no instance of T after all (a class of the caller's own
/// that borrows a tag); the last test compares class bits, so the cast costs no RTTI look-up.
template <typename T>
const T* asn1_const_cast(const ASN1Object* value) {
    static_assert(std::is_base_of_v<ASN1Object, T>, "asn1_const_cast targets ASN.1 value classes");
    static_assert(T::CLASS_BITS != 0, "asn1_const_cast targets the library's value classes");
    if (value == nullptr) throw ASN1CastException(ASN1Error::CAST_FOREIGN_TAG);
    if constexpr (!std::is_same_v<T, ASN1Choice>) {
        if (value->getTagValue() == ASNTag::CHOICE) throw ASN1CastException(ASN1Error::CAST_CHOICE);
    }
    if (!T::acceptsTag(value->getTag().getValue()) ||
        (value->libraryClasses() & T::CLASS_BITS) != T::CLASS_BITS)
        throw ASN1CastException(ASN1Error::CAST_FOREIGN_TAG);
    return static_cast<const T*>(value);
}

/// The same check for a value that may be changed.
template <typename T>
T* asn1_cast(ASN1Object* value) {
    return const_cast<T*>(asn1_const_cast<T>(static_cast<const ASN1Object*>(value)));
}

}  // namespace Ostrel
