#pragma once
#include "zentrik/platform/asn1/ASN1ContentOctets.h"
#include "zentrik/platform/asn1/ASN1Object.h"

namespace Ostrel {

/// Base of the character string types: the text, and for the UCS-2 and UTF-8 kinds the octets it was
/// decoded from.
///
/// getStringType() tells the coders which octet form the text takes: UCS2 (BMPString) is written and
/// read as two octets per character (UTF-16), UNIVERSAL (UniversalString) as four, UTF8 (UTF8String) as
/// UTF-8, and ASCII (every other type) as one octet per character. Both ways are big-endian.
///
/// Decoded contents are kept octet for octet: UTF-8 octets that are not UTF-8 read as the characters
/// U+DC80..U+DCFF (one per octet) and are written back as those octets, even after the text went
/// through getValue() and setValue().
class ZENTRIK_API ASN1String : public ASN1Object {
  public:
    /// The ASN1ClassBit bits of this class and its bases: what libraryClasses() returns.
    static constexpr std::uint32_t CLASS_BITS = ASN1Object::CLASS_BITS | ASN1ClassBit::STRING;
    std::uint32_t libraryClasses() const noexcept override { return CLASS_BITS; }
    /// The octet forms getStringType() names: one octet per character, UTF-16, UTF-8, four octets.
    /// @{
    static constexpr int ASCII = 0;
    static constexpr int UCS2 = 4;
    static constexpr int UTF8 = 6;
    static constexpr int UNIVERSAL = 7;
    /// @}

    /// Whether a value of kind `tag` may be of this class (used by asn1_const_cast).
    static constexpr bool acceptsTag(int tag) noexcept {
        return tag == ASNTag::UTF8_STRING || tag == ASNTag::NUMERIC_STRING ||
               tag == ASNTag::PRINTABLE_STRING || tag == ASNTag::TELETEX_STRING ||
               tag == ASNTag::IA5_STRING || tag == ASNTag::VISIBLE_STRING ||
               tag == ASNTag::UNIVERSAL_STRING || tag == ASNTag::BMP_STRING;
    }

    ~ASN1String() override;

    /// The text (built from the contents octets when the value was given as octets).
    const Velmora::String& getValue() const;
    /// Sets the text; the encoded octets kept from decoding are dropped.
    /// @{
    void setValue(const Velmora::String& value);
    void setValue(Velmora::String&& value);
    /// @}
    /// The octets the text was decoded from (empty when not recorded).
    Velmora::ByteArray getEncodedValue() const {
        return octetsRecorded_ ? octets_.toByteArray() : Velmora::ByteArray();
    }
    /// Records `encoded` as the octets the text was decoded from (the text stays as it is).
    /// @{
    void setEncodedValue(const Velmora::ByteArray& encoded) { setEncodedValue(Velmora::ByteArray(encoded)); }
    void setEncodedValue(Velmora::ByteArray&& encoded);
    /// @}

    /// Sets the value from the contents octets of its encoding, in the octet form of getStringType():
    /// one character per octet (Latin-1) for ASCII, UTF-16 big-endian for UCS2 (an odd last octet is
    /// dropped), four octets per character for UNIVERSAL (a last partial character is dropped), UTF-8
    /// for UTF8 (each octet of an invalid sequence reads as U+DC00 + octet). For the UCS2, UTF8 and
    /// UNIVERSAL forms the octets are also what getEncodedValue() gives. contentOctetsFault() tells
    /// which octets would lose their tail.
    /// @{
    void setContentOctets(const Velmora::ByteArray& octets) { setContentOctets(Velmora::ByteArray(octets)); }
    void setContentOctets(Velmora::ByteArray&& octets) { setContentOctets(octets.data(), octets.size()); }
    void setContentOctets(const unsigned char* octets, std::size_t count);
    /// @}
    /// Whether the value is held as contents octets that encode its text exactly (given with
    /// setContentOctets and not replaced since); the encoders then write them as they are.
    bool hasContentOctets() const noexcept { return octetsAreContents_; }
    /// Those octets; empty unless hasContentOctets().
    Velmora::ByteArray getContentOctets() const {
        return octetsAreContents_ ? octets_.toByteArray() : Velmora::ByteArray();
    }
    /// The octets held, without a copy: the contents octets when hasContentOctets().
    const ASN1ContentOctets& contentOctets() const noexcept { return octets_; }

    /// The contents octets that write getValue() in the octet form of getStringType(): what the
    /// encoders write when hasContentOctets() is false. Characters an octet form cannot hold become
    /// '?' (ASCII, beyond U+00FF) or U+FFFD (UCS2, beyond U+10FFFF).
    Velmora::ByteArray textContentOctets() const;

