#include "zentrik/platform/asn1/ASN1Any.h"

namespace Ostrel {

ASN1Any::ASN1Any(const ASN1Object& value) : ASN1ValueHolder(ASNTag::ANY) {
    setValue(value);
}

ASN1Any::~ASN1Any() = default;

ASN1Object* ASN1Any::clone() const {
    return new ASN1Any(*this);
}

}  // namespace Ostrel
