#include "zentrik/platform/asn1/ASN1ValueHolder.h"

#include "zentrik/platform/asn1/ASN1Errors.h"
#include "zentrik/platform/utils/Exception.h"

namespace Ostrel {

ASN1ValueHolder::ASN1ValueHolder(ASNTag::ASN1_TAG tag, std::unique_ptr<ASN1Object> value) : ASN1Object(tag) {
    setValue(std::move(value));
}

ASN1ValueHolder::ASN1ValueHolder(const ASN1ValueHolder& other)
    : ASN1Object(other), value_(other.value_ ? other.value_->clone() : nullptr) {}

ASN1ValueHolder& ASN1ValueHolder::operator=(const ASN1ValueHolder& other) {
    if (this != &other) {
        std::unique_ptr<ASN1Object> copy(other.value_ ? other.value_->clone() : nullptr);
        ASN1Object::operator=(other);
        value_ = std::move(copy);
    }
    return *this;
}

ASN1ValueHolder::~ASN1ValueHolder() = default;

void ASN1ValueHolder::setValue(ASN1Object* value) {
    setValue(std::unique_ptr<ASN1Object>(value));
}

void ASN1ValueHolder::setValue(std::unique_ptr<ASN1Object> value) {
    if (!value)
        throw Velmora::Exception(Velmora::Exception::LIB_ASN1, ASN1Error::NULL_COMPONENT,
                                 "ASN1ValueHolder::setValue(ASN1Object*)", "a null pointer is no value");
    value_ = std::move(value);
    valueChanged();
}

void ASN1ValueHolder::setValue(const ASN1Object& value) {
    setValue(std::unique_ptr<ASN1Object>(value.clone()));
}

std::unique_ptr<ASN1Object> ASN1ValueHolder::releaseValue() noexcept {
    std::unique_ptr<ASN1Object> value = std::move(value_);
    markUnset();
    return value;
}

bool ASN1ValueHolder::equals(const ASN1Object& other) const {
    const auto* that = dynamic_cast<const ASN1ValueHolder*>(&other);
    if (that == nullptr || !sameFrame(other)) return false;
    if (!value_ || !that->value_) return !value_ && !that->value_;
    return value_->equals(*that->value_);
}

Velmora::String ASN1ValueHolder::toString() const {
    if (!value_) return ASN1Object::toString();
    return value_->toString();
}

}  // namespace Ostrel
