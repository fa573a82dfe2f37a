#include "zentrik/platform/asn1/ASNStructured.h"

#include <string>

#include "zentrik/platform/asn1/ASN1Errors.h"
#include "zentrik/platform/utils/Exception.h"

namespace Ostrel {

ASNStructured::~ASNStructured() = default;
ASN1Sequence::~ASN1Sequence() = default;
ASN1Set::~ASN1Set() = default;
ASN1SetOf::~ASN1SetOf() = default;

void ASNStructured::appendComponent(ASN1Object* component, int /*where*/) {
    appendComponent(std::unique_ptr<ASN1Object>(component));
}

void ASNStructured::add(const ASN1Object& component) {
    appendComponent(std::unique_ptr<ASN1Object>(component.clone()));
}

void ASNStructured::checkComponent(const ASN1Object& /*component*/) const {}

bool ASNStructured::equals(const ASN1Object& other) const {
    const auto* that = dynamic_cast<const ASNStructured*>(&other);
    return that != nullptr && sameFrame(other) && components_.equals(that->components_);
}

Velmora::String ASNStructured::toString() const {
    Velmora::String text(getTagValue() == ASNTag::SEQUENCE ? "SEQUENCE {"
                         : getTagValue() == ASNTag::SET    ? "SET {"
                                                           : "STRUCTURE {");
    for (unsigned int i = 0; i < components_.size(); ++i) {
        text += Velmora::String(i == 0 ? " " : ", ");
        text += components_.at(i)->toString();
    }
    text += Velmora::String(components_.empty() ? "}" : " }");
    return text;
}

ASN1Object* ASN1Sequence::clone() const {
    return new ASN1Sequence(*this);
}

ASN1Object* ASN1Set::clone() const {
    return new ASN1Set(*this);
}

ASN1Object* ASN1SetOf::clone() const {
    return new ASN1SetOf(*this);
}

void ASN1SetOf::checkComponent(const ASN1Object& component) const {
    if (getNumberOfComponents() == 0 || getComponent(0)->getTagValue() == component.getTagValue()) return;
    throw Velmora::Exception(
        Velmora::Exception::LIB_ASN1, ASN1Error::COMPONENT_REFUSED,
        "ASN1SetOf::appendComponent(ASN1Object*, int)",
        Velmora::String("a SET OF holds components of kind " +
                        std::to_string(static_cast<int>(getComponent(0)->getTagValue())) + " only, not " +
                        std::to_string(static_cast<int>(component.getTagValue()))));
}

}  // namespace Ostrel
