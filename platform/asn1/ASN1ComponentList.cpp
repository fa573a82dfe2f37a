#include "zentrik/platform/asn1/ASN1ComponentList.h"

#include "zentrik/platform/asn1/ASN1Errors.h"
#include "zentrik/platform/utils/Exception.h"
#include "zentrik/platform/utils/IndexOutOfRange.h"

namespace Ostrel {

ASN1ComponentList::ASN1ComponentList(const ASN1ComponentList& other) {
    items_.reserve(other.items_.size());
    for (const auto& item : other.items_) {
        std::unique_ptr<ASN1Object> copy(item->clone());
        items_.push_back(std::move(copy));
    }
}

ASN1ComponentList& ASN1ComponentList::operator=(const ASN1ComponentList& other) {
    if (this != &other) {
        ASN1ComponentList copy(other);
        items_.swap(copy.items_);
    }
    return *this;
}

ASN1ComponentList::~ASN1ComponentList() = default;

void ASN1ComponentList::append(std::unique_ptr<ASN1Object> component) {
    if (!component)
        throw Velmora::Exception(Velmora::Exception::LIB_ASN1, ASN1Error::NULL_COMPONENT,
                                 "ASN1ComponentList::append(std::unique_ptr<ASN1Object>)",
                                 "a null pointer is no component");
    items_.push_back(std::move(component));
}

const ASN1Object* ASN1ComponentList::at(unsigned int index) const {
    if (index >= items_.size()) throw Velmora::IndexOutOfRange(index, size());
    return items_[index].get();
}

ASN1Object* ASN1ComponentList::at(unsigned int index) {
    if (index >= items_.size()) throw Velmora::IndexOutOfRange(index, size());
    return items_[index].get();
}

bool ASN1ComponentList::equals(const ASN1ComponentList& other) const {
    if (items_.size() != other.items_.size()) return false;
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (!items_[i]->equals(*other.items_[i])) return false;
    return true;
}

}  // namespace Ostrel
