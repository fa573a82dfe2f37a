#pragma once
#include "zentrik/platform/asn1/ASN1Object.h"

namespace Ostrel {

/// NULL (tag 5). The type has a single value, so an ASN1Null is set from the start: a decoded NULL is
/// written again without further calls.
class ZENTRIK_API ASN1Null : public ASN1Object {
  public:
    /// The ASN1ClassBit bits of this class and its bases: what libraryClasses() returns.
    static constexpr std::uint32_t CLASS_BITS = ASN1Object::CLASS_BITS | ASN1ClassBit::NULL_VALUE;
    std::uint32_t libraryClasses() const noexcept override { return CLASS_BITS; }
    /// Whether a value of kind `tag` may be of this class (used by asn1_const_cast).
    static constexpr bool acceptsTag(int tag) noexcept { return tag == ASNTag::ASN1_NULL; }

    ASN1Null() noexcept : ASN1Object(ASNTag::ASN1_NULL) { markSet(); }
    ~ASN1Null() override;

    ASN1Object* clone() const override;
    bool equals(const ASN1Object& other) const override;
    Velmora::String toString() const override;  ///< "NULL"
};

}  // namespace Ostrel
