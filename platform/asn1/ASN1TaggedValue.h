#pragma once
#include "zentrik/platform/asn1/ASN1Object.h"

namespace Ostrel {

/// A context-specific or private element kept as its complete encoding (kind -6), as the decoders make
/// it for elements they do not decode. taggedValue() is its tag number; the encoding, identifier
/// octets first, is getDERBytes() and is written unchanged. It is set once an encoding is given.
class ZENTRIK_API ASN1TaggedValue : public ASN1Object {
  public:
    /// The ASN1ClassBit bits of this class and its bases: what libraryClasses() returns.
    static constexpr std::uint32_t CLASS_BITS = ASN1Object::CLASS_BITS | ASN1ClassBit::TAGGED_VALUE;
    std::uint32_t libraryClasses() const noexcept override { return CLASS_BITS; }
    /// Whether a value of kind `tag` may be of this class (used by asn1_const_cast).
    static constexpr bool acceptsTag(int tag) noexcept { return tag == ASNTag::TAGGED; }

    /// An unset tagged value [tagNumber], or one holding `encoding` (its identifier octets first).
    /// @{
    explicit ASN1TaggedValue(unsigned int tagNumber = 0) : ASN1Object(ASNTag::TAGGED) {
        setTagNumber(tagNumber);
    }
    ASN1TaggedValue(unsigned int tagNumber, const Velmora::ByteArray& encoding);
    /// @}
    /// Copies and moves are deep; the destructor deletes what the object owns.
    /// @{
    ASN1TaggedValue(const ASN1TaggedValue&) = default;
    ASN1TaggedValue& operator=(const ASN1TaggedValue&) = default;
    /// @}
    ~ASN1TaggedValue() override;

    /// Stores the encoding; the constructed bit 0x20 of its first octet makes isConstructed() true.
    void setDERBytes(const Velmora::ByteArray& encoding) override;
    void setDERBytes(Velmora::ByteArray&& encoding) override;
    /// The first identifier octet (class bits 0xC0, constructed bit 0x20), 0 without an encoding.
    unsigned char getIdentifierOctet() const noexcept;

    ASN1Object* clone() const override;
    Velmora::String toString() const override;  ///< "[n] " and the encoding in hexadecimal
};

}  // namespace Ostrel
