#include "zentrik/platform/asn1/ASN1Time.h"

namespace Ostrel {

ASN1Time::~ASN1Time() = default;
ASN1UTCTime::~ASN1UTCTime() = default;
ASN1GeneralizedTime::~ASN1GeneralizedTime() = default;

const Velmora::String& ASN1Time::getValue() const {
    if (const Velmora::String* text = cachedForm<Velmora::String>()) return *text;
    static const Velmora::String none;  // unset
    return textFromOctets_ ? cacheForm(Velmora::String::fromASCIIByteArray(octets_.toByteArray())) : none;
}

void ASN1Time::setContentOctets(const unsigned char* octets, std::size_t count) {
    octets_.assign(octets, count);
    hasOctets_ = true;
    dropCachedForm();
    textFromOctets_ = true;
    valueChanged();
}

bool ASN1Time::equals(const ASN1Object& other) const {
    const auto* that = dynamic_cast<const ASN1Time*>(&other);
    return that != nullptr && sameFrame(other) && (isNull() || getValue() == that->getValue());
}

Velmora::String ASN1Time::toString() const {
    if (isNull()) return ASN1Object::toString();
    return getValue();
}

ASN1Object* ASN1UTCTime::clone() const {
    return new ASN1UTCTime(*this);
}

ASN1Object* ASN1GeneralizedTime::clone() const {
    return new ASN1GeneralizedTime(*this);
}

}  // namespace Ostrel
