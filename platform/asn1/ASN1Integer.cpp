#include "zentrik/platform/asn1/ASN1Integer.h"

namespace Ostrel {

ASN1Integer::~ASN1Integer() = default;

ASN1Object* ASN1Integer::clone() const {
    return new ASN1Integer(*this);
}

bool ASN1Integer::equals(const ASN1Object& other) const {
    const auto* that = dynamic_cast<const ASN1Integer*>(&other);
    return that != nullptr && sameFrame(other) && (isNull() || value_ == that->value_);
}

Velmora::String ASN1Integer::toString() const {
    if (isNull()) return ASN1Object::toString();
    return Velmora::String(value_.toDecimal());
}

}  // namespace Ostrel
