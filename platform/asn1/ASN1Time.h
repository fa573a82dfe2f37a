#pragma once
#include "zentrik/platform/asn1/ASN1ContentOctets.h"
#include "zentrik/platform/asn1/ASN1Object.h"

namespace Ostrel {

/// Base of the time types: the time as the text that is encoded ("991231235959Z"). The text is kept
/// as given; its syntax is not checked.
///
/// A decoded time keeps the contents octets of its encoding and builds the text from them the first
/// time getValue() is called; the encoders write those octets back as they are. Like every value, a
/// time must not be read by two threads at once while a thread may also be changing it; reading
/// getValue() counts as changing it the first time.
class ZENTRIK_API ASN1Time : public ASN1Object {
  public:
    /// The ASN1ClassBit bits of this class and its bases: what libraryClasses() returns.
    static constexpr std::uint32_t CLASS_BITS = ASN1Object::CLASS_BITS | ASN1ClassBit::TIME;
    std::uint32_t libraryClasses() const noexcept override { return CLASS_BITS; }
    /// Whether a value of kind `tag` may be of this class (used by asn1_const_cast).
    static constexpr bool acceptsTag(int tag) noexcept {
        return tag == ASNTag::UTC_TIME || tag == ASNTag::GENERALIZED_TIME;
    }

    ~ASN1Time() override;

    /// The text (built from the contents octets when the value was given as octets).
    const Velmora::String& getValue() const;
    /// Sets the text (and drops contents octets and a stored encoding).
    /// @{
    void setValue(const Velmora::String& value) { setValue(Velmora::String(value)); }
    void setValue(Velmora::String&& value) {
        cacheForm(std::move(value));
        textFromOctets_ = false;
        octets_.clear();
        hasOctets_ = false;
        valueChanged();
    }
    /// @}

    /// Sets the value from the contents octets of its encoding, one character per octet (Latin-1).
    /// @{
    void setContentOctets(const Velmora::ByteArray& octets) { setContentOctets(Velmora::ByteArray(octets)); }
    void setContentOctets(Velmora::ByteArray&& octets) { setContentOctets(octets.data(), octets.size()); }
    void setContentOctets(const unsigned char* octets, std::size_t count);
    /// @}
    /// Whether the value is held as contents octets (given with setContentOctets, not replaced since).
    bool hasContentOctets() const noexcept { return hasOctets_; }
    /// Those octets; empty when the value is held as text.
    Velmora::ByteArray getContentOctets() const { return octets_.toByteArray(); }
    /// The same without a copy.
    const ASN1ContentOctets& contentOctets() const noexcept { return octets_; }

    bool equals(const ASN1Object& other) const override;
    Velmora::String toString() const override;

  protected:
    /// For the derived classes: an unset time of kind `tag`, or one holding `value`.
    /// @{
    explicit ASN1Time(ASNTag::ASN1_TAG tag) noexcept : ASN1Object(tag) {}
    ASN1Time(ASNTag::ASN1_TAG tag, const Velmora::String& value) : ASN1Object(tag) {
        cacheForm(Velmora::String(value));
        markSet();
    }
    /// @}
    /// Copies and moves are deep; the destructor deletes what the object owns.
    /// @{
    ASN1Time(const ASN1Time&) = default;
    ASN1Time& operator=(const ASN1Time&) = default;
    /// @}

  private:
    // (The flags come first and are bits, so that they fill the room the base class leaves.)
    bool textFromOctets_ : 1 = false;  // the text is built from octets_ when first asked for
    bool hasOctets_ : 1 = false;
    ASN1ContentOctets octets_;  // the contents octets, or empty; the text is held out of line
};

/// UTCTime (tag 23).
class ZENTRIK_API ASN1UTCTime : public ASN1Time {
  public:
    /// The ASN1ClassBit bits of this class and its bases: what libraryClasses() returns.
    static constexpr std::uint32_t CLASS_BITS = ASN1Time::CLASS_BITS | ASN1ClassBit::UTC_TIME;
    std::uint32_t libraryClasses() const noexcept override { return CLASS_BITS; }
    /// An unset time, or one holding `value`.
    /// @{
    ASN1UTCTime() noexcept : ASN1Time(ASNTag::UTC_TIME) {}  // unset
    explicit ASN1UTCTime(const Velmora::String& value) : ASN1Time(ASNTag::UTC_TIME, value) {}
    explicit ASN1UTCTime(const char* value) : ASN1Time(ASNTag::UTC_TIME, Velmora::String(value)) {}
    /// @}
    /// Copies and moves are deep; the destructor deletes what the object owns.
    /// @{
    ASN1UTCTime(const ASN1UTCTime&) = default;
    ASN1UTCTime& operator=(const ASN1UTCTime&) = default;
    /// @}
    ~ASN1UTCTime() override;

    ASN1Object* clone() const override;
};

/// GeneralizedTime (tag 24).
class ZENTRIK_API ASN1GeneralizedTime : public ASN1Time {
  public:
    /// The ASN1ClassBit bits of this class and its bases: what libraryClasses() returns.
    static constexpr std::uint32_t CLASS_BITS = ASN1Time::CLASS_BITS | ASN1ClassBit::GENERALIZED_TIME;
    std::uint32_t libraryClasses() const noexcept override { return CLASS_BITS; }
    /// An unset time, or one holding `value`.
    /// @{
    ASN1GeneralizedTime() noexcept : ASN1Time(ASNTag::GENERALIZED_TIME) {}  // unset
    explicit ASN1GeneralizedTime(const Velmora::String& value) : ASN1Time(ASNTag::GENERALIZED_TIME, value) {}
    explicit ASN1GeneralizedTime(const char* value)
        : ASN1Time(ASNTag::GENERALIZED_TIME, Velmora::String(value)) {}
    /// @}
    /// Copies and moves are deep; the destructor deletes what the object owns.
    /// @{
    ASN1GeneralizedTime(const ASN1GeneralizedTime&) = default;
    ASN1GeneralizedTime& operator=(const ASN1GeneralizedTime&) = default;
    /// @}
    ~ASN1GeneralizedTime() override;

    ASN1Object* clone() const override;
};

}  // namespace Ostrel
