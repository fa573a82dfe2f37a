#pragma once
#include "zentrik/asn1/DERCoder.h"

namespace Ostrel {

class ASN1IOUObject;

/// Reads the Basic Encoding Rules (indefinite lengths, segmented strings, any non-zero BOOLEAN) and
/// writes them where they help: large octet strings piece by piece, constructed strings as segments.
class ZENTRIK_API BERCoder : public DERCoder {
  public:
    /// A coder holds no data: every BERCoder is like every other.
    /// @{
    BERCoder() = default;
    BERCoder(const BERCoder&) = default;
    BERCoder& operator=(const BERCoder&) { return *this; }
    ~BERCoder() override;
    /// @}

    /// The BER encoding of `value` (returned, or written to `out`): definite lengths, constructed strings
    /// as segments. The value stays the caller's; an unset optional value gives no octets.
    /// @throws Velmora::CoderException as DERCoder::encode does (0, 15 wrapping 11, 2 to 6, 12).
    /// @{
    static ByteArray encode(const ASN1Object* value);
    static ByteArray encode(const ASN1Object& value) { return encode(&value); }
    static void encode(const ASN1Object* value, OutputStream& out);
    static void encode(const ASN1Object& value, OutputStream& out) { encode(&value, out); }
    static ByteArray encode(const ASNInterface& object);
    /// @}

    /// Decodes one BER element (DER included) from `bytes` or from `in` (left after it); the value belongs
    /// to the returned handle, or is handed to `target` with fromASN1Object.
    /// @throws Velmora::CoderException with the numbers of CoderFailures.h: 5 when octets are missing,
    ///         7 an unknown identifier, 13 nothing to decode, 16 and 21 bad segments, 25 to 30.
    /// @{
    static SmartPointer<ASN1Object> decode(const ByteArray& bytes);
    static SmartPointer<ASN1Object> decode(InputStream& in);
    static void decode(ASNInterface& target, const ByteArray& bytes);
    /// @}

    /// Reads length octets; -1 for the indefinite form.
    /// @throws Velmora::CoderException 27 beyond 31 bits; Velmora::IndexOutOfRange when the octets end.
    static int getLength(InputStream& in);

    /// Streaming readers of one element each (see ASN1IOUObject).
    /// The reader stays valid while `in` lives; it is deleted with the last handle. decodeIOU reads a
    /// universal element (ASN1IOUObject), decodeExplicitIOU an explicitly tagged one
    /// (ASN1IOUExplicitObject), decodeImplicitIOU one implicitly tagged as universal type `tag`
    /// (ASN1IOUImplicitObject). Failures as the constructors of those classes.
    /// @{
    static SmartPointer<ASN1IOUObject> decodeIOU(InputStream& in);
    static SmartPointer<ASN1IOUObject> decodeExplicitIOU(InputStream& in);
    static SmartPointer<ASN1IOUObject> decodeImplicitIOU(InputStream& in, ASNTag::ASN1_TAG tag);
    /// @}

    /// Writes an OCTET STRING with segments as a constructed string of them, and one that streams its
    /// contents (ASN1OctetString::isStreamable) as a constructed string of indefinite length, piece by piece.
    void encodeOctetString(const ASN1OctetString* value, OutputStream& out) const override;

  private:
    // The contents of an indefinite-length element, from after its length octet up to and including
    // its end-of-contents, with nested indefinite forms kept and definite lengths made minimal.
    static ByteArray readTillDoubleZero(InputStream& in);
    // The same, appended to `result`, inside `depth` levels of nesting.
    static void readTillDoubleZero(InputStream& in, unsigned int depth, ByteArray& result);
    // Appends the identifier octets of an element whose first octet was read, and reads its length
    // (-1 for the indefinite form).
    static int elementHeaderInto(InputStream& in, int first, ByteArray& result);
    // A context-specific or private element, its identifier still in the stream, kept as its encoding.
    static Owned<> decodeTagged(DecodingStream& in);
    // Consumes the end-of-contents octets when they come next; failure 26 when the data ends instead.
    static bool atEndOfContents(InputStream& in, const char* operation);

    void encode(OutputStream& out, const ASN1Object* value) const override;
    void decode(InputStream& in, ASN1Object*& value) const override;
    ByteArray encodeTag(const ASN1Object* value, unsigned int n) const override;
    ASN1Boolean* decodeBoolean(ASN1Boolean* value, InputStream& in) const override;
    ASN1BitString* decodeBitString(ASN1BitString* value, InputStream& in) const override;
    ASN1OctetString* decodeOctetString(ASN1OctetString* value, InputStream& in) const override;
    ASNStructured* decodeStructured(InputStream& in) const override;

    void encodeStreamedOctetString(const ASN1OctetString* value, OutputStream& out) const;
    ASN1BitString* decodeBitStringSegments(ASN1BitString* value, InputStream& in, int length) const;
    static ByteArray readBitStringSegment(InputStream& in, const Enclosing& enclosing);
    static void decodeOctetStringSegments(ASN1OctetString* value, InputStream& in);
};

}  // namespace Ostrel
