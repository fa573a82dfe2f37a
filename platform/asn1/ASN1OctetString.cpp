#include "zentrik/platform/asn1/ASN1OctetString.h"

#include "zentrik/platform/asn1/ASN1Errors.h"
#include "zentrik/platform/utils/Exception.h"

namespace Ostrel {

ASN1OctetString::ASN1OctetString(const Velmora::ByteArray& value)
    : ASN1SegmentedString(ASNTag::OCTET_STRING, value) {}

ASN1OctetString::ASN1OctetString(Velmora::ByteArray&& value) noexcept
    : ASN1SegmentedString(ASNTag::OCTET_STRING, std::move(value)) {}

ASN1OctetString::ASN1OctetString(std::unique_ptr<Velmora::InputStream> stream)
    : ASN1SegmentedString(ASNTag::OCTET_STRING) {
    setInputStream(std::move(stream));
}

// The check comes before the base copies anything: a stream's segments are not cloned only to be dropped.
ASN1OctetString::ASN1OctetString(const ASN1OctetString& other) : ASN1SegmentedString(copyable(other)) {}

ASN1OctetString& ASN1OctetString::operator=(const ASN1OctetString& other) {
    if (this != &other) {
        ASN1OctetString copy(other);
        *this = std::move(copy);
    }
    return *this;
}

ASN1OctetString::~ASN1OctetString() = default;

const ASN1OctetString& ASN1OctetString::copyable(const ASN1OctetString& other) {
    if (other.stream_)
        throw Velmora::Exception(Velmora::Exception::LIB_ASN1, ASN1Error::STREAM_NOT_COPYABLE,
                                 "ASN1OctetString::ASN1OctetString(const ASN1OctetString&)",
                                 "a streamable OCTET STRING owns its stream and cannot be copied");
    return other;
}

const Velmora::ByteArray ASN1OctetString::getValue() const {
    static constexpr SegmentKind kOctets{CLASS_BITS, "ASN1OctetString::getValue()", "an OCTET STRING"};
    return joinedValue(kOctets);
}

void ASN1OctetString::setValue(const Velmora::ByteArray& value) {
    setValue(Velmora::ByteArray(value));
}

void ASN1OctetString::setValue(Velmora::ByteArray&& value) noexcept {
    stream_.reset();
    replaceContents(std::move(value));
}

void ASN1OctetString::setInputStream(std::unique_ptr<Velmora::InputStream> stream) {
    const bool streamed = stream != nullptr;
    stream_ = std::move(stream);
    if (streamed) clearContents();
}

ASN1Object* ASN1OctetString::clone() const {
    return new ASN1OctetString(*this);
}

bool ASN1OctetString::equals(const ASN1Object& other) const {
    const auto* that = dynamic_cast<const ASN1OctetString*>(&other);
    if (!sameForm(other, that)) return false;
    if (stream_ || that->stream_) return this == that;
    if (isNull()) return true;
    return sameContents(*that);
}

Velmora::String ASN1OctetString::toString() const {
    if (isNull()) return ASN1Object::toString();
    if (stream_) return Velmora::String("<streamed contents>");
    return Velmora::String(getValue().toHex());
}

}  // namespace Ostrel
