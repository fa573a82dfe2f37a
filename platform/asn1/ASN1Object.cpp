#include "zentrik/platform/asn1/ASN1Object.h"

#include <ostream>
#include <string>

#include "zentrik/platform/asn1/ASN1Any.h"
#include "zentrik/platform/asn1/ASN1BitString.h"
#include "zentrik/platform/asn1/ASN1Boolean.h"
#include "zentrik/platform/asn1/ASN1Choice.h"
#include "zentrik/platform/asn1/ASN1Enumerated.h"
#include "zentrik/platform/asn1/ASN1Errors.h"
#include "zentrik/platform/asn1/ASN1Integer.h"
#include "zentrik/platform/asn1/ASN1Null.h"
#include "zentrik/platform/asn1/ASN1ObjectIdentifier.h"
#include "zentrik/platform/asn1/ASN1OctetString.h"
#include "zentrik/platform/asn1/ASN1String.h"
#include "zentrik/platform/asn1/ASN1TaggedValue.h"
#include "zentrik/platform/asn1/ASN1ValueCache.h"
#include "zentrik/platform/asn1/ASN1Time.h"
#include "zentrik/platform/asn1/ASNStructured.h"
#include "zentrik/platform/utils/Exception.h"

namespace Ostrel {

ASN1Object::ASN1Object(const ASN1Object& other)
    : extra_(other.extra_ ? new Extra(*other.extra_) : nullptr),
      tag_(other.tag_),
      constructed_(other.constructed_),
      optional_(other.optional_),
      null_(other.null_) {}

ASN1Object& ASN1Object::operator=(const ASN1Object& other) {
    if (this != &other) {
        extra_.reset(other.extra_ ? new Extra(*other.extra_) : nullptr);
        tag_ = other.tag_;
        constructed_ = other.constructed_;
        optional_ = other.optional_;
        null_ = other.null_;
    }
    return *this;
}

ASN1Object::Extra& ASN1Object::extra() const {
    if (!extra_) extra_.reset(new Extra());
    return *extra_;
}

void ASN1Object::deleteExtra(Extra* extra) noexcept {
    delete extra;
}

void ASN1Object::storeDERBytes(Velmora::ByteArray&& der) {
    if (der.isEmpty()) {
        if (extra_) extra_->der.clear();
        return;
    }
    extra().der = std::move(der);
    null_ = false;
}

void ASN1Object::setImplicitTag(unsigned int tagNumber) {
    Extra& e = extra();
    e.context = ASNTag::IMPLICIT;
    e.tagNumber = tagNumber;
}

void ASN1Object::setExplicitTag(unsigned int tagNumber) {
    Extra& e = extra();
    e.context = ASNTag::EXPLICIT;
    e.tagNumber = tagNumber;
}

void ASN1Object::setDERBytes(const Velmora::ByteArray& der) {
    storeDERBytes(Velmora::ByteArray(der));
}

void ASN1Object::setDERBytes(Velmora::ByteArray&& der) {
    setDERBytes(static_cast<const Velmora::ByteArray&>(der));
}

bool ASN1Object::sameFrame(const ASN1Object& other) const noexcept {
    return tag_ == other.tag_ && taggedContext() == other.taggedContext() && taggedValue() == other.taggedValue() &&
           null_ == other.null_ && getDERBytes() == other.getDERBytes();
}

bool ASN1Object::equals(const ASN1Object& other) const {
    return sameFrame(other);
}

Velmora::String ASN1Object::toString() const {
    if (isNull()) return Velmora::String("<unset>");
    if (!getDERBytes().isEmpty()) return Velmora::String(getDERBytes().toHex());
    return Velmora::String("<value of kind " + std::to_string(static_cast<int>(tag_)) + ">");
}

namespace {

template <typename T>
ASN1Object* make() {
    return new T();
}

// A constructed string made for the identifier values 35 and 36.
template <typename T>
ASN1Object* makeConstructed() {
    auto* value = new T();
    value->setConstructed(true);
    return value;
}

}  // namespace

ASN1Object* ASN1Object::makeASN1Object(ASNTag::ASN1_TAG tag, unsigned int tagNumber) {
    switch (tag) {
        case ASNTag::BOOLEAN:
            return make<ASN1Boolean>();
        case ASNTag::INTEGER:
            return make<ASN1Integer>();
        case ASNTag::BIT_STRING:
            return make<ASN1BitString>();
        case ASNTag::OCTET_STRING:
            return make<ASN1OctetString>();
        case ASNTag::ASN1_NULL:
            return make<ASN1Null>();
        case ASNTag::OBJECT_IDENTIFIER:
            return make<ASN1ObjectIdentifier>();
        case ASNTag::ENUMERATED:
            return make<ASN1Enumerated>();
        case ASNTag::UTF8_STRING:
            return make<ASN1UTF8String>();
        case ASNTag::NUMERIC_STRING:
            return make<ASN1NumericString>();
        case ASNTag::PRINTABLE_STRING:
            return make<ASN1PrintableString>();
        case ASNTag::TELETEX_STRING:
            return make<ASN1TeletexString>();
        case ASNTag::IA5_STRING:
            return make<ASN1IA5String>();
        case ASNTag::UTC_TIME:
            return make<ASN1UTCTime>();
        case ASNTag::GENERALIZED_TIME:
            return make<ASN1GeneralizedTime>();
        case ASNTag::VISIBLE_STRING:
            return make<ASN1VisibleString>();
        case ASNTag::UNIVERSAL_STRING:
            return make<ASN1UniversalString>();
        case ASNTag::BMP_STRING:
            return make<ASN1BMPString>();
        case ASNTag::CONSTRUCTED_BIT_STRING:
            return makeConstructed<ASN1BitString>();
        case ASNTag::CONSTRUCTED_OCTET_STRING:
            return makeConstructed<ASN1OctetString>();
        case ASNTag::SEQUENCE:
            return make<ASN1Sequence>();
        case ASNTag::SET:
            return make<ASN1Set>();
        case ASNTag::ANY:
            return make<ASN1Any>();
        case ASNTag::CHOICE:
            return make<ASN1Choice>();
        case ASNTag::TAGGED:
            return new ASN1TaggedValue(tagNumber);
        default:
            break;
    }
    throw Velmora::Exception(
        Velmora::Exception::LIB_ASN1, ASN1Error::UNKNOWN_TAG,
        "ASN1Object::makeASN1Object(ASNTag::ASN1_TAG, unsigned int)",
        Velmora::String("no value class for the tag " + std::to_string(static_cast<int>(tag))));
}

void ASN1Object::deleteObject(ASN1Object* value) noexcept {
    delete value;
}

void* ASN1Object::operator new(std::size_t size) {
    return valueCache::allocate(size);
}

void ASN1Object::operator delete(void* block, std::size_t size) noexcept {
    valueCache::release(block, size);
}

void* ASN1Object::Extra::operator new(std::size_t size) {
    return valueCache::allocate(size);
}

void ASN1Object::Extra::operator delete(void* block, std::size_t size) noexcept {
    valueCache::release(block, size);
}

bool operator==(const ASN1Object& a, const ASN1Object& b) {
    return a.equals(b);
}

std::ostream& operator<<(std::ostream& out, const ASN1Object& value) {
    return out << value.toString();
}

}  // namespace Ostrel
