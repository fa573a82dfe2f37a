#include "zentrik/platform/asn1/ASN1BitString.h"

#include <string>

namespace Ostrel {

ASN1BitString::ASN1BitString(const Velmora::ByteArray& bits, unsigned int unusedBits)
    : ASN1SegmentedString(ASNTag::BIT_STRING, bits), unusedBits_(unusedBits), unusedBitsSet_(true) {}

ASN1BitString::~ASN1BitString() = default;

const Velmora::ByteArray ASN1BitString::getValue() const {
    static constexpr SegmentKind kBits{CLASS_BITS, "ASN1BitString::getValue()", "a BIT STRING"};
    return joinedValue(kBits);
}

void ASN1BitString::setValue(const Velmora::ByteArray& bits, unsigned int unusedBits) {
    setValue(Velmora::ByteArray(bits), unusedBits);
}

void ASN1BitString::setValue(Velmora::ByteArray&& bits, unsigned int unusedBits) {
    unusedBits_ = unusedBits;
    unusedBitsSet_ = true;
    replaceContents(std::move(bits));
}

unsigned int ASN1BitString::getNumberOfInsignificantBits() const noexcept {
    const unsigned int count = getNumberOfComponents();
    if (unusedBitsSet_ || count == 0) return unusedBits_;
    const ASN1Object* last = getComponent(count - 1);
    if ((last->libraryClasses() & CLASS_BITS) != CLASS_BITS) return 0;
    return static_cast<const ASN1BitString*>(last)->getNumberOfInsignificantBits();
}

void ASN1BitString::setNumberOfInsignificantBits(unsigned int unusedBits) noexcept {
    unusedBits_ = unusedBits;
    unusedBitsSet_ = true;
}

ASN1Object* ASN1BitString::clone() const {
    return new ASN1BitString(*this);
}

bool ASN1BitString::equals(const ASN1Object& other) const {
    const auto* that = dynamic_cast<const ASN1BitString*>(&other);
    if (!sameForm(other, that)) return false;
    if (isNull()) return true;
    return getNumberOfInsignificantBits() == that->getNumberOfInsignificantBits() && sameContents(*that);
}

Velmora::String ASN1BitString::toString() const {
    if (isNull()) return ASN1Object::toString();
    return Velmora::String(getValue().toHex() + " (" + std::to_string(getNumberOfInsignificantBits()) +
                           " unused bits)");
}

}  // namespace Ostrel
