#pragma once
#include <cstddef>
#include <cstdint>

#include "zentrik/platform/asn1/ASN1ContentOctets.h"
#include "zentrik/platform/asn1/ASN1Object.h"
#include "zentrik/platform/utils/BigNumber.h"

namespace Ostrel {

/// INTEGER (tag 2), of any size.
///
/// A decoded integer keeps the contents octets of its encoding (minimal two's complement, big-endian)
/// and builds the BigNumber from them the first time getValue() is called; the encoders write those
/// octets back as they are. Like every value, an integer must not be read by two threads at once
/// while a thread may also be changing it; reading getValue() counts as changing it the first time.
class ZENTRIK_API ASN1Integer : public ASN1Object {
  public:
    /// The ASN1ClassBit bits of this class and its bases: what libraryClasses() returns.
    static constexpr std::uint32_t CLASS_BITS = ASN1Object::CLASS_BITS | ASN1ClassBit::INTEGER;
    std::uint32_t libraryClasses() const noexcept override { return CLASS_BITS; }
    /// Whether a value of kind `tag` may be of this class (used by asn1_const_cast).
    static constexpr bool acceptsTag(int tag) noexcept { return tag == ASNTag::INTEGER; }

    ASN1Integer() noexcept : ASN1Object(ASNTag::INTEGER) {}  // unset
    /// A set integer of `value`.
    /// @{
    explicit ASN1Integer(std::int64_t value) : ASN1Integer(Velmora::BigNumber(value)) {}
    explicit ASN1Integer(const Velmora::BigNumber& value) : ASN1Object(ASNTag::INTEGER) {
        cacheForm(Velmora::BigNumber(value));
        markSet();
    }
    /// @}
    ~ASN1Integer() override;

    /// The number (built from the contents octets when the value was given as octets).
    const Velmora::BigNumber& getValue() const;
    /// Sets the number (and drops contents octets and a stored encoding).
    /// @{
    void setValue(const Velmora::BigNumber& value) { setValue(Velmora::BigNumber(value)); }
    void setValue(Velmora::BigNumber&& value) {
        cacheForm(std::move(value));
        octets_.clear();
        valueChanged();
    }
    void setValue(std::int64_t value) { setValue(Velmora::BigNumber(value)); }
    /// @}

    /// Sets the value from the contents octets of an encoded INTEGER: two's complement, big-endian.
    /// Leading octets that only repeat the sign are dropped (00 05 is kept as 05, FF 80 as 80); no
    /// octets at all read as 0.
    /// @{
    void setContentOctets(const unsigned char* octets, std::size_t count);
    void setContentOctets(const Velmora::ByteArray& octets) {
        setContentOctets(octets.data(), octets.size());
    }
    void setContentOctets(Velmora::ByteArray&& octets);
    /// @}
    /// Whether the value is held as contents octets (given with setContentOctets, not replaced since).
    bool hasContentOctets() const noexcept { return !octets_.empty(); }
    /// Those octets, the minimal two's complement of the value; empty when the value is held as a number.
    Velmora::ByteArray getContentOctets() const { return octets_.toByteArray(); }
    /// The same without a copy.
    const ASN1ContentOctets& contentOctets() const noexcept { return octets_; }

    ASN1Object* clone() const override;
    bool equals(const ASN1Object& other) const override;
    Velmora::String toString() const override;  ///< decimal

  private:
    // The minimal contents octets, or empty when the value is held as a number (out of line, with
    // the number built from the octets on first use).
    ASN1ContentOctets octets_;
};

}  // namespace Ostrel
