// The DER coder's frame: static entry points, the validity test, identifier and length octets.
#include "zentrik/asn1/DERCoder.h"

#include "zentrik/foundation/CoderException.h"
#include "zentrik/foundation/CoderFailures.h"

namespace Ostrel {

using Velmora::ByteArrayInputStream;
using Velmora::ByteArrayOutputStream;
using Velmora::CoderException;
using Velmora::Exception;
using Velmora::String;
namespace failures = Velmora::failures;

namespace {
void deleteValue(ASN1Object* value) { ASN1Object::deleteObject(value); }

SmartPointer<ASN1Object> decodeWith(const DERCoder& coder, InputStream& in,
                                    void (*run)(const DERCoder&, InputStream&, ASN1Object*&)) {
    ASN1Object* value = nullptr;
    try {
        run(coder, in, value);
        return SmartPointer<ASN1Object>(value, &deleteValue);
    } catch (const Exception& e) {
        ASN1Object::deleteObject(value);
        throw Exception(e);
    }
}
}  // namespace

DERCoder::~DERCoder() = default;

DERCoder::Nesting::Nesting(const DERCoder& coder, const char* operation) : coder_(coder) {
    if (coder_.depth_ >= failures::kMaxNesting)
        throw CoderException(Exception::LIB_CODERS, failures::kTooDeep, operation,
                             "elements nest more than " + std::to_string(failures::kMaxNesting) + " levels deep");
    ++coder_.depth_;
}

const ByteArray DERCoder::encode(const ASN1Object* value) {
    if (!value) throw CoderException(Exception::LIB_CODERS, failures::kNullValue, failures::kDEREncodeValue, "");
    try {
        if (!isValid(value)) return ByteArray::emptyArray;
        ByteArrayOutputStream out;
        encode(value, out);
        return out.takeByteArray();
    } catch (const Exception& e) {
        throw CoderException(Exception::LIB_CODERS, failures::kEntryPointFailed, failures::kDEREncodeValue, e, "");
    }
}

void DERCoder::encode(const ASN1Object* value, OutputStream& out) {
    if (!value) throw CoderException(Exception::LIB_CODERS, failures::kNullValue, failures::kDEREncodeStream, "");
    try {
        if (!isValid(value)) return;
        DERCoder coder;
        coder.encode(out, value);
    } catch (const Exception& e) {
        throw CoderException(Exception::LIB_CODERS, failures::kEntryPointFailed, failures::kDEREncodeStream, e, "");
    }
}

const ByteArray DERCoder::encode(const ASNInterface& object) {
    ByteArrayOutputStream out;
    SmartPointer<ASN1Object> value = object.toASN1Object();
    encode(value.get(), out);
    return out.takeByteArray();
}

SmartPointer<ASN1Object> DERCoder::decode(const ByteArray& octets) {
    ByteArrayInputStream in(octets.data(), octets.size());
    return decode(in);
}

SmartPointer<ASN1Object> DERCoder::decode(InputStream& in) {
    DERCoder coder;
    return decodeWith(coder, in, [](const DERCoder& c, InputStream& s, ASN1Object*& v) { c.decode(s, v); });
}

void DERCoder::decode(ASNInterface& object, const ByteArray& octets) {
    SmartPointer<ASN1Object> value = decode(octets);
    object.fromASN1Object(value.get());
}

bool DERCoder::isValid(const ASN1Object* value) {
    if (!value) return false;
    if (!value->isNull()) return true;
    if (value->isOptional()) return false;
    throw CoderException(Exception::LIB_CODERS, failures::kMissingValue, failures::kIsValid, "");
}

const ByteArray DERCoder::encodeLength(unsigned int length) {
    if (length < 0x80) return ByteArray(static_cast<unsigned char>(length));
    unsigned char octets[5];
    int k = 0;
    for (unsigned int rest = length; rest; rest >>= 8) ++k;
    octets[0] = static_cast<unsigned char>(0x80 | k);
    for (int i = 0; i < k; ++i) octets[k - i] = static_cast<unsigned char>(length >> (8 * i));
    return ByteArray(octets, static_cast<std::size_t>(k) + 1);
}

const ByteArray DERCoder::encodeTagClassValue(unsigned int classBits, unsigned int tagNumber) {
    if (tagNumber <= 30) return ByteArray(static_cast<unsigned char>(classBits | tagNumber));
    unsigned char octets[6];
    int groups = 0;
    for (unsigned int rest = tagNumber; rest; rest >>= 7) ++groups;
    octets[0] = static_cast<unsigned char>(classBits | 0x1F);
    for (int i = 0; i < groups; ++i) {
        unsigned char group = static_cast<unsigned char>((tagNumber >> (7 * i)) & 0x7F);
        if (i > 0) group |= 0x80;
        octets[groups - i] = group;
    }
    return ByteArray(octets, static_cast<std::size_t>(groups) + 1);
}

unsigned int DERCoder::getLength(InputStream& in) {
    const int first = in.readOctet();
    if (first < 0)
        throw CoderException(Exception::LIB_CODERS, failures::kBadLength, failures::kDERGetLength,
                             failures::kNoLengthMessage);
    if (first == 0x80) throw CoderException(Exception::LIB_CODERS, failures::kBadLength, failures::kDERGetLength, "");
    if (first < 0x80) return static_cast<unsigned int>(first);
    const unsigned int k = static_cast<unsigned int>(first) - 0x80;
    const ByteArray octets = in.readBlob(k);
    std::uint64_t length = 0;
    for (unsigned int i = 0; i < k; ++i) {
        length = (length << 8) | octets[i];  // a missing octet throws IndexOutOfRange
        // Leading zero octets are accepted; a length past 32 bits is refused rather than cut.
        if (length > 0xFFFFFFFFu)
            throw CoderException(Exception::LIB_CODERS, failures::kBadLength, failures::kDERGetLength,
                                 "the length does not fit in 32 bits");
    }
    return static_cast<unsigned int>(length);
}

bool DERCoder::isContextSpecific(InputStream& in) {
    const ByteArray next = in.peek(1);
    return (next[0] & 0x80) != 0;
}

unsigned int DERCoder::getTaggedValue(InputStream& in, ByteArray& consumed) {
    const ByteArray first = in.readBlob(1);
    const unsigned char octet = first[0];
    if (!(octet & 0x80)) throw CoderException(Exception::LIB_CODERS, failures::kNotTagged, failures::kGetTaggedValue, "");
    consumed = first;
    if ((octet & 0x1F) != 0x1F) return octet & 0x1F;
    std::uint64_t number = 0;
    for (;;) {
        const ByteArray next = in.readBlob(1);
        const unsigned char group = next[0];
        consumed += group;
        number = (number << 7) | (group & 0x7F);
        // A tag number past 32 bits cannot be held: refuse it rather than lose its high groups.
        if (number > 0xFFFFFFFFu)
            throw CoderException(Exception::LIB_CODERS, failures::kUnrepresentable, failures::kGetTaggedValue,
                                 "the tag number does not fit in 32 bits");
        if (!(group & 0x80)) break;
    }
    return static_cast<unsigned int>(number);
}

unsigned int DERCoder::getTaggedValue(InputStream& in) {
    ByteArray scratch;
    return getTaggedValue(in, scratch);
}

unsigned int DERCoder::peekAtTaggedValue(InputStream& in) {
    ByteArray consumed;
    const unsigned int number = getTaggedValue(in, consumed);
    in.pushBack(consumed);
    return number;
}

unsigned char DERCoder::nextOctet(InputStream& in) {
    const int octet = in.readOctet();
    if (octet < 0) throw Velmora::IndexOutOfRange(0, 0);
    return static_cast<unsigned char>(octet);
}

ByteArray DERCoder::readContents(InputStream& in, std::uint64_t length, const char* operation) {
    ByteArray contents = in.readBlob(static_cast<std::size_t>(length));
    if (contents.size() < length)
        throw CoderException(Exception::LIB_CODERS, failures::kTruncated, operation,
                             "the contents end after " + std::to_string(contents.size()) + " of " +
                                 std::to_string(length) + " octets");
    return contents;
}

}  // namespace Ostrel
