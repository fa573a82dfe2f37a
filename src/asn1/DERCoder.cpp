// The DER coder's frame: static entry points, the validity test, identifier and length octets.
#include "zentrik/asn1/DERCoder.h"

#include <algorithm>

#include "zentrik/asn1/CodingStreams.h"
#include "zentrik/asn1/DERFastEncoder.h"
#include "zentrik/asn1/DirectDecoder.h"
#include "zentrik/foundation/CoderException.h"
#include "zentrik/foundation/CoderFailures.h"
#include "zentrik/platform/asn1/ASN1Octets.h"

namespace Ostrel {

using Velmora::ByteArrayInputStream;
using Velmora::ByteArrayOutputStream;
using Velmora::CoderException;
using Velmora::Exception;
using Velmora::String;
namespace failures = Velmora::failures;

namespace {
// The failure of the static stream encode, around what failed inside.
[[noreturn]] void streamEntryFailed(const Exception& e) {
    throw CoderException(Exception::LIB_CODERS, failures::kEntryPointFailed, failures::kDEREncodeStream, e,
                         "");
}
}  // namespace

DERCoder::~DERCoder() = default;

void DERCoder::tooDeep(const char* operation) {
    static_assert(kNestingLimit == failures::kMaxNesting, "one nesting limit for every coder");
    throw CoderException(Exception::LIB_CODERS, failures::kTooDeep, operation,
                         "elements nest more than " + std::to_string(failures::kMaxNesting) + " levels deep");
}

const ByteArray DERCoder::encode(const ASN1Object* value) {
    if (!value)
        throw CoderException(Exception::LIB_CODERS, failures::kNullValue, failures::kDEREncodeValue, "");
    try {
        if (!isValid(value)) return ByteArray::emptyArray;
        try {
            return DERFastEncoder::encode(value);
        } catch (const Exception& e) {
            streamEntryFailed(e);  // as the stream form, which this form stands for, reports it
        }
    } catch (const Exception& e) {
        throw CoderException(Exception::LIB_CODERS, failures::kEntryPointFailed, failures::kDEREncodeValue, e,
                             "");
    }
}

void DERCoder::encode(const ASN1Object* value, OutputStream& out) {
    if (!value)
        throw CoderException(Exception::LIB_CODERS, failures::kNullValue, failures::kDEREncodeStream, "");
    try {
        if (!isValid(value)) return;
        DERFastEncoder::encode(value, out);
    } catch (const Exception& e) {
        streamEntryFailed(e);
    }
}

const ByteArray DERCoder::encode(const ASNInterface& object) {
    ByteArrayOutputStream out;
    SmartPointer<ASN1Object> value = object.toASN1Object();
    encode(value.get(), out);
    return out.takeByteArray();
}

SmartPointer<ASN1Object> DERCoder::decode(const ByteArray& octets) {
    return decodeInPlace(octets, [](InputStream& in) { return DERCoder::decode(in); });
}

SmartPointer<ASN1Object> DERCoder::decodeInPlace(const ByteArray& octets,
                                                 SmartPointer<ASN1Object> (*run)(InputStream&)) {
    DecodingStream in(octets.data(), octets.size());
    return run(in);
}

SmartPointer<ASN1Object> DERCoder::decode(InputStream& in) {
    // Well-formed octets in memory are read directly; anything else goes through the stream decoder.
    if (Owned<> direct = DirectDecoder::decodeFront(in, DirectDecoder::Rules::der))
        return SmartPointer<ASN1Object>(direct.release(), &ASN1Object::deleteObject);
    ASN1Object* value = nullptr;
    try {
        DERCoder().decode(in, value);
        return SmartPointer<ASN1Object>(value, &ASN1Object::deleteObject);
    } catch (const Exception& e) {
        ASN1Object::deleteObject(value);
        throw Exception(e);
    }
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
    unsigned char octets[octets::kMaxLengthOctets];
    return ByteArray(octets, octets::writeLength(length, octets));
}

const ByteArray DERCoder::encodeTagClassValue(unsigned int classBits, unsigned int tagNumber) {
    unsigned char octets[octets::kMaxIdentifierOctets];
    return ByteArray(octets, octets::writeIdentifier(classBits, tagNumber, octets));
}

unsigned int DERCoder::getLength(InputStream& in) {
    return lengthFrom(in, in.readOctet());
}

unsigned int DERCoder::lengthFrom(InputStream& in, int first) {
    std::int64_t length = 0;
    switch (octets::lengthAfter(
        first, [&in] { return in.readOctet(); }, 0xFFFFFFFFu, length)) {
        case octets::Fault::none:
            if (length == octets::kIndefinite)
                throw CoderException(Exception::LIB_CODERS, failures::kBadLength, failures::kDERGetLength,
                                     "");
            return static_cast<unsigned int>(length);
        case octets::Fault::missing:
            throw CoderException(Exception::LIB_CODERS, failures::kBadLength, failures::kDERGetLength,
                                 failures::kNoLengthMessage);
        case octets::Fault::tooLarge:  // leading zero octets are accepted; a length past 32 bits is not
            throw CoderException(Exception::LIB_CODERS, failures::kBadLength, failures::kDERGetLength,
                                 "the length does not fit in 32 bits");
        default:  // the data ends inside the length octets, as a checking index into them would say
            noOctet();
    }
}

unsigned int DERCoder::readTagNumber(InputStream& in, ByteArray& kept, const char* operation) {
    std::uint64_t number = 0;
    auto next = [&in, &kept] {
        const int octet = in.readOctet();
        if (octet >= 0) kept += static_cast<unsigned char>(octet);
        return octet;
    };
    switch (octets::readBase128(next, 0xFFFFFFFFu, number)) {
        case octets::Fault::none:
            return static_cast<unsigned int>(number);
        case octets::Fault::padded:
            throw CoderException(Exception::LIB_CODERS, failures::kMalformed, operation,
                                 "the tag number starts with the padding octet 0x80");
        case octets::Fault::tooLarge:  // refused rather than cut to its low groups
            throw CoderException(Exception::LIB_CODERS, failures::kUnrepresentable, operation,
                                 "the tag number does not fit in 32 bits");
        default:
            noOctet();
    }
}

bool DERCoder::isContextSpecific(InputStream& in) {
    const ByteArray next = in.peek(1);
    return (next[0] & 0x80) != 0;
}

unsigned int DERCoder::getTaggedValue(InputStream& in, ByteArray& consumed) {
    const unsigned char octet = nextOctet(in);
    if (!(octet & 0x80))
        throw CoderException(Exception::LIB_CODERS, failures::kNotTagged, failures::kGetTaggedValue, "");
    consumed = ByteArray(octet);
    if ((octet & 0x1F) != 0x1F) return octet & 0x1F;
    return readTagNumber(in, consumed, failures::kGetTaggedValue);
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

void DERCoder::noOctet() {
    throw Velmora::IndexOutOfRange(0, 0);
}

void DERCoder::appendContents(InputStream& in, std::uint64_t length, ByteArray& out, const char* operation) {
    // Grows with what actually arrives rather than with what the length claims; octets already in
    // memory are there for certain, so they are taken in one step.
    const std::size_t start = out.size();
    std::uint64_t done = 0;
    std::size_t step = static_cast<std::size_t>(
        std::min<std::uint64_t>(length, std::max<std::size_t>(InputStream::kChunkSize, in.inMemory())));
    while (done < length) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(step, length - done));
        unsigned char* room = out.prepareAppend(want);
        const std::size_t got = in.read(room, want);
        done += got;
        out.setLength(start + static_cast<std::size_t>(done));
        if (got < want) break;
        step = std::min<std::size_t>(step * 2, 16 * InputStream::kChunkSize);
    }
    if (done < length) failures::contentsEnd(operation, done, length);
}

