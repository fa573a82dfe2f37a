#pragma once
#include <cstdint>
#include <string>

#include "zentrik/platform/utils/Export.h"

/// Every failure the coders report: its number and the operation text it carries. Library
/// identifier 3 (Exception::LIB_CODERS) unless noted; messages are empty unless noted.
namespace Velmora::failures {


// Numbers.
constexpr unsigned int kNullValue = 0;            ///< a null value handed to an encoder
constexpr unsigned int kObjectDescriptor = 2;     ///< tag 7 cannot be encoded
constexpr unsigned int kExternal = 3;             ///< tag 8 cannot be encoded
constexpr unsigned int kReal = 4;                 ///< tag 9 cannot be encoded
constexpr unsigned int kUnsupportedTag = 5;       ///< tag not encodable; IndexOutOfRange caught; bad tagging
constexpr unsigned int kBadObjectIdentifier = 6;  ///< arcs that cannot be written
constexpr unsigned int kUnsupportedIdentifier =
    7;  ///< identifier octet the decoder does not know (library 0 for structures)
constexpr unsigned int kBadBoolean = 8;          ///< BOOLEAN contents neither FF nor 00
constexpr unsigned int kBadNull = 9;             ///< NULL with contents
constexpr unsigned int kMissingValue = 11;       ///< unset value that is not optional
constexpr unsigned int kEncodingFailed = 12;     ///< wraps whatever failed inside an encoding
constexpr unsigned int kNoData = 13;             ///< nothing to decode
constexpr unsigned int kEntryPointFailed = 15;   ///< wraps failures at the static encode entry points
constexpr unsigned int kIndefiniteSegment = 16;  ///< a segment of a constructed string in indefinite form
constexpr unsigned int kEmptyObjectIdentifier = 17;  ///< an OBJECT IDENTIFIER without arcs
constexpr unsigned int kNotTagged =
    18;  ///< identifier of universal or application class where a tag was expected
constexpr unsigned int kConstructedBitString = 19;  ///< DER refuses constructed BIT STRINGs
constexpr unsigned int kBadLength = 20;             ///< length octets missing, indefinite or too large for DER
constexpr unsigned int kBadSegment = 21;            ///< a segment of the wrong type
constexpr unsigned int kIOUTagged = 22;             ///< IOU tagged object on an untagged element
constexpr unsigned int kIOUUntagged = 23;           ///< plain IOU object on a tagged element
constexpr unsigned int kIOUNoData = 24;             ///< IOU object ran out of octets
constexpr unsigned int kTooDeep = 25;               ///< nesting deeper than kMaxNesting
constexpr unsigned int kTruncated = 26;             ///< contents end before their length says
constexpr unsigned int kUnrepresentable = 27;  ///< a length, tag number, arc or count the library cannot hold
constexpr unsigned int kOverrun = 28;          ///< an element runs past the end of the element enclosing it
/// IOU getValue after the contents were read a piece at a time (components, pieces of data or
/// end-of-contents octets taken): the value is no longer in the stream.
constexpr unsigned int kValueAfterPieces = 29;
constexpr unsigned int kMalformed = 30;  ///< octets the encoding rules do not allow: a base-128 number padded
                                         ///< with 0x80, an unfinished subidentifier, a string of no whole
                                         ///< number of characters
constexpr unsigned int kNotContents = 31;  ///< a tagged value's contents are not what was asked of them

/// How deeply constructed elements may nest before decoding gives up (real data stays far below).
constexpr unsigned int kMaxNesting = 200;

/// The operation texts the failures carry, one per failing operation.
/// @{
constexpr const char* kDEREncodeValue = "DERCoder::encode(const ASN1Object *)";
constexpr const char* kDEREncodeStream = "DERCoder::encode(const ASN1Object *, OutputStream&)";
constexpr const char* kBEREncodeValue = "BERCoder::encode(const ASN1Object *)";
constexpr const char* kBEREncodeStream = "BERCoder::encode(const ASN1Object *, OutputStream&)";
constexpr const char* kEncodeTagged =
    "DERCoder::encodeTagged(const ASNStructured *asnSeq, ByteArray& bytearray)";
constexpr const char* kEncodeOID = "DERCoder::encodeOID(const ASN1ObjectIdentifier *oid, char *bytearray)";
constexpr const char* kIsValid = "DERCoder::isValid(const ASN1Object *obj)";
constexpr const char* kDERDecode = "DERCoder::decode";
constexpr const char* kDERDecodeIdentifier = "DERCoder::decode(0x";  // + octet in hexadecimal + ")"
constexpr const char* kBERDecodeIdentifier = "BERCoder::decode(0x";  // + octet in hexadecimal + ")"
constexpr const char* kBERDecode = "BERCoder::decode(InputStream& in, ASN1Object *& asn)";
constexpr const char* kDecodeStructured = "DERCoder::decodeStructured(const InputStream&)";
constexpr const char* kDecodeBoolean = "DERCoder::decodeBoolean(ASN1Boolean, char*)";
constexpr const char* kDecodeNull = "DERCoder::decodeNull(ASN1Null *i, const char *array)";
constexpr const char* kDecodeInteger = "DERCoder::decodeInteger(ASN1Integer *, InputStream&)";
constexpr const char* kDecodeOctetString = "DERCoder::decodeOctetString(ASN1OctetString *, InputStream&)";
constexpr const char* kDecodeEnumerated = "DERCoder::decodeEnumerated(ASN1Enumerated *, InputStream&)";
constexpr const char* kDecodeString = "DERCoder::decodeString(ASN1String *, InputStream&)";
constexpr const char* kDecodeTime = "DERCoder::decodeTime(ASN1Time *, InputStream&)";
constexpr const char* kDecodeOID =
    "DERCoder::decodeObjectIdentifier(ASN1ObjectIdentifier *, const InputStream&)";
constexpr const char* kGetTaggedValue = "DERCoder::getTaggedValue(InputStream&, ByteArray&)";
constexpr const char* kDERDecodeBitString =
    "DERCoder::decodeBitString(ASN1OctetString *asn, const InputStream&)";
constexpr const char* kDERGetLength = "DERCoder::getLength(InputStream&)";
constexpr const char* kBERGetLength = "BERCoder::getLength(InputStream&)";
constexpr const char* kDERGetComponent = "DERCoder::getComponent(const ByteArray&, unsigned int)";
constexpr const char* kBERDecodeBitString = "BERCoder::decodeBitString(ASN1BitString *, InputStream&)";
constexpr const char* kBERDecodeOctetString = "BERCoder::decodeOctetString(ASN1OctetString *, InputStream&)";
constexpr const char* kBERReadTillDoubleZero = "BERCoder::readTillDoubleZero(InputStream&)";
constexpr const char* kIOUExplicitCtorTag = "ASN1IOUExplicitObject::ASN1IOUExplicitObject()";
constexpr const char* kIOUImplicitCtorTag = "ASN1IOUImplicitObject::ASN1IOUImplicitObject()";
constexpr const char* kIOUCtor = "ASN1IOUObject::ASN1IOUObject(InputStream&)";
constexpr const char* kIOUExplicitCtor = "ASN1IOUExplicitObject::ASN1IOUExplicitObject(InputStream&)";
constexpr const char* kIOUImplicitCtor = "ASN1IOUImplicitObject::ASN1IOUImplicitObject(InputStream&, ASNTag)";
constexpr const char* kIOUExplicitTerminator = "ASN1IOUExplicitObject::foundIndefinateLengthTerminator()";
constexpr const char* kIOUTerminator = "ASN1IOUObject::foundIndefinateLengthTerminator()";
constexpr const char* kIOUWritingCtor = "ASN1IOUObject::ASN1IOUObject(OutputStream&, ASNTag::ASN1_TAG)";
constexpr const char* kIOUExplicitWritingCtor =
    "ASN1IOUExplicitObject::ASN1IOUExplicitObject(OutputStream&, ASNTag::ASN1_TAG, unsigned int)";
constexpr const char* kIOUGetData = "ASN1IOUObject::getData()";
constexpr const char* kIOUNextComponent = "ASN1IOUObject::getNextComponent()";
constexpr const char* kIOUEnd = "ASN1IOUObject::endIOU()";
constexpr const char* kIOUExplicitEnd = "ASN1IOUExplicitObject::endIOU()";
constexpr const char* kIOUGetValue = "ASN1IOUObject::getValue()";
constexpr const char* kIOUExplicitGetValue = "ASN1IOUExplicitObject::getValue()";
constexpr const char* kIOUImplicitGetValue = "ASN1IOUImplicitObject::getValue()";
constexpr const char* kExplicitContents = "explicitContents(const ASN1TaggedValue&)";
constexpr const char* kImplicitContents = "implicitContents(const ASN1TaggedValue&, ASNTag::ASN1_TAG)";
constexpr const char* kURLDecode = "URLCoder::decode(const String& query)";

/// @}

/// Messages the failures carry.
/// @{
constexpr const char* kNoDataMessage = "there was no data to decode";
constexpr const char* kNoLengthMessage = "no data to read";
constexpr const char* kIndexOutOfRangeMessage = "An IndexOutOfRange exception was caught: ";
/// @}


/// The failures that several readers raise alike, thrown as CoderException with `operation`.
/// 26: the contents of an element end after `got` of its `length` octets.
[[noreturn]] ZENTRIK_API void contentsEnd(const char* operation, std::uint64_t got, std::uint64_t length);
/// 28: `what` ("the INTEGER at offset 2") ends at octet `end`, past the end of the element named
/// `enclosing`, whose contents end at octet `enclosingEnd`.
[[noreturn]] ZENTRIK_API void overrun(const char* operation, const std::string& what, std::uint64_t end,
                                      const std::string& enclosing, std::uint64_t enclosingEnd);

}  // namespace Velmora::failures
