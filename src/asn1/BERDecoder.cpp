// The BER coder's decoding side: indefinite lengths and segmented strings.
#include <memory>

#include "zentrik/asn1/BERCoder.h"
#include "zentrik/asn1/CodingStreams.h"
#include "zentrik/asn1/DirectDecoder.h"
#include "zentrik/foundation/CoderException.h"
#include "zentrik/foundation/CoderFailures.h"
#include "zentrik/platform/asn1/ASN1Octets.h"

namespace Ostrel {

using Velmora::CoderException;
using Velmora::Exception;
using Velmora::IndexOutOfRange;
using Velmora::String;
namespace failures = Velmora::failures;

namespace {
[[noreturn]] void segmentFailure(unsigned int number, const char* operation, const char* message = "") {
    throw CoderException(Exception::LIB_CODERS, number, operation, message);
}
}  // namespace

SmartPointer<ASN1Object> BERCoder::decode(const ByteArray& bytes) {
    return decodeInPlace(bytes, [](InputStream& in) { return BERCoder::decode(in); });
}

SmartPointer<ASN1Object> BERCoder::decode(InputStream& in) {
    if (Owned<> direct = DirectDecoder::decodeFront(in, DirectDecoder::Rules::ber))
        return SmartPointer<ASN1Object>(direct.release(), &ASN1Object::deleteObject);
    ASN1Object* value = nullptr;
    BERCoder().decode(in, value);
    return SmartPointer<ASN1Object>(value, &ASN1Object::deleteObject);
}

void BERCoder::decode(ASNInterface& target, const ByteArray& bytes) {
    SmartPointer<ASN1Object> value = decode(bytes);
    target.fromASN1Object(value.get());
}

int BERCoder::getLength(InputStream& in) {
    std::int64_t length = 0;
    switch (octets::readLength([&in] { return in.readOctet(); }, 0x7FFFFFFF, length)) {
        case octets::Fault::none:
            return static_cast<int>(length);
        case octets::Fault::tooLarge:  // would not fit the result, and would read as "indefinite"
            throw CoderException(Exception::LIB_CODERS, failures::kUnrepresentable, failures::kBERGetLength,
                                 "lengths of 2^31 octets and more are not supported");
        default:
            noOctet();
    }
}

bool BERCoder::atEndOfContents(InputStream& in, const char* operation) {
    // Two octets are needed either way: fewer left is a truncated element.
    const int first = in.readOctet();
    const int second = first < 0 ? -1 : in.readOctet();
    if (second < 0) {
        if (first >= 0) in.pushBack(static_cast<unsigned char>(first));
        throw CoderException(Exception::LIB_CODERS, failures::kTruncated, operation,
                             "the data ends before the end-of-contents octets");
    }
    if (first == 0 && second == 0) return true;
    in.pushBack(static_cast<unsigned char>(second));  // the pair goes back, `first` in front
    in.pushBack(static_cast<unsigned char>(first));
    return false;
}

ByteArray BERCoder::readTillDoubleZero(InputStream& in) {
    ByteArray result;
    readTillDoubleZero(in, 0, result);
    return result;
}

int BERCoder::elementHeaderInto(InputStream& in, int first, ByteArray& result) {
    result += static_cast<unsigned char>(first);
    if ((first & 0x1F) == 0x1F) readTagNumber(in, result, failures::kGetTaggedValue);
    const int length = in.readOctet();  // the short and indefinite forms in place
    if (length >= 0 && length <= 0x80) return length == 0x80 ? -1 : length;
    if (length >= 0) in.pushBack(static_cast<unsigned char>(length));
    return getLength(in);
}

void BERCoder::readTillDoubleZero(InputStream& in, unsigned int depth, ByteArray& result) {
    // Walks the elements without recursion; `open` counts the indefinite elements not yet closed.
    for (unsigned int open = 1; open != 0;) {
        // An end-of-contents pair, or the first identifier octet of the next element. At the end of
        // the data this fails as a checking index into the pair would.
        const int first = nextOctet(in);
        if (first == 0) {
            const int second = nextOctet(in);
            if (second == 0) {
                result += static_cast<unsigned char>(0x00);
                result += static_cast<unsigned char>(0x00);
                --open;
                continue;
            }
            in.pushBack(static_cast<unsigned char>(second));
        }
        const int length = elementHeaderInto(in, first, result);
        if (length < 0) {
            if (depth + open >= failures::kMaxNesting) tooDeep(failures::kBERReadTillDoubleZero);
            result += static_cast<unsigned char>(0x80);
            ++open;
        } else if (length == 0 && first == 0x00) {
            // An element 00 of length 0 written 00 00 would read as the end-of-contents: its length
            // keeps the long form.
            result += static_cast<unsigned char>(0x81);
            result += static_cast<unsigned char>(0x00);
        } else {
            result += encodeLength(static_cast<unsigned int>(length));
            appendContents(in, static_cast<unsigned int>(length), result, failures::kBERReadTillDoubleZero);
        }
    }
}

void BERCoder::decode(InputStream& in, ASN1Object*& out) const {
    DecodingStream* stream = DecodingStream::of(in);
    if (!stream) {  // a call from outside the entry points: the call's state starts here
        DecodingStream through(in);
        decode(through, out);
        return;
    }
    try {
        const unsigned char octet = nextOctet(*stream);  // empty input throws IndexOutOfRange
        Nesting nesting(stream->depth, failures::kBERDecode);
        Owned<> value = decodeUniversal(octet, *stream, failures::kBERDecodeIdentifier);
        if (!value) {
            stream->pushBack(octet);
            value = decodeTagged(*stream);
        }
        out = value.release();
    } catch (const IndexOutOfRange& e) {
        throw CoderException(Exception::LIB_CODERS, failures::kUnsupportedTag, failures::kBERDecode,
                             String(failures::kIndexOutOfRangeMessage) + e.toString());
    }
}

Owned<> BERCoder::decodeTagged(DecodingStream& in) {
    // The element as it is kept: its identifier octets as they came, the length (minimal, or 80),
    // and the contents read straight behind them.
    ByteArray encoding;
    const unsigned int tag = getTaggedValue(in, encoding);
    const int length = getLength(in);
    if (length < 0) {
        encoding += static_cast<unsigned char>(0x80);
        readTillDoubleZero(in, in.depth, encoding);
    } else {
        encoding += encodeLength(static_cast<unsigned int>(length));
        appendContents(in, static_cast<unsigned int>(length), encoding, failures::kBERDecode);
    }
    Owned<> value(ASN1Object::makeASN1Object(ASNTag::TAGGED, tag));
    value->setDERBytes(std::move(encoding));
    return value;
}

ASN1Boolean* BERCoder::decodeBoolean(ASN1Boolean* value, InputStream& in) const {
    // Any length form; exactly one contents octet, any non-zero value meaning TRUE.
    const int length = getLength(in);
    if (length != 1)
        throw CoderException(Exception::LIB_CODERS, failures::kBadBoolean, failures::kDecodeBoolean,
                             length < 0 ? String("a BOOLEAN has no indefinite length")
                                        : "a BOOLEAN has one contents octet, not " + std::to_string(length));
    const int contents = in.readOctet();
    if (contents < 0) failures::contentsEnd(failures::kDecodeBoolean, 0, 1);
    value->setValue(contents != 0x00);
    return value;
}

ASN1BitString* BERCoder::decodeBitString(ASN1BitString* value, InputStream& in) const {
    const unsigned char identifier = nextOctet(in);
    const int length = getLength(in);
    if (length < 0 || (identifier & 0x20)) return decodeBitStringSegments(value, in, length);
    if (length == 0)
        throw CoderException(Exception::LIB_CODERS, failures::kUnrepresentable, failures::kBERDecodeBitString,
                             "a bit string of length 0 has no unused-bits octet");
    const unsigned char unused = nextOctet(in);
    value->setValue(readContents(in, static_cast<unsigned int>(length) - 1, failures::kBERDecodeBitString),
                    unused);
    return value;
}

// Reads one segment of a constructed bit string: its contents, the unused-bits octet first.
ByteArray BERCoder::readBitStringSegment(InputStream& in, const Enclosing& enclosing) {
    const std::uint64_t offset = in.getCount();
    if (nextOctet(in) != 0x03) segmentFailure(failures::kBadSegment, failures::kBERDecodeBitString);
    const int length = getLength(in);
    if (length < 0) segmentFailure(failures::kIndefiniteSegment, failures::kBERDecodeBitString);
    if (length == 0)
        segmentFailure(failures::kUnrepresentable, failures::kBERDecodeBitString,
                       "a bit string segment of length 0 has no unused-bits octet");
    ByteArray contents = readContents(in, static_cast<unsigned int>(length), failures::kBERDecodeBitString);
    if (enclosing.end != 0 && in.getCount() > enclosing.end)
        overrun("BIT STRING", offset, in.getCount(), enclosing);
    return contents;
}

// Reads the segments of a constructed bit string, of indefinite (length -1) or definite length.
// Every segment but the last has no unused bits; the last one's count becomes the value's.
ASN1BitString* BERCoder::decodeBitStringSegments(ASN1BitString* value, InputStream& in, int length) const {
    const std::uint64_t start = in.getCount();
    const Enclosing enclosing{"BIT STRING", length < 0 ? 0 : start + static_cast<unsigned int>(length),
                              failures::kBERDecodeBitString};
    auto finished = [&]() {
        if (length < 0) return atEndOfContents(in, failures::kBERDecodeBitString);
        if (in.getCount() >= enclosing.end) return true;
        if (!in.hasData())
            failures::contentsEnd(failures::kBERDecodeBitString, in.getCount() - start,
                                  enclosing.end - start);
        return false;
    };
    for (bool done = finished(); !done;) {
        const ByteArray contents = readBitStringSegment(in, enclosing);
        Owned<ASN1BitString> segment(new ASN1BitString());
        done = finished();
        // Only the last segment keeps its unused bits; the others are whole octets.
        segment->setValue(contents.right(1), done ? contents[0] : 0);
        value->appendComponent(segment.release(), 0);
        if (done) value->setNumberOfInsignificantBits(contents[0]);
    }
    // A constructed bit string without segments is an empty bit string, not an unset one.
    if (value->getNumberOfComponents() == 0) value->setValue(ByteArray::emptyArray, 0);
    return value;
}

ASN1OctetString* BERCoder::decodeOctetString(ASN1OctetString* value, InputStream& in) const {
    const unsigned char identifier = nextOctet(in);
    const int length = getLength(in);
    if (length < 0) {
        decodeOctetStringSegments(value, in);
    } else if (!(identifier & 0x20)) {
        value->setValue(readContents(in, static_cast<unsigned int>(length), failures::kBERDecodeOctetString));
    } else if (length == 0) {
        value->setValue(ByteArray::emptyArray);
    } else {
        decodeComponents(in, value,
                         {"OCTET STRING", in.getCount() + static_cast<unsigned int>(length),
                          failures::kBERDecodeOctetString});
    }
    return value;
}

// The primitive segments of an indefinite-length octet string, through its end-of-contents.
void BERCoder::decodeOctetStringSegments(ASN1OctetString* value, InputStream& in) {
    while (!atEndOfContents(in, failures::kBERDecodeOctetString)) {
        if (nextOctet(in) != 0x04) segmentFailure(failures::kBadSegment, failures::kBERDecodeOctetString);
        const int segmentLength = getLength(in);
        if (segmentLength < 0) segmentFailure(failures::kIndefiniteSegment, failures::kBERDecodeOctetString);
        Owned<ASN1OctetString> segment(new ASN1OctetString());
        segment->setValue(
            readContents(in, static_cast<unsigned int>(segmentLength), failures::kBERDecodeOctetString));
        value->appendComponent(segment.release(), 0);
    }
    // A constructed string without segments is an empty string, not an unset one.
    if (value->getNumberOfComponents() == 0) value->setValue(ByteArray::emptyArray);
}

ASNStructured* BERCoder::decodeStructured(InputStream& in) const {
    const unsigned char identifier = nextOctet(in);
    if (identifier != 0x30 && identifier != 0x31)
        throw CoderException(Exception::LIB_GENERAL, failures::kUnsupportedIdentifier,
                             failures::kDecodeStructured, "");
    Owned<ASNStructured> structure(identifier == 0x30 ? static_cast<ASNStructured*>(new ASN1Sequence())
                                                      : new ASN1Set());
    structure->ignoreComponentRules(true);
    const int length = getLength(in);
    if (length >= 0) {
        decodeComponents(in, structure.get(),
                         {identifier == 0x30 ? "SEQUENCE" : "SET",
                          in.getCount() + static_cast<unsigned int>(length), failures::kDecodeStructured});
        return structure.release();
    }
    while (!atEndOfContents(in, failures::kDecodeStructured)) {
        ASN1Object* component = nullptr;
        decode(in, component);
        structure->appendComponent(std::unique_ptr<ASN1Object>(component));
    }
    return structure.release();
}

}  // namespace Ostrel
