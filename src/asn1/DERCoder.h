#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "zentrik/platform/asn1/ASN1.h"
#include "zentrik/platform/utils/ByteArray.h"
#include "zentrik/platform/utils/InputStream.h"
#include "zentrik/platform/utils/OutputStream.h"
#include "zentrik/platform/utils/SmartPointer.h"

namespace Ostrel {

using Velmora::ByteArray;
using Velmora::InputStream;
using Velmora::OutputStream;
using Velmora::SmartPointer;

// Writes ASN.1 values in the Distinguished Encoding Rules and reads them back.
//
// Callers use the static entry points; each builds a coder on the stack for the one call. Inside,
// every coder operation reaches the others through the virtual table, so a BERCoder applies its
// own rules at every level of nesting.
class DecodingStream;
class EncodingStream;
class DERFastEncoder;

/// Deletes a value the way the object library hands it out; holds values under construction.
struct ValueDeleter {
    /// Deletes `value` with ASN1Object::deleteObject.
    void operator()(ASN1Object* value) const { ASN1Object::deleteObject(value); }
};
/// A value owned by a std::unique_ptr that deletes it with ASN1Object::deleteObject.
template <typename T = ASN1Object>
using Owned = std::unique_ptr<T, ValueDeleter>;


/// Writes ASN.1 values in the Distinguished Encoding Rules and reads them back.
///
/// Callers use the static entry points; each builds a coder on the stack for the one call. Inside,
/// every coder operation reaches the others through the virtual table, so a BERCoder applies its
/// own rules at every level of nesting. A coder holds no data: what a call needs (how deep values
/// nest, the encoder's buffers) travels with the streams of that call, so one coder object may be
/// used by any number of calls at once.
class ZENTRIK_API DERCoder {
  public:
    /// A coder holds no data: every DERCoder is like every other.
    /// @{
    DERCoder() = default;
    DERCoder(const DERCoder&) = default;
    DERCoder& operator=(const DERCoder&) { return *this; }
    virtual ~DERCoder();
    /// @}

    /// The DER encoding of `value` (returned, or written to `out`); an unset optional value gives no
    /// octets, an ASNInterface is encoded through its toASN1Object(). The value stays the caller's.
    /// @throws Velmora::CoderException 0 for a null value; 15 wrapping what
    ///         failed inside: 11 an unset value that is not optional, 2 to 6 what DER cannot write,
    ///         12 per level of nesting. `out` may hold part of the encoding after a failure.
    /// @{
    static const ByteArray encode(const ASN1Object* value);
    static const ByteArray encode(const ASN1Object& value) { return encode(&value); }
    static void encode(const ASN1Object* value, OutputStream& out);
    static void encode(const ASN1Object& value, OutputStream& out) { encode(&value, out); }
    static const ByteArray encode(const ASNInterface& object);
    /// @}

    /// Decodes one DER element from `octets` or from `in` (which is left after it); the value belongs to
    /// the returned handle, or is handed to `object` with fromASN1Object. Context-specific and private
    /// elements come as ASN1TaggedValue (see explicitContents, implicitContents).
    /// @throws Velmora::Exception (a plain copy of the CoderException) with the numbers of CoderFailures.h:
    ///         13 nothing to decode, 7 an unknown identifier, 20 a bad length, 25 to 30 (too deep,
    ///         truncated, unrepresentable, overrun, malformed), 8, 9, 16, 17, 19, 21 for bad contents.
    /// @{
    static SmartPointer<ASN1Object> decode(const ByteArray& octets);
    static SmartPointer<ASN1Object> decode(InputStream& in);
    static void decode(ASNInterface& object, const ByteArray& octets);
    /// @}

