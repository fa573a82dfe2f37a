#pragma once
#include "zentrik/platform/asn1/ASN1Object.h"
#include "zentrik/platform/utils/IntArray.h"

namespace Ostrel {

// OBJECT IDENTIFIER (tag 6): its arcs, one int each.
//
// Arcs are unsigned 32-bit numbers held in ints: arcs of 2^31 and above are stored as their
// two's-complement int and printed and parsed as the unsigned number. The object accepts any number of
// arcs (even one, so that the coders can be asked to refuse it); the ASN.1 rules on the first two
// arcs are the coders' to check.
class ZENTRIK_API ASN1ObjectIdentifier : public ASN1Object {
  public:
    static constexpr std::uint32_t CLASS_BITS = ASN1Object::CLASS_BITS | ASN1ClassBit::OBJECT_IDENTIFIER;
    std::uint32_t libraryClasses() const noexcept override { return CLASS_BITS; }
    static constexpr bool acceptsTag(int tag) noexcept { return tag == ASNTag::OBJECT_IDENTIFIER; }

    ASN1ObjectIdentifier() noexcept : ASN1Object(ASNTag::OBJECT_IDENTIFIER) {}  // unset
    explicit ASN1ObjectIdentifier(const Velmora::IntArray& arcs);
    // Dotted text such as "1.2.840.113549"; throws like setValue(const String&).
    explicit ASN1ObjectIdentifier(const Velmora::String& dotted);
    explicit ASN1ObjectIdentifier(const char* dotted);
    ~ASN1ObjectIdentifier() override;

    const Velmora::IntArray& getValue() const noexcept { return arcs_; }
    void setValue(const Velmora::IntArray& arcs);
    void setValue(Velmora::IntArray&& arcs) noexcept;
    // Parses dotted decimal text: one or more arcs of 0 to 4294967295, separated by single dots,
    // digits only. Anything else throws Exception (LIB_ASN1, ASN1Error::BAD_OBJECT_IDENTIFIER) and
    // leaves the value unchanged.
    void setValue(const Velmora::String& dotted);
    void setValue(const char* dotted) { setValue(Velmora::String(dotted)); }
    // The number of arcs.
    unsigned int getLength() const noexcept { return arcs_.length(); }

    ASN1Object* clone() const override;
    bool equals(const ASN1Object& other) const override;
    Velmora::String toString() const override;  // dotted decimal, "" for no arcs

    static Velmora::IntArray parse(const Velmora::String& dotted);

  private:
    Velmora::IntArray arcs_;
};

}  // namespace Ostrel
