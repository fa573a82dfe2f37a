#pragma once
#include <cstdint>

#include "zentrik/platform/asn1/ASN1Object.h"
#include "zentrik/platform/utils/BigNumber.h"

namespace Ostrel {

// INTEGER (tag 2), of any size.
class ZENTRIK_API ASN1Integer : public ASN1Object {
  public:
    static constexpr std::uint32_t CLASS_BITS = ASN1Object::CLASS_BITS | ASN1ClassBit::INTEGER;
    std::uint32_t libraryClasses() const noexcept override { return CLASS_BITS; }
    static constexpr bool acceptsTag(int tag) noexcept { return tag == ASNTag::INTEGER; }

    ASN1Integer() noexcept : ASN1Object(ASNTag::INTEGER) {}  // unset
    explicit ASN1Integer(std::int64_t value) : ASN1Object(ASNTag::INTEGER), value_(value) { markSet(); }
    explicit ASN1Integer(const Velmora::BigNumber& value) : ASN1Object(ASNTag::INTEGER), value_(value) {
        markSet();
    }
    ~ASN1Integer() override;

    const Velmora::BigNumber& getValue() const noexcept { return value_; }
    void setValue(const Velmora::BigNumber& value) {
        value_ = value;
        valueChanged();
    }
    void setValue(Velmora::BigNumber&& value) noexcept {
        value_ = std::move(value);
        valueChanged();
    }
    void setValue(std::int64_t value) { setValue(Velmora::BigNumber(value)); }

    ASN1Object* clone() const override;
    bool equals(const ASN1Object& other) const override;
    Velmora::String toString() const override;  // decimal

  private:
    Velmora::BigNumber value_;
};

}  // namespace Ostrel