    /// Whether `value` is to be written: false for null and for an unset optional value, true for a set one.
    /// @throws Velmora::CoderException 11 for an unset value that is not optional.
    static bool isValid(const ASN1Object* value);
    /// The DER length octets of `length` (the shortest form).
    static const ByteArray encodeLength(unsigned int length);
    /// Identifier octets: `classBits` (class 0xC0 and constructed 0x20 bits) and `tagNumber`, in the
    /// high-tag-number form from 31 on.
    static const ByteArray encodeTagClassValue(unsigned int classBits, unsigned int tagNumber);
    /// Reads DER length octets from `in`.
    /// @throws Velmora::CoderException 20 when they are missing, indefinite or beyond 32 bits.
    static unsigned int getLength(InputStream& in);
    /// Whether the next identifier octet of `in` (not consumed) has the context-specific or private
    /// class bit 0x80.
    /// @throws Velmora::IndexOutOfRange when `in` has no more octets.
    static bool isContextSpecific(InputStream& in);
    /// Reads the identifier octets of a context-specific or private element and returns its tag number;
    /// `consumed` receives the octets read.
    /// @throws Velmora::CoderException 18 for a universal or application identifier, 30 for a padded tag
    ///         number, 27 beyond 32 bits; Velmora::IndexOutOfRange when the data ends.
    static unsigned int getTaggedValue(InputStream& in, ByteArray& consumed);
    /// getTaggedValue without the octets read.
    static unsigned int getTaggedValue(InputStream& in);
    /// getTaggedValue, with the octets pushed back into `in` afterwards.
    static unsigned int peekAtTaggedValue(InputStream& in);

    /// The complete encoding of component `index` of the constructed element at the start of `octets`.
    static const ByteArray getComponent(const ByteArray& octets, unsigned int index);

  protected:
    /// Each writes one value of its kind to `out` or reads the contents of one from `in` (its identifier
    /// and length octets already read) into `value` (or a new value, owned by the caller); every coder
    /// reaches the others through them, so that a subclass applies its rules at every level of nesting.
    /// They throw the failures of the public entry points.
    /// @{
    virtual void encode(OutputStream& out, const ASN1Object* value) const;
    virtual void decode(InputStream& in, ASN1Object*& value) const;
    virtual void encodeStructured(const ASNStructured* value, OutputStream& out) const;
    virtual void encodeBoolean(const ASN1Boolean* value, OutputStream& out) const;
    virtual void encodeInteger(const ASN1Integer* value, OutputStream& out) const;
    virtual void encodeBitString(const ASN1BitString* value, OutputStream& out) const;
    virtual void encodeString(const ASN1String* value, OutputStream& out) const;
    virtual void encodeOctetString(const ASN1OctetString* value, OutputStream& out) const;
    virtual void encodeASN1Null(const ASN1Null* value, OutputStream& out) const;
    virtual void encodeTime(const ASN1Time* value, OutputStream& out) const;
    virtual void encodeEnumerated(const ASN1Enumerated* value, OutputStream& out) const;
    virtual void encodeOID(const ASN1ObjectIdentifier* value, OutputStream& out) const;
    virtual ByteArray encodeTag(const ASN1Object* value, unsigned int n) const;
    virtual ASN1Boolean* decodeBoolean(ASN1Boolean* value, InputStream& in) const;
    virtual ASN1Integer* decodeInteger(ASN1Integer* value, InputStream& in) const;
    virtual ASN1BitString* decodeBitString(ASN1BitString* value, InputStream& in) const;
    virtual ASN1OctetString* decodeOctetString(ASN1OctetString* value, InputStream& in) const;
    virtual ASN1Null* decodeNull(ASN1Null* value, InputStream& in) const;
    virtual ASN1Enumerated* decodeEnumerated(ASN1Enumerated* value, InputStream& in) const;
    virtual ASN1String* decodeString(ASN1String* value, InputStream& in) const;
    virtual ASN1Time* decodeTime(ASN1Time* value, InputStream& in) const;
    virtual ASNStructured* decodeStructured(InputStream& in) const;
    virtual ASN1ObjectIdentifier* decodeObjectIdentifier(ASN1ObjectIdentifier* value, InputStream& in) const;
    /// @}
    /// @cond INTERNAL

