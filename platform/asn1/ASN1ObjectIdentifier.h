#pragma once
#include <cstddef>

#include "zentrik/platform/asn1/ASN1ContentOctets.h"
#include "zentrik/platform/asn1/ASN1Object.h"
#include "zentrik/platform/asn1/ASN1Octets.h"
#include "zentrik/platform/utils/IntArray.h"

namespace Ostrel {

/// OBJECT IDENTIFIER (tag 6): its arcs, one int each.
///
/// Arcs are unsigned 32-bit numbers held in ints: arcs of 2^31 and above are stored as their
/// two's-complement int and printed and parsed as the unsigned number. The object accepts any number of
/// arcs (even one, so that the coders can be asked to refuse it); the ASN.1 rules on the first two
/// arcs are the coders' to check.
///
/// A decoded identifier keeps the contents octets of its encoding and builds the arcs from them the
/// first time getValue() is called; the encoders write those octets back as they are. Like every
/// value, an identifier must not be read by two threads at once while a thread may also be changing
/// it; reading getValue() counts as changing it the first time.
class ZENTRIK_API ASN1ObjectIdentifier : public ASN1Object {
  public:
    /// The ASN1ClassBit bits of this class and its bases: what libraryClasses() returns.
    static constexpr std::uint32_t CLASS_BITS = ASN1Object::CLASS_BITS | ASN1ClassBit::OBJECT_IDENTIFIER;
    std::uint32_t libraryClasses() const noexcept override { return CLASS_BITS; }
    /// Whether a value of kind `tag` may be of this class (used by asn1_const_cast).
    static constexpr bool acceptsTag(int tag) noexcept { return tag == ASNTag::OBJECT_IDENTIFIER; }

    ASN1ObjectIdentifier() noexcept : ASN1Object(ASNTag::OBJECT_IDENTIFIER) {}  // unset
    /// A set identifier of the arcs `arcs`.
    explicit ASN1ObjectIdentifier(const Velmora::IntArray& arcs);
    /// Dotted text such as "1.2.840.113549"; throws like setValue(const String&).
    /// @{
    explicit ASN1ObjectIdentifier(const Velmora::String& dotted);
    explicit ASN1ObjectIdentifier(const char* dotted);
    /// @}
    ~ASN1ObjectIdentifier() override;

    /// The arcs (built from the contents octets when the value was given as octets).
    const Velmora::IntArray& getValue() const;
    /// Sets the arcs (and drops contents octets and a stored encoding).
    /// @{
    void setValue(const Velmora::IntArray& arcs);
    void setValue(Velmora::IntArray&& arcs);
    /// @}
    /// Parses dotted decimal text: one or more arcs of 0 to 4294967295, separated by single dots,
    /// digits only. Anything else throws Exception (LIB_ASN1, ASN1Error::BAD_OBJECT_IDENTIFIER) and
    /// leaves the value unchanged.
    /// @{
    void setValue(const Velmora::String& dotted);
    void setValue(const char* dotted) { setValue(Velmora::String(dotted)); }
    /// @}
    /// The number of arcs.
    unsigned int getLength() const noexcept;

    /// Sets the identifier from the contents octets of its encoding: subidentifiers in base 128, the
    /// first one holding the first two arcs (40 x first + second). The octets must be that encoding
    /// exactly, as isContentOctets() tells; otherwise the value stays as it was and the result is false.
    /// @{
    [[nodiscard]] bool setContentOctets(const Velmora::ByteArray& octets);
    [[nodiscard]] bool setContentOctets(Velmora::ByteArray&& octets);
    [[nodiscard]] bool setContentOctets(const unsigned char* octets, std::size_t count);
    /// @}
    /// Whether the value is held as contents octets (given with setContentOctets, not replaced since).
    bool hasContentOctets() const noexcept { return !octets_.empty(); }
    /// Those octets; empty when the value is held as arcs.
    Velmora::ByteArray getContentOctets() const { return octets_.toByteArray(); }
    /// The same without a copy.
    const ASN1ContentOctets& contentOctets() const noexcept { return octets_; }
    /// Whether `octets` are the complete, minimal encoding of an identifier whose arcs this class holds
    /// as the coders write them: at least one octet, the last one ending a subidentifier, no
    /// subidentifier starting with the octet 0x80, every arc within 32 bits and the second within 31.
    static bool isContentOctets(const unsigned char* octets, std::size_t count) noexcept {
        return contentOctetsFault(octets, count) == octets::Fault::none;
    }
    /// What keeps octets from being an identifier's contents: missing (no octets), ended (the last
    /// subidentifier is unfinished), padded (a subidentifier starts with 0x80), tooLarge (an arc
    /// beyond 32 bits, or a second arc beyond 31 bits under a first arc of 2); none when they are.
    static octets::Fault contentOctetsFault(const unsigned char* octets, std::size_t count) noexcept;

    ASN1Object* clone() const override;
    bool equals(const ASN1Object& other) const override;
    Velmora::String toString() const override;  ///< dotted decimal, "" for no arcs

    /// The arcs of dotted decimal text, checked as setValue(const String&) checks it (and failing alike).
    static Velmora::IntArray parse(const Velmora::String& dotted);

  private:
    // The contents octets, or empty when the value is held as arcs (out of line, with the arcs built
    // from the octets on first use).
    ASN1ContentOctets octets_;
};

}  // namespace Ostrel
