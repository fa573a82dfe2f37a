#include "zentrik/platform/asn1/ASN1ComponentList.h"

#include <limits>
#include <stdexcept>

#include "zentrik/platform/asn1/ASN1Errors.h"
#include "zentrik/platform/asn1/ASN1ValueCache.h"
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
    clear();
}

void ASN1ComponentList::takeFrom(ASN1ComponentList& other) noexcept {
    for (unsigned int i = 0; i < kInline; ++i) inline_[i] = other.inline_[i];
    overflow_ = other.overflow_;
    overflowRoom_ = other.overflowRoom_;
    size_ = other.size_;
    other.overflow_ = nullptr;
    other.overflowRoom_ = 0;
    other.size_ = 0;
}

void ASN1ComponentList::appendOverflow(std::unique_ptr<ASN1Object> component) {
    if (!component)
        throw Velmora::Exception(Velmora::Exception::LIB_ASN1, ASN1Error::NULL_COMPONENT,
                                 "ASN1ComponentList::append(std::unique_ptr<ASN1Object>)",
                                 "a null pointer is no component");
    // append() took everything else: the list's own room is full, and so is the block beyond it.
    const std::size_t beyond = size_ - kInline;
    growOverflow(beyond < kInline ? kInline : 2 * beyond);  // doubling
    overflow_[beyond] = component.release();
    ++size_;
}

void ASN1ComponentList::growOverflow(std::size_t count) {
    if (count <= overflowRoom_) return;
    if (count > std::numeric_limits<unsigned int>::max() - kInline)
        throw std::length_error("too many components");
    overflow_ = static_cast<ASN1Object**>(
        valueCache::grow(overflow_, overflowRoom_ * sizeof *overflow_, count * sizeof *overflow_));
    overflowRoom_ = static_cast<unsigned int>(count);
}

void ASN1ComponentList::outOfRange(unsigned int index) const {
    throw Velmora::IndexOutOfRange(index, size_);
}

void ASN1ComponentList::clear() noexcept {
    for (unsigned int i = 0; i < kInline && i < size_; ++i) delete inline_[i];
    for (unsigned int i = kInline; i < size_; ++i) delete overflow_[i - kInline];
    if (overflow_) valueCache::release(overflow_, overflowRoom_ * sizeof *overflow_);
    overflow_ = nullptr;
    overflowRoom_ = 0;
    size_ = 0;
}

void ASN1ComponentList::reserve(std::size_t count) {
    if (count > kInline) growOverflow(count - kInline);
}

bool ASN1ComponentList::equals(const ASN1ComponentList& other) const {
    if (size_ != other.size_) return false;
    for (unsigned int i = 0; i < size_; ++i)
        if (!slot(i)->equals(*other.slot(i))) return false;
    return true;
}

}  // namespace Ostrel
