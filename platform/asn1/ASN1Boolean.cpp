#include "zentrik/platform/asn1/ASN1Boolean.h"

namespace Ostrel {

ASN1Boolean::~ASN1Boolean() = default;

ASN1Object* ASN1Boolean::clone() const {
    return new ASN1Boolean(*this);
}

bool ASN1Boolean::equals(const ASN1Object& other) const {
    const auto* that = dynamic_cast<const ASN1Boolean*>(&other);
    return that != nullptr && sameFrame(other) && (isNull() || value_ == that->value_);
}

Velmora::String ASN1Boolean::toString() const {
    if (isNull()) return ASN1Object::toString();
    return Velmora::String(value_ ? "TRUE" : "FALSE");
}

}  // namespace Ostrel
