#pragma once
#include <memory>

#include "zentrik/platform/asn1/ASN1ComponentList.h"
#include "zentrik/platform/asn1/ASN1Object.h"

namespace Ostrel {

// BIT STRING (tag 3): octets of bits and the number of unused bits at the end of the last octet.
//
// A bit string can also hold segments (BER's constructed form), appended with appendComponent; it then
// reports isConstructed() but keeps the tag value 3. getValue() gives the whole contents, the segments'
// bits one after the other, and getNumberOfInsignificantBits() the last segment's count unless a count
// was set on the string itself.
class ZENTRIK_API ASN1BitString : public ASN1Object {
  public:
    static constexpr std::uint32_t CLASS_BITS = ASN1Object::CLASS_BITS | ASN1ClassBit::BIT_STRING;
    std::uint32_t libraryClasses() const noexcept override { return CLASS_BITS; }
    static constexpr bool acceptsTag(int tag) noexcept { return tag == ASNTag::BIT_STRING; }

    ASN1BitString() noexcept : ASN1Object(ASNTag::BIT_STRING) {}  // unset
    explicit ASN1BitString(const Velmora::ByteArray& bits, unsigned int unusedBits = 0);
    ASN1BitString(const ASN1BitString& other) = default;
    ASN1BitString(ASN1BitString&&) noexcept = default;
    ASN1BitString& operator=(const ASN1BitString& other) = default;
    ASN1BitString& operator=(ASN1BitString&&) noexcept = default;
    ~ASN1BitString() override;

    // The bits: the string's own octets, or the concatenated bits of its segments. A segment that is
    // not a BIT STRING throws Exception (LIB_ASN1, ASN1Error::FOREIGN_SEGMENT).
    const Velmora::ByteArray getValue() const;
    // The string's own octets, those given with setValue, without its segments' (no copy).
    const Velmora::ByteArray& getOwnValue() const noexcept { return bits_; }
    // Replaces the contents (segments included) with `bits`.
    void setValue(const Velmora::ByteArray& bits, unsigned int unusedBits);
    void setValue(Velmora::ByteArray&& bits, unsigned int unusedBits);
    unsigned int getNumberOfInsignificantBits() const noexcept;
    void setNumberOfInsignificantBits(unsigned int unusedBits) noexcept;

    // Appends a segment and takes ownership of it (also when this throws); `where` is reserved, pass 0.
    // A null segment throws Exception (LIB_ASN1, ASN1Error::NULL_COMPONENT).
    virtual void appendComponent(ASN1Object* segment, int where = 0);
    void appendComponent(std::unique_ptr<ASN1Object> segment);
    unsigned int getNumberOfComponents() const noexcept { return segments_.size(); }
    const ASN1Object* getComponent(unsigned int index) const { return segments_.at(index); }
    ASN1Object* getComponent(unsigned int index) { return segments_.at(index); }
    // Marks the string as constructed even without segments.
    void setConstructed(bool constructed) noexcept;

    ASN1Object* clone() const override;
    bool equals(const ASN1Object& other) const override;
    Velmora::String toString() const override;  // hexadecimal, then the unused-bit count

  private:
    // Size and octets of the contents, walking nested segments without copying them on the way.
    std::size_t contentSize() const;
    void appendContent(Velmora::ByteArray& out) const;
    void updateConstructed() noexcept { setConstructedFlag(markedConstructed_ || !segments_.empty()); }

    Velmora::ByteArray bits_;
    ASN1ComponentList segments_;
    unsigned int unusedBits_ = 0;
    bool unusedBitsSet_ = false;  // set on the string itself, overriding the last segment's count
    bool markedConstructed_ = false;
};

}  // namespace Ostrel
