#include "zentrik/platform/asn1/ASN1BitString.h"

#include <string>

#include "zentrik/platform/asn1/ASN1Errors.h"
#include "zentrik/platform/utils/Exception.h"

namespace Ostrel {

namespace {

const ASN1BitString& segmentAt(const ASN1ComponentList& segments, unsigned int index) {
    const ASN1Object* segment = segments.at(index);
    if ((segment->libraryClasses() & ASN1BitString::CLASS_BITS) != ASN1BitString::CLASS_BITS)
        throw Velmora::Exception(
            Velmora::Exception::LIB_ASN1, ASN1Error::FOREIGN_SEGMENT, "ASN1BitString::getValue()",
            Velmora::String("segment " + std::to_string(index) + " is not a BIT STRING"));
    return static_cast<const ASN1BitString&>(*segment);
}

}  // namespace

ASN1BitString::ASN1BitString(const Velmora::ByteArray& bits, unsigned int unusedBits)
    : ASN1Object(ASNTag::BIT_STRING), bits_(bits), unusedBits_(unusedBits), unusedBitsSet_(true) {
    markSet();
}

ASN1BitString::~ASN1BitString() = default;

const Velmora::ByteArray ASN1BitString::getValue() const {
    if (segments_.empty()) return bits_;
    Velmora::ByteArray all;
    all.reserve(contentSize());
    appendContent(all);
    return all;
}

std::size_t ASN1BitString::contentSize() const {
    if (segments_.empty()) return bits_.size();
    std::size_t total = 0;
    for (unsigned int i = 0; i < segments_.size(); ++i) total += segmentAt(segments_, i).contentSize();
    return total;
}

void ASN1BitString::appendContent(Velmora::ByteArray& out) const {
    if (segments_.empty()) {
        out += bits_;
        return;
    }
    for (unsigned int i = 0; i < segments_.size(); ++i) segmentAt(segments_, i).appendContent(out);
}

void ASN1BitString::setValue(const Velmora::ByteArray& bits, unsigned int unusedBits) {
    setValue(Velmora::ByteArray(bits), unusedBits);
}

void ASN1BitString::setValue(Velmora::ByteArray&& bits, unsigned int unusedBits) {
    bits_ = std::move(bits);
    segments_.clear();
    unusedBits_ = unusedBits;
    unusedBitsSet_ = true;
    updateConstructed();
    valueChanged();
}

unsigned int ASN1BitString::getNumberOfInsignificantBits() const noexcept {
    if (unusedBitsSet_ || segments_.empty()) return unusedBits_;
    const ASN1Object* last = segments_.at(segments_.size() - 1);
    if ((last->libraryClasses() & CLASS_BITS) != CLASS_BITS) return 0;
    return static_cast<const ASN1BitString*>(last)->getNumberOfInsignificantBits();
}

void ASN1BitString::setNumberOfInsignificantBits(unsigned int unusedBits) noexcept {
    unusedBits_ = unusedBits;
    unusedBitsSet_ = true;
}

void ASN1BitString::appendComponent(ASN1Object* segment, int /*where*/) {
    appendComponent(std::unique_ptr<ASN1Object>(segment));
}

void ASN1BitString::appendComponent(std::unique_ptr<ASN1Object> segment) {
    segments_.append(std::move(segment));
    updateConstructed();
    valueChanged();
}

void ASN1BitString::setConstructed(bool constructed) noexcept {
    markedConstructed_ = constructed;
    updateConstructed();
}

ASN1Object* ASN1BitString::clone() const {
    return new ASN1BitString(*this);
}

bool ASN1BitString::equals(const ASN1Object& other) const {
    const auto* that = dynamic_cast<const ASN1BitString*>(&other);
    if (that == nullptr || !sameFrame(other) || isConstructed() != that->isConstructed()) return false;
    if (isNull()) return true;
    return getNumberOfInsignificantBits() == that->getNumberOfInsignificantBits() && bits_ == that->bits_ &&
           segments_.equals(that->segments_);
}

Velmora::String ASN1BitString::toString() const {
    if (isNull()) return ASN1Object::toString();
    return Velmora::String(getValue().toHex() + " (" + std::to_string(getNumberOfInsignificantBits()) +
                           " unused bits)");
}

}  // namespace Ostrel
