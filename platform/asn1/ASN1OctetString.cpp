#include "zentrik/platform/asn1/ASN1OctetString.h"

#include <string>

#include "zentrik/platform/asn1/ASN1Errors.h"
#include "zentrik/platform/utils/Exception.h"

namespace Ostrel {

namespace {

const ASN1OctetString& segmentAt(const ASN1ComponentList& segments, unsigned int index) {
    const ASN1Object* segment = segments.at(index);
    if ((segment->libraryClasses() & ASN1OctetString::CLASS_BITS) != ASN1OctetString::CLASS_BITS)
        throw Velmora::Exception(
            Velmora::Exception::LIB_ASN1, ASN1Error::FOREIGN_SEGMENT, "ASN1OctetString::getValue()",
            Velmora::String("segment " + std::to_string(index) + " is not an OCTET STRING"));
    return static_cast<const ASN1OctetString&>(*segment);
}

[[noreturn]] void refuseCopy() {
    throw Velmora::Exception(Velmora::Exception::LIB_ASN1, ASN1Error::STREAM_NOT_COPYABLE,
                             "ASN1OctetString::ASN1OctetString(const ASN1OctetString&)",
                             "a streamable OCTET STRING owns its stream and cannot be copied");
}

}  // namespace

ASN1OctetString::ASN1OctetString(const Velmora::ByteArray& value)
    : ASN1Object(ASNTag::OCTET_STRING), value_(value) {
    markSet();
}

ASN1OctetString::ASN1OctetString(Velmora::ByteArray&& value) noexcept
    : ASN1Object(ASNTag::OCTET_STRING), value_(std::move(value)) {
    markSet();
}

ASN1OctetString::ASN1OctetString(std::unique_ptr<Velmora::InputStream> stream)
    : ASN1Object(ASNTag::OCTET_STRING) {
    setInputStream(std::move(stream));
}

ASN1OctetString::ASN1OctetString(const ASN1OctetString& other)
    : ASN1Object(other),
      value_(other.value_),
      segments_(other.stream_ ? ASN1ComponentList() : other.segments_),
      markedConstructed_(other.markedConstructed_) {
    if (other.stream_) refuseCopy();
}

ASN1OctetString& ASN1OctetString::operator=(const ASN1OctetString& other) {
    if (this != &other) {
        if (other.stream_) refuseCopy();
        ASN1OctetString copy(other);
        *this = std::move(copy);
    }
    return *this;
}

ASN1OctetString::~ASN1OctetString() = default;

const Velmora::ByteArray ASN1OctetString::getValue() const {
    if (segments_.empty()) return value_;
    Velmora::ByteArray all;
    all.reserve(contentSize());
    appendContent(all);
    return all;
}

std::size_t ASN1OctetString::contentSize() const {
    if (segments_.empty()) return value_.size();
    std::size_t total = 0;
    for (unsigned int i = 0; i < segments_.size(); ++i) total += segmentAt(segments_, i).contentSize();
    return total;
}

void ASN1OctetString::appendContent(Velmora::ByteArray& out) const {
    if (segments_.empty()) {
        out += value_;
        return;
    }
    for (unsigned int i = 0; i < segments_.size(); ++i) segmentAt(segments_, i).appendContent(out);
}

void ASN1OctetString::setValue(const Velmora::ByteArray& value) {
    setValue(Velmora::ByteArray(value));
}

void ASN1OctetString::setValue(Velmora::ByteArray&& value) noexcept {
    value_ = std::move(value);
    segments_.clear();
    stream_.reset();
    updateConstructed();
    valueChanged();
}

void ASN1OctetString::appendComponent(ASN1Object* segment, int /*where*/) {
    appendComponent(std::unique_ptr<ASN1Object>(segment));
}

void ASN1OctetString::appendComponent(std::unique_ptr<ASN1Object> segment) {
    segments_.append(std::move(segment));
    updateConstructed();
    valueChanged();
}

void ASN1OctetString::setConstructed(bool constructed) noexcept {
    markedConstructed_ = constructed;
    updateConstructed();
}

void ASN1OctetString::setInputStream(std::unique_ptr<Velmora::InputStream> stream) {
    const bool streamed = stream != nullptr;
    stream_ = std::move(stream);
    if (streamed) {
        value_.clear();
        segments_.clear();
        updateConstructed();
        valueChanged();
    }
}

ASN1Object* ASN1OctetString::clone() const {
    return new ASN1OctetString(*this);
}

bool ASN1OctetString::equals(const ASN1Object& other) const {
    const auto* that = dynamic_cast<const ASN1OctetString*>(&other);
    if (that == nullptr || !sameFrame(other) || isConstructed() != that->isConstructed()) return false;
    if (stream_ || that->stream_) return this == that;
    if (isNull()) return true;
    return value_ == that->value_ && segments_.equals(that->segments_);
}

Velmora::String ASN1OctetString::toString() const {
    if (isNull()) return ASN1Object::toString();
    if (stream_) return Velmora::String("<streamed contents>");
    return Velmora::String(getValue().toHex());
}

}  // namespace Ostrel
