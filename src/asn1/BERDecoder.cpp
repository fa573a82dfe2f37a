// The BER coder's decoding side: indefinite lengths, segmented strings, lenient BOOLEANs.
#include <memory>

#include "zentrik/asn1/BERCoder.h"
#include "zentrik/foundation/CoderException.h"
#include "zentrik/foundation/CoderFailures.h"

namespace Ostrel {

using Velmora::ByteArrayInputStream;
using Velmora::CoderException;
using Velmora::Exception;
using Velmora::IndexOutOfRange;
using Velmora::String;
namespace failures = Velmora::failures;

namespace {
using Owned = std::unique_ptr<ASN1Object, void (*)(ASN1Object*)>;

Owned own(ASN1Object* value) {
    return Owned(value, &ASN1Object::deleteObject);
}

template <typename Container>
void append(Container* container, Owned component) {
    container->appendComponent(component.get(), 0);
    component.release();
}

CoderException truncated(const char* operation, std::uint64_t consumed, std::uint64_t length) {
    return CoderException(
        Exception::LIB_CODERS, failures::kTruncated, operation,
        "the contents end after " + std::to_string(consumed) + " of " + std::to_string(length) + " octets");
}

// The tag number octets that follow an identifier octet ending in 1F, as they came.
void appendTagNumber(InputStream& in, ByteArray& result) {
    std::uint64_t number = 0;
    for (;;) {
        const int group = in.readOctet();
        if (group < 0) throw IndexOutOfRange(0, 0);
        result += static_cast<unsigned char>(group);
        number = (number << 7) | (static_cast<unsigned int>(group) & 0x7F);
        if (number > 0xFFFFFFFFu)
            throw CoderException(Exception::LIB_CODERS, failures::kUnrepresentable, failures::kGetTaggedValue,
                                 "the tag number does not fit in 32 bits");
        if (!(group & 0x80)) return;
    }
}
}  // namespace

SmartPointer<ASN1Object> BERCoder::decode(const ByteArray& bytes) {
    return decodeInPlace(bytes, [](InputStream& in) { return BERCoder::decode(in); });
}

SmartPointer<ASN1Object> BERCoder::decode(InputStream& in) {
    BERCoder coder;
    ASN1Object* value = nullptr;
    coder.decode(in, value);
    return SmartPointer<ASN1Object>(value, [](ASN1Object* v) { ASN1Object::deleteObject(v); });
}

void BERCoder::decode(ASNInterface& target, const ByteArray& bytes) {
    SmartPointer<ASN1Object> value = decode(bytes);
    target.fromASN1Object(value.get());
}

int BERCoder::getLength(InputStream& in) {
    const unsigned char first = nextOctet(in);
    if (first == 0x80) return -1;
    if (first < 0x80) return first;
    const unsigned int k = first & 0x7F;
    const ByteArray octets = in.readBlob(k);
    std::uint64_t length = 0;
    for (unsigned int i = 0; i < k; ++i) {
        length = (length << 8) | octets[i];
        // Lengths of 2^31 and above do not fit the result (and would read as "indefinite").
        if (length > 0x7FFFFFFF)
            throw CoderException(Exception::LIB_CODERS, failures::kUnrepresentable, failures::kBERGetLength,
                                 "lengths of 2^31 octets and more are not supported");
    }
    return static_cast<int>(length);
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
    return readTillDoubleZero(in, 0);
}

ByteArray BERCoder::readTillDoubleZero(InputStream& in, unsigned int depth) {
    ByteArray result;
    readTillDoubleZero(in, depth, result);
    return result;
}

void BERCoder::readTillDoubleZero(InputStream& in, unsigned int depth, ByteArray& result) {
    // Walks the elements without recursion; `open` counts the indefinite elements not yet closed.
    unsigned int open = 1;
    for (;;) {
        // An end-of-contents pair, or the first identifier octet of the next element. At the end of
        // the data this fails as a checking index into the pair would.
        const int first = in.readOctet();
        if (first < 0) throw IndexOutOfRange(0, 0);
        if (first == 0) {
            const int second = in.readOctet();
            if (second < 0) throw IndexOutOfRange(1, 1);
            if (second == 0) {
                result += static_cast<unsigned char>(0x00);
                result += static_cast<unsigned char>(0x00);
                if (--open == 0) return;
                continue;
            }
            in.pushBack(static_cast<unsigned char>(second));
        }
        result += static_cast<unsigned char>(first);
        if ((first & 0x1F) == 0x1F) appendTagNumber(in, result);
        int length = in.readOctet();  // the short and indefinite forms in place
        if (length == 0x80) {
            length = -1;
        } else if (length < 0 || length > 0x80) {
            if (length >= 0) in.pushBack(static_cast<unsigned char>(length));
            length = getLength(in);
        }
        if (length < 0) {
            if (depth + open >= failures::kMaxNesting)
                throw CoderException(
                    Exception::LIB_CODERS, failures::kTooDeep, failures::kBERReadTillDoubleZero,
                    "elements nest more than " + std::to_string(failures::kMaxNesting) + " levels deep");
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
    ASN1Object* made = nullptr;
    try {
        const unsigned char octet = nextOctet(in);  // empty input throws IndexOutOfRange
        Nesting nesting(*this, failures::kBERDecode);
        ASN1Object* result = decodeUniversal(octet, in, made, failures::kBERDecodeIdentifier);
        if (!result) {
            in.pushBack(octet);
            // The element as it is kept: its identifier octets as they came, the length (minimal, or
            // 80), and the contents read straight behind them.
            ByteArray encoding;
            const unsigned int tag = getTaggedValue(in, encoding);
            const int length = getLength(in);
            if (length < 0) {
                encoding += static_cast<unsigned char>(0x80);
                readTillDoubleZero(in, depth(), encoding);
            } else {
                encoding += encodeLength(static_cast<unsigned int>(length));
                appendContents(in, static_cast<unsigned int>(length), encoding, failures::kBERDecode);
            }
            result = made = ASN1Object::makeASN1Object(ASNTag::TAGGED, tag);
            made->setDERBytes(std::move(encoding));
        }
        out = result;
    } catch (const IndexOutOfRange& e) {
        ASN1Object::deleteObject(made);
        throw CoderException(Exception::LIB_CODERS, failures::kUnsupportedTag, failures::kBERDecode,
                             String(failures::kIndexOutOfRangeMessage) + e.toString());
    } catch (...) {
        ASN1Object::deleteObject(made);
        throw;
    }
}

ASN1Boolean* BERCoder::decodeBoolean(ASN1Boolean* value, InputStream& in) const {
    const ByteArray octets = in.readBlob(2);  // the length octet, not examined, and the contents octet
    value->setValue(octets[1] != 0x00);
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

// Reads the segments of a constructed bit string, of indefinite (length -1) or definite length.
// Every segment but the last has no unused bits; the last one's count becomes the value's.
ASN1BitString* BERCoder::decodeBitStringSegments(ASN1BitString* value, InputStream& in, int length) const {
    const std::uint64_t start = in.getCount();
    auto finished = [&]() {
        if (length < 0) return atEndOfContents(in, failures::kBERDecodeBitString);
        const std::uint64_t consumed = in.getCount() - start;
        if (consumed >= static_cast<std::uint64_t>(length)) return true;
        if (!in.hasData())
            throw truncated(failures::kBERDecodeBitString, consumed, static_cast<unsigned>(length));
        return false;
    };
    for (bool done = finished(); !done;) {
        if (nextOctet(in) != 0x03)
            throw CoderException(Exception::LIB_CODERS, failures::kBadSegment, failures::kBERDecodeBitString,
                                 "");
        const int segmentLength = getLength(in);
        if (segmentLength < 0)
            throw CoderException(Exception::LIB_CODERS, failures::kIndefiniteSegment,
                                 failures::kBERDecodeBitString, "");
        if (segmentLength == 0)
            throw CoderException(Exception::LIB_CODERS, failures::kUnrepresentable,
                                 failures::kBERDecodeBitString,
                                 "a bit string segment of length 0 has no unused-bits octet");
        const ByteArray contents =
            readContents(in, static_cast<unsigned int>(segmentLength), failures::kBERDecodeBitString);
        Owned segment = own(ASN1Object::makeASN1Object(ASNTag::BIT_STRING, 0));
        done = finished();
        // Only the last segment keeps its unused bits; the others are whole octets.
        static_cast<ASN1BitString*>(segment.get())->setValue(contents.right(1), done ? contents[0] : 0);
        append(value, std::move(segment));
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
        while (!atEndOfContents(in, failures::kBERDecodeOctetString)) {
            if (nextOctet(in) != 0x04)
                throw CoderException(Exception::LIB_CODERS, failures::kBadSegment,
                                     failures::kBERDecodeOctetString, "");
            const int segmentLength = getLength(in);
            if (segmentLength < 0)
                throw CoderException(Exception::LIB_CODERS, failures::kIndefiniteSegment,
                                     failures::kBERDecodeOctetString, "");
            Owned segment = own(ASN1Object::makeASN1Object(ASNTag::OCTET_STRING, 0));
            static_cast<ASN1OctetString*>(segment.get())
                ->setValue(readContents(in, static_cast<unsigned int>(segmentLength),
                                        failures::kBERDecodeOctetString));
            append(value, std::move(segment));
        }
        // A constructed string without segments is an empty string, not an unset one.
        if (value->getNumberOfComponents() == 0) value->setValue(ByteArray::emptyArray);
    } else if (!(identifier & 0x20)) {
        value->setValue(readContents(in, static_cast<unsigned int>(length), failures::kBERDecodeOctetString));
    } else if (length == 0) {
        value->setValue(ByteArray::emptyArray);
    } else {
        const std::uint64_t start = in.getCount();
        while (in.getCount() - start < static_cast<std::uint64_t>(length)) {
            if (!in.hasData())
                throw truncated(failures::kBERDecodeOctetString, in.getCount() - start,
                                static_cast<unsigned>(length));
            ASN1Object* segment = nullptr;
            decode(in, segment);
            append(value, own(segment));
        }
    }
    return value;
}

ASNStructured* BERCoder::decodeStructured(InputStream& in) const {
    const unsigned char identifier = nextOctet(in);
    Owned structure = own(nullptr);
    if (identifier == 0x30)
        structure.reset(ASN1Object::makeASN1Object(ASNTag::SEQUENCE, 0));
    else if (identifier == 0x31)
        structure.reset(ASN1Object::makeASN1Object(ASNTag::SET, 0));
    else
        throw CoderException(Exception::LIB_GENERAL, failures::kUnsupportedIdentifier,
                             failures::kDecodeStructured, "");
    auto* result = static_cast<ASNStructured*>(structure.get());
    result->ignoreComponentRules(true);
    const int length = getLength(in);
    if (length < 0) {
        while (!atEndOfContents(in, failures::kDecodeStructured)) {
            ASN1Object* component = nullptr;
            decode(in, component);
            append(result, own(component));
        }
    } else {
        const std::uint64_t start = in.getCount();
        while (in.getCount() - start < static_cast<std::uint64_t>(length)) {
            if (!in.hasData())
                throw truncated(failures::kDecodeStructured, in.getCount() - start,
                                static_cast<unsigned>(length));
            ASN1Object* component = nullptr;
            decode(in, component);
            append(result, own(component));
        }
    }
    structure.release();
    return result;
}

}  // namespace Ostrel
