// The DER coder's encoding side: the dispatch on the value's kind and one writer per value family.
#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "zentrik/asn1/CodingStreams.h"
#include "zentrik/asn1/DERCoder.h"
#include "zentrik/foundation/CoderException.h"
#include "zentrik/foundation/CoderFailures.h"
#include "zentrik/platform/asn1/ASN1Octets.h"

namespace Ostrel {

using Velmora::BigNumber;
using Velmora::ByteArrayOutputStream;
using Velmora::CoderException;
using Velmora::Exception;
using Velmora::IndexOutOfRange;
using Velmora::IntArray;
using Velmora::String;
namespace failures = Velmora::failures;

namespace {
// Two's complement, big-endian, minimal: the contents of an INTEGER or ENUMERATED of this value.
ByteArray minimalTwosComplement(long long value) {
    unsigned char octets[8];
    int count = 0;
    do {
        octets[7 - count++] = static_cast<unsigned char>(value & 0xFF);
        value >>= 8;  // arithmetic: the sign is kept
    } while (!((value == 0 && !(octets[8 - count] & 0x80)) || (value == -1 && (octets[8 - count] & 0x80))));
    return ByteArray(octets + 8 - count, static_cast<std::size_t>(count));
}

// Elements up to this size are assembled in one array (held inside it) before they are written.
constexpr std::size_t kShortElement = 31;

// The contents octets of an object identifier's arcs, in base 128; the first two arcs share one
// subidentifier, itself in base 128 (2.48 and above need two octets).
ByteArray objectIdentifierOctets(const IntArray& arcs, unsigned int count) {
    ByteArray contents(static_cast<int>(count * 2));
    unsigned char groups[10];
    contents.append(
        groups, octets::writeBase128(40ull * static_cast<unsigned>(arcs[0]) + static_cast<unsigned>(arcs[1]),
                                     groups));
    for (unsigned int i = 2; i < count; ++i)
        contents.append(groups, octets::writeBase128(static_cast<std::uint32_t>(arcs[i]), groups));
    return contents;
}
}  // namespace

unsigned char DERCoder::universalOctet(const ASN1Object* value, bool constructedStrings) {
    unsigned char octet = static_cast<unsigned char>(value->getTagValue() & 0xFF);
    if (value->isConstructed() && (!constructedStrings || octet == 0x03 || octet == 0x04)) octet |= 0x20;
    return octet;
}

ByteArray DERCoder::tagOctets(const ASN1Object* value, unsigned int n, bool constructedStrings) {
    switch (value->taggedContext()) {
        case ASNTag::UNTAGGED:
            return ByteArray(universalOctet(value, constructedStrings));
        case ASNTag::EXPLICIT: {
            ByteArray octets = encodeTagClassValue(0xA0, value->taggedValue());
            octets += encodeLength(n + 1);
            octets += universalOctet(value, constructedStrings);
            return octets;
        }
        case ASNTag::IMPLICIT:
            return encodeTagClassValue(value->isConstructed() ? 0xA0 : 0x80, value->taggedValue());
        default:
            throw CoderException(Exception::LIB_CODERS, failures::kUnsupportedTag, failures::kEncodeTagged,
                                 "");
    }
}

ByteArray DERCoder::encodeTag(const ASN1Object* value, unsigned int n) const {
    return tagOctets(value, n, false);
}

void DERCoder::writeElement(OutputStream& out, const ASN1Object* value, const ByteArray& contents) const {
    writeElement(out, value, contents.data(), contents.size());
}

void DERCoder::writeElement(OutputStream& out, const ASN1Object* value, const unsigned char* contents,
                            std::size_t size) const {
    // Identifier and length octets in one array; short contents join them, so that most elements
    // are one write.
    unsigned char length[octets::kMaxLengthOctets];
    const std::size_t lengthSize = octets::writeLength(size, length);
    ByteArray element = encodeTag(value, static_cast<unsigned int>(lengthSize + size));
    element.append(length, lengthSize);
    if (element.size() + size <= kShortElement) {
        element.append(contents, size);
        out << element;
    } else {
        out << element;
        out.write(contents, size);
    }
}

void DERCoder::writeConstructed(OutputStream& out, const ASN1Object* value, const ByteArray& segments) const {
    const ByteArray length = encodeLength(static_cast<unsigned int>(segments.size()));
    out << encodeTag(value, static_cast<unsigned int>(length.size() + segments.size())) << length << segments;
}

inline void DERCoder::encodeElement(EncodingStream& out, const ASN1Object* value) const {
    if (value->isAny()) return encode(out, asn1_const_cast<ASN1Any>(value)->getValue());
    if (value->isChoice()) return encodeChosen(out, value);
    const ByteArray& der = value->getDERBytes();
    if (!der.isEmpty()) {
        out << der;
        return;
    }
    switch (value->getTagValue()) {
        case ASNTag::BOOLEAN:
            return encodeBoolean(asn1_const_cast<ASN1Boolean>(value), out);
        case ASNTag::INTEGER:
            return encodeInteger(asn1_const_cast<ASN1Integer>(value), out);
        case ASNTag::BIT_STRING:
        case ASNTag::CONSTRUCTED_BIT_STRING:
            return encodeBitString(asn1_const_cast<ASN1BitString>(value), out);
        case ASNTag::OCTET_STRING:
        case ASNTag::CONSTRUCTED_OCTET_STRING:
            return encodeOctetString(asn1_const_cast<ASN1OctetString>(value), out);
        case ASNTag::ASN1_NULL:
            return encodeASN1Null(asn1_const_cast<ASN1Null>(value), out);
        case ASNTag::OBJECT_IDENTIFIER:
            return encodeOID(asn1_const_cast<ASN1ObjectIdentifier>(value), out);
        case ASNTag::OBJECT_DESCRIPTOR:
            throw CoderException(Exception::LIB_CODERS, failures::kObjectDescriptor,
                                 failures::kDEREncodeStream, "");
        case ASNTag::EXTERNAL:
            throw CoderException(Exception::LIB_CODERS, failures::kExternal, failures::kDEREncodeStream, "");
        case ASNTag::REAL:
            throw CoderException(Exception::LIB_CODERS, failures::kReal, failures::kDEREncodeStream, "");
        case ASNTag::ENUMERATED:
            return encodeEnumerated(asn1_const_cast<ASN1Enumerated>(value), out);
        case ASNTag::SEQUENCE:
        case ASNTag::SET:
            return encodeStructured(asn1_const_cast<ASNStructured>(value), out);
        default:
            if (ASN1String::acceptsTag(value->getTagValue()))
                return encodeString(asn1_const_cast<ASN1String>(value), out);
            if (ASN1Time::acceptsTag(value->getTagValue()))
                return encodeTime(asn1_const_cast<ASN1Time>(value), out);
            throw CoderException(Exception::LIB_CODERS, failures::kUnsupportedTag, failures::kDEREncodeStream,
                                 "");
    }
}

void DERCoder::encode(OutputStream& out, const ASN1Object* value) const {
    EncodingStream* stream = EncodingStream::of(out);
    if (!stream) {  // a call from outside the entry points: the call's state starts here
        EncodingStream through(out);
        encode(through, value);
        return;
    }
    try {
        Nesting nesting(stream->state().depth, failures::kDEREncodeStream);
        if (!value)
            throw CoderException(Exception::LIB_CODERS, failures::kNullValue, failures::kDEREncodeStream, "");
        if (value->isNull() && !isValid(value)) return;  // a set value is always valid
        encodeElement(*stream, value);
    } catch (const IndexOutOfRange& e) {
        throw CoderException(Exception::LIB_CODERS, failures::kUnsupportedTag, failures::kDEREncodeStream,
                             String(failures::kIndexOutOfRangeMessage) + e.toString());
    } catch (const Exception& e) {
        throw CoderException(Exception::LIB_CODERS, failures::kEncodingFailed, failures::kDEREncodeStream, e,
                             "");
    }
}

void DERCoder::encodeChosen(EncodingStream& out, const ASN1Object* value) const {
    const ASN1Object* chosen = asn1_const_cast<ASN1Choice>(value)->getValue();
    if (value->taggedContext() != ASNTag::EXPLICIT) {
        encode(out, chosen);
        return;
    }
    const ContentsBuffer inner(out);
    encode(inner.stream(), chosen);
    const ByteArray& contents = inner.stream().getByteArray();
    out << encodeTagClassValue(0xA0, value->taggedValue())
        << encodeLength(static_cast<unsigned int>(contents.size())) << contents;
}

void DERCoder::encodeStructured(const ASNStructured* value, OutputStream& out) const {
    const unsigned int count = value->getNumberOfComponents();
    // The components go straight into one buffer of the coder's, then behind the identifier and length.
    const ContentsBuffer contents(out);
    EncodingStream& buffer = contents.stream();
    const bool sorted =
        value->getTagValue() == ASNTag::SET || value->getTagValue() == ASNTag::SORTED_STRUCTURE;
    if (!sorted || count < 2) {
        for (unsigned int i = 0; i < count; ++i) encode(buffer, value->getComponent(i));
        writeElement(out, value, buffer.getByteArray());
        return;
    }
    // A SET in the order of its components' encodings: octet by octet, a prefix before the longer one.
    std::vector<std::pair<std::size_t, std::size_t>> spans;  // where each encoding starts, and its size
    spans.reserve(count);
    for (unsigned int i = 0; i < count; ++i) {
        const std::size_t start = buffer.size();
        encode(buffer, value->getComponent(i));
        spans.emplace_back(start, buffer.size() - start);
    }
    const unsigned char* octets = buffer.getByteArray().data();
    std::sort(spans.begin(), spans.end(), [octets](const auto& a, const auto& b) {
        const int order = std::memcmp(octets + a.first, octets + b.first, std::min(a.second, b.second));
        return order != 0 ? order < 0 : a.second < b.second;
    });
    const ContentsBuffer ordered(out);
    for (const auto& [start, size] : spans) ordered.stream().write(octets + start, size);
    writeElement(out, value, ordered.stream().getByteArray());
}

void DERCoder::encodeBoolean(const ASN1Boolean* value, OutputStream& out) const {
    writeElement(out, value, ByteArray(static_cast<unsigned char>(value->getValue() ? 0xFF : 0x00)));
}

void DERCoder::encodeInteger(const ASN1Integer* value, OutputStream& out) const {
    if (value->hasContentOctets()) {  // a decoded integer: its minimal octets as they came
        writeElement(out, value, value->contentOctets().data(), value->contentOctets().size());
        return;
    }
    const BigNumber& v = value->getValue();
    const bool negative = v.isNegative();
    const ByteArray octets = negative ? v.twosComplement().toByteArray(true) : v.toByteArray(true);
    const bool topBit = (octets[0] & 0x80) != 0;
    const bool signOctet = topBit != negative;
    const unsigned int count = static_cast<unsigned int>(octets.size()) + (signOctet ? 1 : 0);
    const ByteArray length = encodeLength(count);
    out << encodeTag(value, static_cast<unsigned int>(length.size()) + count) << length;
    if (signOctet) out << static_cast<char>(negative ? 0xFF : 0x00);
    out << octets;
}

void DERCoder::encodeBitString(const ASN1BitString* value, OutputStream& out) const {
    // The string's own octets are written without a copy; those of segments are joined first.
    const bool segmented = value->getNumberOfComponents() != 0;
    const ByteArray joined = segmented ? value->getValue() : ByteArray();
    const ByteArray& bits = segmented ? joined : value->getOwnValue();
    const unsigned char unused = static_cast<unsigned char>(value->getNumberOfInsignificantBits() & 0xFF);
    // A bit string held as segments is written whole, in the primitive form its contents have:
    // a constructed identifier in front of primitive contents would make the element unreadable.
    const unsigned int size = static_cast<unsigned int>(bits.size() + 1);
    const ByteArray length = encodeLength(size);
    const unsigned int n = static_cast<unsigned int>(length.size()) + size;
    const ByteArray tag = value->isConstructed() ? primitiveTag(value, n) : encodeTag(value, n);
    out << tag << length << static_cast<char>(unused) << bits;
}

ByteArray DERCoder::primitiveTag(const ASN1Object* value, unsigned int n) {
    if (value->taggedContext() == ASNTag::IMPLICIT) return encodeTagClassValue(0x80, value->taggedValue());
    ByteArray octets = tagOctets(value, n, true);
    octets[static_cast<unsigned int>(octets.size() - 1)] &= static_cast<unsigned char>(~0x20);
    return octets;
}

void DERCoder::encodeOctetString(const ASN1OctetString* value, OutputStream& out) const {
    if (value->isStreamable()) {
        try {
            InputStream* stream = value->getInputStream();
            ByteArray contents(1024);
            ByteArray chunk(1024);
            while (stream->hasData()) {
                *stream >> chunk;
                contents += chunk;
            }
            writeElement(out, value, contents);
        } catch (const Exception& e) {
            throw Exception(e);
        }
        return;
    }
    if (value->isConstructed() && value->getNumberOfComponents() != 0) {
        const ContentsBuffer segments(out);
        for (unsigned int i = 0; i < value->getNumberOfComponents(); ++i)
            DERCoder::encode(segments.stream(), value->getComponent(i));
        writeConstructed(out, value, segments.stream().getByteArray());
        return;
    }
    writeElement(out, value, value->getOwnValue());  // without segments: the string's own octets
}

void DERCoder::encodeASN1Null(const ASN1Null* value, OutputStream& out) const {
    out << encodeTag(value, 1) << static_cast<char>(0x00);
}

void DERCoder::encodeTime(const ASN1Time* value, OutputStream& out) const {
    if (value->hasContentOctets())
        writeElement(out, value, value->contentOctets().data(),
                     value->contentOctets().size());  // a decoded time: its octets as they came
    else
        writeElement(out, value, value->getValue().toASCIIByteArray());
}

void DERCoder::encodeEnumerated(const ASN1Enumerated* value, OutputStream& out) const {
    // Two's complement, big-endian, minimal, as for INTEGER, so that every int comes back as it was.
    writeElement(out, value, minimalTwosComplement(value->getValue()));
}

void DERCoder::encodeOID(const ASN1ObjectIdentifier* value, OutputStream& out) const {
    if (value->hasContentOctets()) {  // a decoded identifier: its octets, complete and minimal
        writeElement(out, value, value->contentOctets().data(), value->contentOctets().size());
        return;
    }
    const IntArray& arcs = value->getValue();
    const unsigned int count = value->getLength();
    const bool valid = count >= 2 && arcs[0] >= 0 && arcs[0] <= 2 &&
                       (arcs[0] == 2 ? arcs[1] >= 0 : (arcs[1] >= 0 && arcs[1] <= 39));
    if (!valid)
        throw CoderException(Exception::LIB_CODERS, failures::kBadObjectIdentifier, failures::kEncodeOID, "");
    writeElement(out, value, objectIdentifierOctets(arcs, count));
}

void DERCoder::encodeString(const ASN1String* value, OutputStream& out) const {
    if (value->hasContentOctets()) {  // decoded octets that encode the text exactly
        writeElement(out, value, value->contentOctets().data(), value->contentOctets().size());
        return;
    }
    writeElement(out, value, value->textContentOctets());  // the text in the octet form of its type
}

}  // namespace Ostrel
