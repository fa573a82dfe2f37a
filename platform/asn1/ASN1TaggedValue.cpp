#include "zentrik/platform/asn1/ASN1TaggedValue.h"

#include <string>

namespace Ostrel {

ASN1TaggedValue::ASN1TaggedValue(unsigned int tagNumber, const Velmora::ByteArray& encoding)
    : ASN1TaggedValue(tagNumber) {
    setDERBytes(encoding);
}

ASN1TaggedValue::~ASN1TaggedValue() = default;

void ASN1TaggedValue::setDERBytes(const Velmora::ByteArray& encoding) {
    setDERBytes(Velmora::ByteArray(encoding));
}

void ASN1TaggedValue::setDERBytes(Velmora::ByteArray&& encoding) {
    const bool constructed = !encoding.isEmpty() && (encoding.data()[0] & 0x20) != 0;
    storeDERBytes(std::move(encoding));
    setConstructedFlag(constructed);
}

unsigned char ASN1TaggedValue::getIdentifierOctet() const noexcept {
    const Velmora::ByteArray& der = getDERBytes();
    return der.isEmpty() ? 0 : der.data()[0];
}

ASN1Object* ASN1TaggedValue::clone() const {
    return new ASN1TaggedValue(*this);
}

Velmora::String ASN1TaggedValue::toString() const {
    if (isNull()) return ASN1Object::toString();
    return Velmora::String("[" + std::to_string(taggedValue()) + "] " + getDERBytes().toHex());
}

}  // namespace Ostrel
