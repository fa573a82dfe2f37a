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

// Deletes a value the way the object library hands it out; holds values under construction.
struct ValueDeleter {
    void operator()(ASN1Object* value) const { ASN1Object::deleteObject(value); }
};
template <typename T = ASN1Object>
using Owned = std::unique_ptr<T, ValueDeleter>;

// Writes ASN.1 values in the Distinguished Encoding Rules and reads them back.
//
// Callers use the static entry points; each builds a coder on the stack for the one call. Inside,
// every coder operation reaches the others through the virtual table, so a BERCoder applies its
// own rules at every level of nesting. A coder holds no data: what a call needs (how deep values
// nest, the encoder's buffers) travels with the streams of that call, so one coder object may be
// used by any number of calls at once.
class ZENTRIK_API DERCoder {
  public:
    DERCoder() = default;
    DERCoder(const DERCoder&) = default;
    DERCoder& operator=(const DERCoder&) { return *this; }
    virtual ~DERCoder();

    static const ByteArray encode(const ASN1Object* value);
    static const ByteArray encode(const ASN1Object& value) { return encode(&value); }
    static void encode(const ASN1Object* value, OutputStream& out);
    static void encode(const ASN1Object& value, OutputStream& out) { encode(&value, out); }
    static const ByteArray encode(const ASNInterface& object);

    static SmartPointer<ASN1Object> decode(const ByteArray& octets);
    static SmartPointer<ASN1Object> decode(InputStream& in);
    static void decode(ASNInterface& object, const ByteArray& octets);

    static bool isValid(const ASN1Object* value);
    static const ByteArray encodeLength(unsigned int length);
    static const ByteArray encodeTagClassValue(unsigned int classBits, unsigned int tagNumber);
    static unsigned int getLength(InputStream& in);
    static bool isContextSpecific(InputStream& in);
    static unsigned int getTaggedValue(InputStream& in, ByteArray& consumed);
    static unsigned int getTaggedValue(InputStream& in);
    static unsigned int peekAtTaggedValue(InputStream& in);

    // The complete encoding of component `index` of the constructed element at the start of `octets`.
    static const ByteArray getComponent(const ByteArray& octets, unsigned int index);

  protected:
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

    // Shared by both coders.
    // Runs a decoder entry point on `octets`, read in place.
    static SmartPointer<ASN1Object> decodeInPlace(const ByteArray& octets,
                                                  SmartPointer<ASN1Object> (*run)(InputStream&));
    void writeElement(OutputStream& out, const ASN1Object* value, const ByteArray& contents) const;
    void writeElement(OutputStream& out, const ASN1Object* value, const unsigned char* contents,
                      std::size_t size) const;
    // Writes a constructed string's header with `encodeTag` and then the encodings of its segments.
    void writeConstructed(OutputStream& out, const ASN1Object* value, const ByteArray& segments) const;
    // getLength, with the short form, which almost every element has, read in place.
    static unsigned int readLength(InputStream& in) {
        const int first = in.readOctet();
        return first >= 0 && first < 0x80 ? static_cast<unsigned int>(first) : lengthFrom(in, first);
    }
    // getLength after its first octet (-1: there was none).
    static unsigned int lengthFrom(InputStream& in, int first);
    // The tag number octets that follow a first identifier octet ending in 1F; appended to `kept`.
    // Failure 30 for a padded number, 27 beyond 32 bits, IndexOutOfRange when the data ends.
    static unsigned int readTagNumber(InputStream& in, ByteArray& kept, const char* operation);
    // Reads one octet; IndexOutOfRange when there is none, as the checking index of a short read gives.
    static unsigned char nextOctet(InputStream& in) {
        const int octet = in.readOctet();
        if (octet < 0) noOctet();
        return static_cast<unsigned char>(octet);
    }
    [[noreturn]] static void noOctet();
    // Reads `length` contents octets; failure 26 when the data ends first.
    static ByteArray readContents(InputStream& in, std::uint64_t length, const char* operation);
    // The `length` contents octets, read in place when the stream holds them in memory (valid until
    // the stream is read again), else read into `held`.
    static const unsigned char* contentsInPlace(InputStream& in, std::uint64_t length, ByteArray& held,
                                                const char* operation);
    // Appends `length` contents octets to `out`, growing it with what arrives; failure 26 as above.
    static void appendContents(InputStream& in, std::uint64_t length, ByteArray& out, const char* operation);
    // The universal identifier octet of a value: its tag value, with the constructed bit where it applies.
    static unsigned char universalOctet(const ASN1Object* value, bool constructedStrings);
    // Identifier octets for a value; with `constructedStrings` only BIT and OCTET STRINGs get the
    // constructed bit from isConstructed(), the others keep what their tag value says.
    static ByteArray tagOctets(const ASN1Object* value, unsigned int n, bool constructedStrings);
    // Identifier octets for a value written in the primitive form whatever it holds.
    static ByteArray primitiveTag(const ASN1Object* value, unsigned int n);

    // The value of a universal element whose identifier octet was just read, through the virtual
    // readers; nullptr, with nothing more consumed, for a context-specific or private identifier.
    // Other identifiers fail with 7, named by `identifierOperation` + the octet in hexadecimal + ")".
    Owned<> decodeUniversal(unsigned char octet, InputStream& in, const char* identifierOperation) const;

    // A constructed element being read: what it is called in messages and where its contents end
    // (definite form).
    struct Enclosing {
        const char* name;
        std::uint64_t end;
        const char* operation;
    };
    // Decodes the components of a definite-length element through the virtual decode into
    // `container`, until its contents end. Failure 28 when a component runs past that end, 26 when
    // the data ends first.
    template <typename Container>
    void decodeComponents(InputStream& in, Container* container, const Enclosing& enclosing) const;
    // Failure 28: the element `name` at `offset` ends at `end`, past the end of `enclosing`.
    [[noreturn]] static void overrun(const std::string& name, std::uint64_t offset, std::uint64_t end,
                                     const Enclosing& enclosing);

    // Counts one more level of nesting while it lives; failure 25 past the limit.
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

  private:
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
