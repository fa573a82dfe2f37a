#include "zentrik/platform/asn1/ASN1Integer.h"

namespace Ostrel {

namespace {
// The number of leading octets of two's-complement contents that only repeat the sign of the next one.
std::size_t redundantSignOctets(const unsigned char* octets, std::size_t count) noexcept {
    std::size_t skip = 0;
    while (skip + 1 < count && ((octets[skip] == 0x00 && !(octets[skip + 1] & 0x80)) ||
                                (octets[skip] == 0xFF && (octets[skip + 1] & 0x80))))
        ++skip;
    return skip;
}
}  // namespace

ASN1Integer::~ASN1Integer() = default;

const Velmora::BigNumber& ASN1Integer::getValue() const {
    if (const Velmora::BigNumber* number = cachedForm<Velmora::BigNumber>()) return *number;
    if (octets_.empty()) {  // unset: zero
        static const Velmora::BigNumber zero;
        return zero;
    }
    Velmora::BigNumber magnitude = Velmora::BigNumber::fromBigEndian(octets_.toByteArray());
    return cacheForm((octets_.data()[0] & 0x80) ? magnitude.twosComplement() : std::move(magnitude));
}

void ASN1Integer::setContentOctets(const unsigned char* octets, std::size_t count) {
    static const unsigned char zero = 0x00;
    if (count == 0) {
        octets = &zero;
        count = 1;
    }
    const std::size_t skip = redundantSignOctets(octets, count);
    ASN1ContentOctets kept;
    kept.assign(octets + skip, count - skip);
    octets_ = std::move(kept);
    dropCachedForm();
    valueChanged();
}

void ASN1Integer::setContentOctets(Velmora::ByteArray&& octets) {
    setContentOctets(octets.data(), octets.size());
}

ASN1Object* ASN1Integer::clone() const {
    return new ASN1Integer(*this);
}

bool ASN1Integer::equals(const ASN1Object& other) const {
    const auto* that = dynamic_cast<const ASN1Integer*>(&other);
    return that != nullptr && sameFrame(other) && (isNull() || getValue() == that->getValue());
}

Velmora::String ASN1Integer::toString() const {
    if (isNull()) return ASN1Object::toString();
    return Velmora::String(getValue().toDecimal());
}

}  // namespace Ostrel