    /// Why contents octets of a string with this tag cannot be kept whole, or nullptr when they can:
    /// a BMPString of an odd number of octets, a UniversalString whose length is no multiple of four.
    /// No octet value is refused: UTF-8 that is not UTF-8, lone surrogates and four-octet values beyond
    /// U+10FFFF are all held as they are and written back unchanged.
    static const char* contentOctetsFault(ASNTag::ASN1_TAG tag, const unsigned char* octets,
                                          std::size_t count) noexcept;

    /// The octet form of the text: ASCII, UCS2, UTF8 or UNIVERSAL.
    virtual int getStringType() const noexcept = 0;

    bool equals(const ASN1Object& other) const override;  ///< compares the text, not the encoded octets
    Velmora::String toString() const override;

  protected:
    /// For the derived classes: an unset string of kind `tag`, or one holding `value`.
    /// @{
    explicit ASN1String(ASNTag::ASN1_TAG tag) noexcept : ASN1Object(tag) {}
    ASN1String(ASNTag::ASN1_TAG tag, const Velmora::String& value) : ASN1Object(tag) {
        cacheForm(Velmora::String(value));
        markSet();
    }
    /// @}
    /// Copies and moves are deep; the destructor deletes what the object owns.
    /// @{
    ASN1String(const ASN1String&) = default;
    ASN1String& operator=(const ASN1String&) = default;
    /// @}

  private:
    // The text of octets_ in the octet form of this string's type.
    Velmora::String textOfOctets() const;

    // A decoded string keeps its contents octets and builds the text from them the first time
    // getValue() is called. Like every value, a string must not be read by two threads at once while
    // a thread may also be changing it; reading getValue() counts as changing it the first time.
    // (The flags come first and are bits, so that they fill the room the base class leaves.)
    bool textFromOctets_ : 1 = false;     // the text is built from octets_ when first asked for
    bool octetsAreContents_ : 1 = false;  // octets_ encode the text exactly: the encoders write them
    bool octetsRecorded_ : 1 = false;     // getEncodedValue() shows octets_
    // Contents octets, or the octets given to setEncodedValue; the text is held out of line.
    ASN1ContentOctets octets_;
};

// Declares a concrete string type: its tag, kind, constructors and clone.
#define ZENTRIK_ASN1_STRING_CLASS(Name, Tag, Kind, Bit)                               \
    class ZENTRIK_API Name : public ASN1String {                                      \
      public:                                                                         \
        static constexpr std::uint32_t CLASS_BITS = ASN1String::CLASS_BITS | (Bit);   \
        std::uint32_t libraryClasses() const noexcept override { return CLASS_BITS; } \
        static constexpr bool acceptsTag(int tag) noexcept { return tag == (Tag); }   \
        Name() noexcept : ASN1String(Tag) {}                                          \
        explicit Name(const Velmora::String& value) : ASN1String(Tag, value) {}       \
        explicit Name(const char* value) : ASN1String(Tag, Velmora::String(value)) {} \
        Name(const Name&) = default;                                                  \
        Name& operator=(const Name&) = default;                                       \
        ~Name() override;                                                             \
        int getStringType() const noexcept override { return (Kind); }                \
        ASN1Object* clone() const override;                                           \
    }

ZENTRIK_ASN1_STRING_CLASS(ASN1UTF8String, ASNTag::UTF8_STRING, ASN1String::UTF8,
                          ASN1ClassBit::UTF8_STRING);  ///< 12
ZENTRIK_ASN1_STRING_CLASS(ASN1NumericString, ASNTag::NUMERIC_STRING, ASN1String::ASCII,
                          ASN1ClassBit::NUMERIC_STRING);  ///< 18
ZENTRIK_ASN1_STRING_CLASS(ASN1PrintableString, ASNTag::PRINTABLE_STRING, ASN1String::ASCII,
                          ASN1ClassBit::PRINTABLE_STRING);  ///< 19
ZENTRIK_ASN1_STRING_CLASS(ASN1TeletexString, ASNTag::TELETEX_STRING, ASN1String::ASCII,
                          ASN1ClassBit::TELETEX_STRING);  ///< 20
ZENTRIK_ASN1_STRING_CLASS(ASN1IA5String, ASNTag::IA5_STRING, ASN1String::ASCII,
                          ASN1ClassBit::IA5_STRING);  ///< 22
ZENTRIK_ASN1_STRING_CLASS(ASN1VisibleString, ASNTag::VISIBLE_STRING, ASN1String::ASCII,
                          ASN1ClassBit::VISIBLE_STRING);  ///< 26
ZENTRIK_ASN1_STRING_CLASS(ASN1UniversalString, ASNTag::UNIVERSAL_STRING, ASN1String::UNIVERSAL,
                          ASN1ClassBit::UNIVERSAL_STRING);  ///< 28
ZENTRIK_ASN1_STRING_CLASS(ASN1BMPString, ASNTag::BMP_STRING, ASN1String::UCS2,
                          ASN1ClassBit::BMP_STRING);  ///< 30

#undef ZENTRIK_ASN1_STRING_CLASS

}  // namespace Ostrel