    /// Shared by both coders.
    /// Runs a decoder entry point on `octets`, read in place.
    static SmartPointer<ASN1Object> decodeInPlace(const ByteArray& octets,
                                                  SmartPointer<ASN1Object> (*run)(InputStream&));
    void writeElement(OutputStream& out, const ASN1Object* value, const ByteArray& contents) const;
    void writeElement(OutputStream& out, const ASN1Object* value, const unsigned char* contents,
                      std::size_t size) const;
    /// Writes a constructed string's header with `encodeTag` and then the encodings of its segments.
    void writeConstructed(OutputStream& out, const ASN1Object* value, const ByteArray& segments) const;
    /// getLength, with the short form, which almost every element has, read in place.
    static unsigned int readLength(InputStream& in) {
        const int first = in.readOctet();
        return first >= 0 && first < 0x80 ? static_cast<unsigned int>(first) : lengthFrom(in, first);
    }
    /// getLength after its first octet (-1: there was none).
    static unsigned int lengthFrom(InputStream& in, int first);
    /// The tag number octets that follow a first identifier octet ending in 1F; appended to `kept`.
    /// Failure 30 for a padded number, 27 beyond 32 bits, IndexOutOfRange when the data ends.
    static unsigned int readTagNumber(InputStream& in, ByteArray& kept, const char* operation);
    /// Reads one octet; IndexOutOfRange when there is none, as the checking index of a short read gives.
    static unsigned char nextOctet(InputStream& in) {
        const int octet = in.readOctet();
        if (octet < 0) noOctet();
        return static_cast<unsigned char>(octet);
    }
    [[noreturn]] static void noOctet();
    /// Reads `length` contents octets; failure 26 when the data ends first.
    static ByteArray readContents(InputStream& in, std::uint64_t length, const char* operation);
    /// The `length` contents octets, read in place when the stream holds them in memory (valid until
    /// the stream is read again), else read into `held`.
    static const unsigned char* contentsInPlace(InputStream& in, std::uint64_t length, ByteArray& held,
                                                const char* operation);
    /// Appends `length` contents octets to `out`, growing it with what arrives; failure 26 as above.
    static void appendContents(InputStream& in, std::uint64_t length, ByteArray& out, const char* operation);
    /// The universal identifier octet of a value: its tag value, with the constructed bit where it applies.
    static unsigned char universalOctet(const ASN1Object* value, bool constructedStrings);
    /// Identifier octets for a value; with `constructedStrings` only BIT and OCTET STRINGs get the
    /// constructed bit from isConstructed(), the others keep what their tag value says.
    static ByteArray tagOctets(const ASN1Object* value, unsigned int n, bool constructedStrings);
    /// Identifier octets for a value written in the primitive form whatever it holds.
    static ByteArray primitiveTag(const ASN1Object* value, unsigned int n);

    /// The value of a universal element whose identifier octet was just read, through the virtual
    /// readers; nullptr, with nothing more consumed, for a context-specific or private identifier.
    /// Other identifiers fail with 7, named by `identifierOperation` + the octet in hexadecimal + ")".
    Owned<> decodeUniversal(unsigned char octet, InputStream& in, const char* identifierOperation) const;

    /// A constructed element being read: what it is called in messages and where its contents end
    /// (definite form).
    struct Enclosing {
        const char* name;
        std::uint64_t end;
        const char* operation;
    };
    /// Decodes the components of a definite-length element through the virtual decode into
    /// `container`, until its contents end. Failure 28 when a component runs past that end, 26 when
    /// the data ends first.
    template <typename Container>
    void decodeComponents(InputStream& in, Container* container, const Enclosing& enclosing) const;
    /// Failure 28: the element `name` at `offset` ends at `end`, past the end of `enclosing`.
    [[noreturn]] static void overrun(const std::string& name, std::uint64_t offset, std::uint64_t end,
                                     const Enclosing& enclosing);

    /// Counts one more level of nesting while it lives; failure 25 past the limit.
    class Nesting {
      public:
        Nesting(unsigned int& depth, const char* operation) : depth_(depth) {
            if (depth_ >= kNestingLimit) tooDeep(operation);
            ++depth_;
        }
        ~Nesting() { --depth_; }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;

      private:
        unsigned int& depth_;
    };
    // The deepest nesting the coders follow (failure 25 beyond it).
    static constexpr unsigned int kNestingLimit = 200;
    [[noreturn]] static void tooDeep(const char* operation);
    /// @endcond

  private:
    // The encoder of the static entry points writes what it can itself and the rest through the dispatch.
    friend class DERFastEncoder;
    // Reads identifier octets for getComponent, appended to `kept`; returns the element's name.
    static std::string componentIdentifier(InputStream& in, ByteArray& kept);
    // A context-specific or private element, its identifier still in the stream, kept as its encoding
    // in an ASN1TaggedValue.
    static Owned<> decodeTaggedEncoding(InputStream& in);
    // The dispatch of encode, on a stream that carries the call's state.
    [[gnu::always_inline]] inline void encodeElement(EncodingStream& out, const ASN1Object* value) const;
    void encodeChosen(EncodingStream& out, const ASN1Object* value) const;
};

}  // namespace Ostrel
