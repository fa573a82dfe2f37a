#pragma once
#include "zentrik/platform/asn1/ASN1Object.h"

namespace Ostrel {

/// ENUMERATED (tag 10), held as an int.
class ZENTRIK_API ASN1Enumerated : public ASN1Object {
  public:
    /// The ASN1ClassBit bits of this class and its bases: what libraryClasses() returns.
    static constexpr std::uint32_t CLASS_BITS = ASN1Object::CLASS_BITS | ASN1ClassBit::ENUMERATED;
    std::uint32_t libraryClasses() const noexcept override { return CLASS_BITS; }
    /// Whether a value of kind `tag` may be of this class (used by asn1_const_cast).
    static constexpr bool acceptsTag(int tag) noexcept { return tag == ASNTag::ENUMERATED; }

    ASN1Enumerated() noexcept : ASN1Object(ASNTag::ENUMERATED) {}  // unset
    /// A set ENUMERATED of `value`.
    explicit ASN1Enumerated(int value) noexcept : ASN1Object(ASNTag::ENUMERATED), value_(value) { markSet(); }
    ~ASN1Enumerated() override;

    /// The value; setting it drops a stored encoding.
    /// @{
    int getValue() const noexcept { return value_; }
    void setValue(int value) noexcept {
        value_ = value;
        valueChanged();
    }
    /// @}

    ASN1Object* clone() const override;
    bool equals(const ASN1Object& other) const override;
    Velmora::String toString() const override;  ///< decimal

  private:
    int value_ = 0;
};

}  // namespace Ostrel
