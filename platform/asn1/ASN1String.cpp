#include "zentrik/platform/asn1/ASN1String.h"

namespace Ostrel {

ASN1String::~ASN1String() = default;

void ASN1String::setValue(const Velmora::String& value) {
    value_ = value;
    encoded_.clear();
    valueChanged();
}

void ASN1String::setValue(Velmora::String&& value) noexcept {
    value_ = std::move(value);
    encoded_.clear();
    valueChanged();
}

bool ASN1String::equals(const ASN1Object& other) const {
    const auto* that = dynamic_cast<const ASN1String*>(&other);
    return that != nullptr && sameFrame(other) && (isNull() || value_ == that->value_);
}

Velmora::String ASN1String::toString() const {
    if (isNull()) return ASN1Object::toString();
    return value_;
}

#define ZENTRIK_ASN1_STRING_MEMBERS(Name) \
    Name::~Name() = default;              \
    ASN1Object* Name::clone() const {     \
        return new Name(*this);           \
    }

ZENTRIK_ASN1_STRING_MEMBERS(ASN1UTF8String)
ZENTRIK_ASN1_STRING_MEMBERS(ASN1NumericString)
ZENTRIK_ASN1_STRING_MEMBERS(ASN1PrintableString)
ZENTRIK_ASN1_STRING_MEMBERS(ASN1TeletexString)
ZENTRIK_ASN1_STRING_MEMBERS(ASN1IA5String)
ZENTRIK_ASN1_STRING_MEMBERS(ASN1VisibleString)
ZENTRIK_ASN1_STRING_MEMBERS(ASN1UniversalString)
ZENTRIK_ASN1_STRING_MEMBERS(ASN1BMPString)

#undef ZENTRIK_ASN1_STRING_MEMBERS

}  // namespace Ostrel
