#pragma once
#include "zentrik/platform/asn1/ASN1Object.h"

namespace Ostrel {

/// BOOLEAN (tag 1).
class ZENTRIK_API ASN1Boolean : public ASN1Object {
  public:
    /// The ASN1ClassBit bits of this class and its bases: what libraryClasses() returns.
    static constexpr std::uint32_t CLASS_BITS = ASN1Object::CLASS_BITS | ASN1ClassBit::BOOLEAN;
    std::uint32_t libraryClasses() const noexcept override { return CLASS_BITS; }
    /// Whether a value of kind `tag` may be of this class (used by asn1_const_cast).
    static constexpr bool acceptsTag(int tag) noexcept { return tag == ASNTag::BOOLEAN; }

    ASN1Boolean() noexcept : ASN1Object(ASNTag::BOOLEAN) {}  // unset
    /// A set BOOLEAN of `value`.
    explicit ASN1Boolean(bool value) noexcept : ASN1Object(ASNTag::BOOLEAN), value_(value) { markSet(); }
    ~ASN1Boolean() override;

    /// The value; setting it drops a stored encoding.
    /// @{
    bool getValue() const noexcept { return value_; }
    void setValue(bool value) noexcept {
        value_ = value;
        valueChanged();
    }
    /// @}

    ASN1Object* clone() const override;
    bool equals(const ASN1Object& other) const override;
    Velmora::String toString() const override;

  private:
    bool value_ = false;
};

}  // namespace Ostrel
