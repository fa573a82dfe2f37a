#include "zentrik/platform/asn1/ASN1String.h"

#include "zentrik/platform/utils/UTF8String.h"

namespace Ostrel {

ASN1String::~ASN1String() = default;

const Velmora::String& ASN1String::getValue() const {
    if (const Velmora::String* text = cachedForm<Velmora::String>()) return *text;
    static const Velmora::String none;  // unset
    return textFromOctets_ ? cacheForm(textOfOctets()) : none;
}

Velmora::String ASN1String::textOfOctets() const {
    const Velmora::ByteArray octets = octets_.toByteArray();
    switch (getStringType()) {
        case UCS2:
            return Velmora::String::fromUCS2ByteArray(octets);
        case UNIVERSAL:
            return Velmora::String::fromUCS4ByteArray(octets);
        case UTF8:
            return Velmora::UTF8String(octets).toEscapedString();
        default:
            return Velmora::String::fromASCIIByteArray(octets);
    }
}

Velmora::ByteArray ASN1String::textContentOctets() const {
    const Velmora::String& text = getValue();
    switch (getStringType()) {
        case UCS2:
            return text.toUCS2ByteArray();
        case UNIVERSAL:
            return text.toUCS4ByteArray();
        case UTF8:
            return Velmora::UTF8String(text).getBytes();
        default:
            return text.toASCIIByteArray();
    }
}

const char* ASN1String::contentOctetsFault(ASNTag::ASN1_TAG tag, const unsigned char* /*octets*/,
                                           std::size_t count) noexcept {
    // Every value of four octets is held as it is (a String character is 32 bits), and every octet
    // of UTF-8 or one octet per character is kept, so only a cut character is lost.
    if (tag == ASNTag::BMP_STRING && count % 2 != 0)
        return "a BMPString has two octets per character: an odd number of octets ends inside a character";
    if (tag != ASNTag::UNIVERSAL_STRING) return nullptr;
    switch (count % 4) {
        case 1:
            return "a UniversalString has four octets per character: its last character has only 1 octet";
        case 2:
            return "a UniversalString has four octets per character: its last character has only 2 octets";
        case 3:
            return "a UniversalString has four octets per character: its last character has only 3 octets";
        default:
            return nullptr;
    }
}

void ASN1String::setValue(const Velmora::String& value) {
    setValue(Velmora::String(value));
}

void ASN1String::setValue(Velmora::String&& value) {
    cacheForm(std::move(value));
    textFromOctets_ = false;
    octets_.clear();
    octetsAreContents_ = false;
    octetsRecorded_ = false;
    valueChanged();
}

void ASN1String::setEncodedValue(Velmora::ByteArray&& encoded) {
    if (textFromOctets_) cacheForm(textOfOctets());  // the text stays what it is
    textFromOctets_ = false;
    octets_.assign(encoded.data(), encoded.size());
    octetsAreContents_ = false;
    octetsRecorded_ = true;
}

void ASN1String::setContentOctets(const unsigned char* octets, std::size_t count) {
    const int kind = getStringType();
    octets_.assign(octets, count);
    octetsRecorded_ = kind == UCS2 || kind == UTF8 || kind == UNIVERSAL;
    dropCachedForm();
    textFromOctets_ = true;
    // Whether writing the text again gives these octets: unless a partial last character was dropped
    // (UTF-16, four octets per character); always for one octet per character and for UTF-8, whose
    // octets that are not UTF-8 are kept as escaped characters.
    if (kind == UCS2)
        octetsAreContents_ = octets_.size() % 2 == 0;
    else if (kind == UNIVERSAL)
        octetsAreContents_ = octets_.size() % 4 == 0;
    else
        octetsAreContents_ = true;
    // Octets the encoders do not write are read for the text now, so that encoding never builds it.
    if (!octetsAreContents_) {
        cacheForm(textOfOctets());
        textFromOctets_ = false;
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
