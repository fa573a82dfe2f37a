#include "zentrik/platform/asn1/ASN1ComponentList.h"

#include "zentrik/platform/asn1/ASN1Errors.h"
#include "zentrik/platform/utils/Exception.h"
#include "zentrik/platform/utils/IndexOutOfRange.h"

namespace Ostrel {

ASN1ComponentList::ASN1ComponentList(const ASN1ComponentList& other) {
    try {
        reserve(other.size_);
        for (unsigned int i = 0; i < other.size_; ++i)
            append(std::unique_ptr<ASN1Object>(other.slot(i)->clone()));
    } catch (...) {
        clear();  // no destructor runs for a list whose constructor failed
        throw;
    }
}

ASN1ComponentList::ASN1ComponentList(ASN1ComponentList&& other) noexcept {
    takeFrom(other);
}

ASN1ComponentList& ASN1ComponentList::operator=(const ASN1ComponentList& other) {
    if (this != &other) {
        ASN1ComponentList copy(other);
        *this = std::move(copy);
    }
    return *this;
}

ASN1ComponentList& ASN1ComponentList::operator=(ASN1ComponentList&& other) noexcept {
    if (this != &other) {
        clear();
        takeFrom(other);
    }
    return *this;
}

ASN1ComponentList::~ASN1ComponentList() {
    for (unsigned int i = 0; i < kInline && i < size_; ++i) delete inline_[i];
}

void ASN1ComponentList::takeFrom(ASN1ComponentList& other) noexcept {
    for (unsigned int i = 0; i < kInline; ++i) {
        inline_[i] = other.inline_[i];
        other.inline_[i] = nullptr;
    }
    overflow_ = std::move(other.overflow_);
    size_ = other.size_;
    other.overflow_.clear();
    other.size_ = 0;
}

void ASN1ComponentList::appendOverflow(std::unique_ptr<ASN1Object> component) {
    if (!component)
        throw Velmora::Exception(Velmora::Exception::LIB_ASN1, ASN1Error::NULL_COMPONENT,
                                 "ASN1ComponentList::append(std::unique_ptr<ASN1Object>)",
                                 "a null pointer is no component");
    if (size_ < kInline)
        inline_[size_] = component.release();
    else {
        if (overflow_.empty()) overflow_.reserve(kInline);  // room for as many again at once
        overflow_.push_back(std::move(component));
    }
    ++size_;
}

void ASN1ComponentList::outOfRange(unsigned int index) const {
    throw Velmora::IndexOutOfRange(index, size_);
}

void ASN1ComponentList::clear() noexcept {
    for (unsigned int i = 0; i < kInline && i < size_; ++i) {
        delete inline_[i];
        inline_[i] = nullptr;
    }
    overflow_.clear();
    size_ = 0;
}

void ASN1ComponentList::reserve(std::size_t count) {
    if (count > kInline) overflow_.reserve(count - kInline);
}

bool ASN1ComponentList::equals(const ASN1ComponentList& other) const {
    if (size_ != other.size_) return false;
    for (unsigned int i = 0; i < size_; ++i)
        if (!slot(i)->equals(*other.slot(i))) return false;
    return true;
}

}  // namespace Ostrel
