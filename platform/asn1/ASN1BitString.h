#pragma once
#include "zentrik/platform/asn1/ASN1SegmentedString.h"

namespace Ostrel {

/// BIT STRING (tag 3): octets of bits and the number of unused bits at the end of the last octet.
///
/// A bit string can also hold segments (BER's constructed form), appended with appendComponent; it then
/// reports isConstructed() but keeps the tag value 3. getValue() gives the whole contents, the segments'
/// bits one after the other, and getNumberOfInsignificantBits() the last segment's count unless a count
/// was set on the string itself.
class ZENTRIK_API ASN1BitString : public ASN1SegmentedString {
  public:
    /// The ASN1ClassBit bits of this class and its bases: what libraryClasses() returns.
    static constexpr std::uint32_t CLASS_BITS = ASN1Object::CLASS_BITS | ASN1ClassBit::BIT_STRING;
    std::uint32_t libraryClasses() const noexcept override { return CLASS_BITS; }
    /// Whether a value of kind `tag` may be of this class (used by asn1_const_cast).
    static constexpr bool acceptsTag(int tag) noexcept { return tag == ASNTag::BIT_STRING; }

    ASN1BitString() noexcept : ASN1SegmentedString(ASNTag::BIT_STRING) {}  // unset
    /// A set bit string of the octets `bits`, the last `unusedBits` bits of the last octet unused.
    explicit ASN1BitString(const Velmora::ByteArray& bits, unsigned int unusedBits = 0);
    /// Copies and moves are deep.
    /// @{
    ASN1BitString(const ASN1BitString& other) = default;
    ASN1BitString(ASN1BitString&&) noexcept = default;
    ASN1BitString& operator=(const ASN1BitString& other) = default;
    ASN1BitString& operator=(ASN1BitString&&) noexcept = default;
    /// @}
    ~ASN1BitString() override;

    /// The bits: the string's own octets, or the concatenated bits of its segments. A segment that is
    /// not a BIT STRING throws Exception (LIB_ASN1, ASN1Error::FOREIGN_SEGMENT).
    const Velmora::ByteArray getValue() const;
    /// Replaces the contents (segments included) with `bits`.
    /// @{
    void setValue(const Velmora::ByteArray& bits, unsigned int unusedBits);
    void setValue(Velmora::ByteArray&& bits, unsigned int unusedBits);
    /// @}
    /// The unused bits at the end of the last octet (0 to 7): the count set on the string, or else the
    /// last segment's.
    /// @{
    unsigned int getNumberOfInsignificantBits() const noexcept;
    void setNumberOfInsignificantBits(unsigned int unusedBits) noexcept;
    /// @}

    ASN1Object* clone() const override;
    bool equals(const ASN1Object& other) const override;
    Velmora::String toString() const override;  ///< hexadecimal, then the unused-bit count

  private:
    unsigned int unusedBits_ = 0;
    bool unusedBitsSet_ = false;  // set on the string itself, overriding the last segment's count
};

}  // namespace Ostrel