const unsigned char* DERCoder::contentsInPlace(InputStream& in, std::uint64_t length, ByteArray& held,
                                               const char* operation) {
    const unsigned char* end = nullptr;
    const unsigned char* at = in.windowAhead(end);
    if (static_cast<std::uint64_t>(end - at) >= length) {
        in.consumeInPlace(static_cast<std::size_t>(length));
        return at;
    }
    held = readContents(in, length, operation);
    return held.data();
}

ByteArray DERCoder::readContents(InputStream& in, std::uint64_t length, const char* operation) {
    ByteArray contents;
    if (length <= 16) {  // a few octets: read one by one in place, no calls
        unsigned char* room = contents.prepareAppend(static_cast<std::size_t>(length));
        for (std::size_t got = 0; got < length; ++got) {
            const int octet = in.readOctet();
            if (octet < 0) failures::contentsEnd(operation, got, length);
            room[got] = static_cast<unsigned char>(octet);
        }
        contents.setLength(static_cast<std::size_t>(length));
        return contents;
    }
    if (length < 32) {  // within the array's own room: one read, no allocation
        const std::size_t want = static_cast<std::size_t>(length);
        const std::size_t got = in.read(contents.prepareAppend(want), want);
        contents.setLength(got);
        if (got < want) failures::contentsEnd(operation, got, length);
        return contents;
    }
    appendContents(in, length, contents, operation);
    return contents;
}

}  // namespace Ostrel
