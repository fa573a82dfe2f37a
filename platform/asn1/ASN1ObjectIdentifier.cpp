#include "zentrik/platform/asn1/ASN1ObjectIdentifier.h"

#include <cstdint>
#include <string>

#include "zentrik/platform/asn1/ASN1Errors.h"
#include "zentrik/platform/utils/Exception.h"

namespace Ostrel {

namespace {

[[noreturn]] void refuse(const Velmora::String& dotted, const char* why) {
    throw Velmora::Exception(Velmora::Exception::LIB_ASN1, ASN1Error::BAD_OBJECT_IDENTIFIER,
                             "ASN1ObjectIdentifier::parse(const String&)",
                             Velmora::String("\"") + dotted +
                                 Velmora::String("\" is no object identifier: ") + Velmora::String(why));
}

}  // namespace

ASN1ObjectIdentifier::ASN1ObjectIdentifier(const Velmora::IntArray& arcs)
    : ASN1Object(ASNTag::OBJECT_IDENTIFIER), arcs_(arcs) {
    markSet();
}

ASN1ObjectIdentifier::ASN1ObjectIdentifier(const Velmora::String& dotted)
    : ASN1Object(ASNTag::OBJECT_IDENTIFIER), arcs_(parse(dotted)) {
    markSet();
}

ASN1ObjectIdentifier::ASN1ObjectIdentifier(const char* dotted)
    : ASN1ObjectIdentifier(Velmora::String(dotted == nullptr ? "" : dotted)) {}

ASN1ObjectIdentifier::~ASN1ObjectIdentifier() = default;

void ASN1ObjectIdentifier::setValue(const Velmora::IntArray& arcs) {
    arcs_ = arcs;
    valueChanged();
}

void ASN1ObjectIdentifier::setValue(Velmora::IntArray&& arcs) noexcept {
    arcs_ = std::move(arcs);
    valueChanged();
}

void ASN1ObjectIdentifier::setValue(const Velmora::String& dotted) {
    Velmora::IntArray arcs = parse(dotted);  // throws before anything changes
    setValue(std::move(arcs));
}

Velmora::IntArray ASN1ObjectIdentifier::parse(const Velmora::String& dotted) {
    const std::u32string& text = dotted.codePoints();
    if (text.empty()) refuse(dotted, "empty text");
    Velmora::IntArray arcs;
    std::uint64_t arc = 0;
    std::size_t digits = 0;
    for (char32_t c : text) {
        if (c == U'.') {
            if (digits == 0) refuse(dotted, "an arc without digits");
            arcs += static_cast<int>(static_cast<std::uint32_t>(arc));
            arc = 0;
            digits = 0;
        } else if (c >= U'0' && c <= U'9') {
            arc = arc * 10 + static_cast<std::uint64_t>(c - U'0');
            if (arc > UINT32_MAX) refuse(dotted, "an arc beyond 32 bits");
            ++digits;
        } else {
            refuse(dotted, "a character other than a digit or a dot");
        }
    }
    if (digits == 0) refuse(dotted, "an arc without digits");
    arcs += static_cast<int>(static_cast<std::uint32_t>(arc));
    return arcs;
}

ASN1Object* ASN1ObjectIdentifier::clone() const {
    return new ASN1ObjectIdentifier(*this);
}

bool ASN1ObjectIdentifier::equals(const ASN1Object& other) const {
    const auto* that = dynamic_cast<const ASN1ObjectIdentifier*>(&other);
    return that != nullptr && sameFrame(other) && (isNull() || arcs_ == that->arcs_);
}

Velmora::String ASN1ObjectIdentifier::toString() const {
    if (isNull()) return ASN1Object::toString();
    std::string text;
    text.reserve(arcs_.length() * 4);
    for (unsigned int i = 0; i < arcs_.length(); ++i) {
        if (i != 0) text += '.';
        text += std::to_string(static_cast<std::uint32_t>(arcs_[i]));
    }
    return Velmora::String(text);
}

}  // namespace Ostrel
