#pragma once
#include <cstdint>
#include <memory>

#include "zentrik/platform/asn1/ASN1ComponentList.h"
#include "zentrik/platform/asn1/ASN1Object.h"

namespace Ostrel {

/// Base of the strings that BER may cut into segments (BIT STRING, OCTET STRING).
///
/// The string holds its own octets and, in the constructed form, segments appended with
/// appendComponent, which it owns. Segments, or a mark set with setConstructed, make it report
/// isConstructed(); the tag value stays the derived class's. Copies are deep.
class ZENTRIK_API ASN1SegmentedString : public ASN1Object {
  public:
    ~ASN1SegmentedString() override;

    /// The string's own octets, those given with setValue, without its segments' (no copy).
    const Velmora::ByteArray& getOwnValue() const noexcept { return own_; }

    /// Appends a segment and takes ownership of it (also when this throws); `where` is reserved, pass 0.
    /// A null segment throws Exception (LIB_ASN1, ASN1Error::NULL_COMPONENT).
    /// @{
    virtual void appendComponent(ASN1Object* segment, int where = 0);
    void appendComponent(std::unique_ptr<ASN1Object> segment);
    /// @}
    /// The segments: how many, and one by index (Velmora::IndexOutOfRange outside them).
    /// @{
    unsigned int getNumberOfComponents() const noexcept { return segments_ ? segments_->size() : 0; }
    const ASN1Object* getComponent(unsigned int index) const { return segmentList(index).at(index); }
    ASN1Object* getComponent(unsigned int index) { return segmentList(index).at(index); }
    /// @}
    /// Marks the string as constructed even without segments.
    void setConstructed(bool constructed) noexcept;

  protected:
    /// What every segment of a derived class must be, and how getValue() reports one that is not.
    struct SegmentKind {
        std::uint32_t classBits;  ///< the derived class's CLASS_BITS
        const char* operation;    ///< the failing operation's text
        const char* article;      ///< the kind with its article, "a BIT STRING"
    };

    /// For the derived classes: an unset string of kind `tag`, or one holding the octets `own`; copies
    /// and moves are deep.
    /// @{
    explicit ASN1SegmentedString(ASNTag::ASN1_TAG tag) noexcept : ASN1Object(tag) {}  // unset
    ASN1SegmentedString(ASNTag::ASN1_TAG tag, const Velmora::ByteArray& own);
    ASN1SegmentedString(ASNTag::ASN1_TAG tag, Velmora::ByteArray&& own) noexcept;
    ASN1SegmentedString(const ASN1SegmentedString& other);
    ASN1SegmentedString(ASN1SegmentedString&&) noexcept = default;
    ASN1SegmentedString& operator=(const ASN1SegmentedString& other);
    ASN1SegmentedString& operator=(ASN1SegmentedString&&) noexcept = default;
    /// @}

    /// The own octets, or the segments' contents one after the other, nested segments included. A
    /// segment that is not of `kind` throws Exception (LIB_ASN1, ASN1Error::FOREIGN_SEGMENT).
    Velmora::ByteArray joinedValue(const SegmentKind& kind) const;
    /// Replaces the contents, segments included, with `own`; the value is set.
    void replaceContents(Velmora::ByteArray&& own) noexcept;
    /// Empties the contents, segments included; the value is set.
    void clearContents() noexcept;
    /// For equals(): `that`, the other value cast to the caller's class (null when it is none), has the
    /// same frame and form as this one.
    bool sameForm(const ASN1Object& other, const ASN1SegmentedString* that) const noexcept {
        return that != nullptr && sameFrame(other) && isConstructed() == that->isConstructed();
    }
    /// The same own octets and equal segments.
    bool sameContents(const ASN1SegmentedString& that) const {
        if (own_ != that.own_ || getNumberOfComponents() != that.getNumberOfComponents()) return false;
        return !segments_ || segments_->equals(*that.segments_);
    }

  private:
    // Size and octets of the contents, walking nested segments without copying them on the way.
    std::size_t contentSize(const SegmentKind& kind) const;
    void appendContent(Velmora::ByteArray& out, const SegmentKind& kind) const;
    const ASN1SegmentedString& segmentAt(unsigned int index, const SegmentKind& kind) const;
    void updateConstructed() noexcept { setConstructedFlag(markedConstructed_ || getNumberOfComponents() != 0); }
    // The segments, for reaching segment `index`: throws IndexOutOfRange when there are none.
    ASN1ComponentList& segmentList(unsigned int index) const;

    // First, so that it fills the padding at the end of ASN1Object rather than adding its own.
    bool markedConstructed_ = false;
    Velmora::ByteArray own_;
    // The segments, out of line: most strings have none.
    std::unique_ptr<ASN1ComponentList> segments_;
};

}  // namespace Ostrel
