#include "zentrik/platform/asn1/ASN1SegmentedString.h"

#include <string>

#include "zentrik/platform/asn1/ASN1Errors.h"
#include "zentrik/platform/utils/Exception.h"
#include "zentrik/platform/utils/IndexOutOfRange.h"

namespace Ostrel {

ASN1SegmentedString::ASN1SegmentedString(ASNTag::ASN1_TAG tag, const Velmora::ByteArray& own)
    : ASN1Object(tag), own_(own) {
    markSet();
}

ASN1SegmentedString::ASN1SegmentedString(ASNTag::ASN1_TAG tag, Velmora::ByteArray&& own) noexcept
    : ASN1Object(tag), own_(std::move(own)) {
    markSet();
}

ASN1SegmentedString::ASN1SegmentedString(const ASN1SegmentedString& other)
    : ASN1Object(other),
      markedConstructed_(other.markedConstructed_),
      own_(other.own_),
      segments_(other.segments_ ? std::make_unique<ASN1ComponentList>(*other.segments_) : nullptr) {}

ASN1SegmentedString& ASN1SegmentedString::operator=(const ASN1SegmentedString& other) {
    if (this != &other) {
        auto segments = other.segments_ ? std::make_unique<ASN1ComponentList>(*other.segments_) : nullptr;
        Velmora::ByteArray own = other.own_;
        ASN1Object::operator=(other);
        markedConstructed_ = other.markedConstructed_;
        own_ = std::move(own);
        segments_ = std::move(segments);
    }
    return *this;
}

ASN1SegmentedString::~ASN1SegmentedString() = default;

ASN1ComponentList& ASN1SegmentedString::segmentList(unsigned int index) const {
    if (!segments_) throw Velmora::IndexOutOfRange(index, 0);
    return *segments_;
}

void ASN1SegmentedString::appendComponent(ASN1Object* segment, int /*where*/) {
    appendComponent(std::unique_ptr<ASN1Object>(segment));
}

void ASN1SegmentedString::appendComponent(std::unique_ptr<ASN1Object> segment) {
    if (!segments_) segments_ = std::make_unique<ASN1ComponentList>();
    segments_->append(std::move(segment));
    updateConstructed();
    valueChanged();
}

void ASN1SegmentedString::setConstructed(bool constructed) noexcept {
    markedConstructed_ = constructed;
    updateConstructed();
}

Velmora::ByteArray ASN1SegmentedString::joinedValue(const SegmentKind& kind) const {
    if (getNumberOfComponents() == 0) return own_;
    Velmora::ByteArray all;
    all.reserve(contentSize(kind));
    appendContent(all, kind);
    return all;
}

void ASN1SegmentedString::replaceContents(Velmora::ByteArray&& own) noexcept {
    own_ = std::move(own);
    segments_.reset();
    updateConstructed();
    valueChanged();
}

void ASN1SegmentedString::clearContents() noexcept {
    own_.clear();
    segments_.reset();
    updateConstructed();
    valueChanged();
}

std::size_t ASN1SegmentedString::contentSize(const SegmentKind& kind) const {
    if (getNumberOfComponents() == 0) return own_.size();
    std::size_t total = 0;
    for (unsigned int i = 0; i < segments_->size(); ++i) total += segmentAt(i, kind).contentSize(kind);
    return total;
}

void ASN1SegmentedString::appendContent(Velmora::ByteArray& out, const SegmentKind& kind) const {
    if (getNumberOfComponents() == 0) {
        out += own_;
        return;
    }
    for (unsigned int i = 0; i < segments_->size(); ++i) segmentAt(i, kind).appendContent(out, kind);
}

const ASN1SegmentedString& ASN1SegmentedString::segmentAt(unsigned int index, const SegmentKind& kind) const {
    const ASN1Object* segment = segmentList(index).at(index);
    if ((segment->libraryClasses() & kind.classBits) != kind.classBits)
        throw Velmora::Exception(
            Velmora::Exception::LIB_ASN1, ASN1Error::FOREIGN_SEGMENT, kind.operation,
            Velmora::String("segment " + std::to_string(index) + " is not " + kind.article));
    // Every class whose bits the kind names derives from this one.
    return static_cast<const ASN1SegmentedString&>(*segment);
}

}  // namespace Ostrel
