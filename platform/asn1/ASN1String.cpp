#include "zentrik/platform/asn1/ASN1String.h"

#include <algorithm>

#include "zentrik/platform/utils/UTF8String.h"

namespace Ostrel {

ASN1String::~ASN1String() = default;

const Velmora::String& ASN1String::getValue() const {
    if (!textCurrent_) {
        text_ = textOfOctets();
        textCurrent_ = true;
    }
    return text_;
}

Velmora::String ASN1String::textOfOctets() const {
    switch (getStringType()) {
        case UCS2:
        case UNIVERSAL:
            return Velmora::String::fromUCS2ByteArray(octets_);
        case UTF8:
            return Velmora::UTF8String(octets_).toString(0x3F);
        default:
            return Velmora::String::fromASCIIByteArray(octets_);
    }
}

void ASN1String::setValue(const Velmora::String& value) {
    setValue(Velmora::String(value));
}

void ASN1String::setValue(Velmora::String&& value) noexcept {
    text_ = std::move(value);
    textCurrent_ = true;
    octets_.clear();
    octetsAreContents_ = false;
    octetsRecorded_ = false;
    valueChanged();
}

void ASN1String::setEncodedValue(Velmora::ByteArray&& encoded) {
    getValue();  // the text stays what it is
    octets_ = std::move(encoded);
    octetsAreContents_ = false;
    octetsRecorded_ = true;
}

void ASN1String::setContentOctets(Velmora::ByteArray&& octets) {
    const int kind = getStringType();
    octets_ = std::move(octets);
    octetsRecorded_ = kind == UCS2 || kind == UTF8 || kind == UNIVERSAL;
    textCurrent_ = false;
    // Whether writing the text again gives these octets: always for one octet per character; for
    // UTF-16 unless an odd octet was dropped; for UTF-8 when it is plain ASCII, or else when it
    // decodes without a replacement and encodes back the same (tried once, here).
    if (kind == UCS2 || kind == UNIVERSAL) {
        octetsAreContents_ = octets_.size() % 2 == 0;
    } else if (kind == UTF8 &&
               !std::all_of(octets_.begin(), octets_.end(), [](unsigned char c) { return c < 0x80; })) {
        text_ = textOfOctets();
        textCurrent_ = true;
        octetsAreContents_ = Velmora::UTF8String(text_).getBytes() == octets_;
    } else {
        octetsAreContents_ = true;
    }
    // Octets the encoders do not write are read for the text now, so that encoding never builds it.
    if (!octetsAreContents_ && !textCurrent_) {
        text_ = textOfOctets();
        textCurrent_ = true;
    }
    valueChanged();
}

bool ASN1String::equals(const ASN1Object& other) const {
    const auto* that = dynamic_cast<const ASN1String*>(&other);
    return that != nullptr && sameFrame(other) && (isNull() || getValue() == that->getValue());
}

Velmora::String ASN1String::toString() const {
    if (isNull()) return ASN1Object::toString();
    return getValue();
}

#define ZENTRIK_ASN1_STRING_MEMBERS(Name) \
    Name::~Name() = default;              \
    ASN1Object* Name::clone() const {     \
        return new Name(*this);           \
    }

ZENTRIK_ASN1_STRING_MEMBERS(ASN1UTF8String)
ZENTRIK_ASN1_STRING_MEMBERS(ASN1NumericString)
ZENTRIK_ASN1_STRING_MEMBERS(ASN1PrintableString)
ZENTRIK_ASN1_STRING_MEMBERS(ASN1TeletexString)
ZENTRIK_ASN1_STRING_MEMBERS(ASN1IA5String)
ZENTRIK_ASN1_STRING_MEMBERS(ASN1VisibleString)
ZENTRIK_ASN1_STRING_MEMBERS(ASN1UniversalString)
ZENTRIK_ASN1_STRING_MEMBERS(ASN1BMPString)

#undef ZENTRIK_ASN1_STRING_MEMBERS

}  // namespace Ostrel
