#include "zentrik/platform/asn1/ASN1Enumerated.h"

#include <string>

namespace Ostrel {

ASN1Enumerated::~ASN1Enumerated() = default;

ASN1Object* ASN1Enumerated::clone() const {
    return new ASN1Enumerated(*this);
}

bool ASN1Enumerated::equals(const ASN1Object& other) const {
    const auto* that = dynamic_cast<const ASN1Enumerated*>(&other);
    return that != nullptr && sameFrame(other) && (isNull() || value_ == that->value_);
}

Velmora::String ASN1Enumerated::toString() const {
    if (isNull()) return ASN1Object::toString();
    return Velmora::String(std::to_string(value_));
}

}  // namespace Ostrel
