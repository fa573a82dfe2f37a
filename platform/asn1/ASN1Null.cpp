#include "zentrik/platform/asn1/ASN1Null.h"

namespace Ostrel {

ASN1Null::~ASN1Null() = default;

ASN1Object* ASN1Null::clone() const {
    return new ASN1Null(*this);
}

bool ASN1Null::equals(const ASN1Object& other) const {
    return dynamic_cast<const ASN1Null*>(&other) != nullptr && sameFrame(other);
}

Velmora::String ASN1Null::toString() const {
    return Velmora::String("NULL");
}

}  // namespace Ostrel
