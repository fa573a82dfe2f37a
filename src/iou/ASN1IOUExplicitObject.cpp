// Explicitly tagged elements: an outer [n] around the whole inner element.
#include "zentrik/iou/ASN1IOUExplicitObject.h"

#include <string>

#include "zentrik/asn1/BERCoder.h"
#include "zentrik/foundation/CoderException.h"
#include "zentrik/foundation/CoderFailures.h"

namespace Ostrel {

using Velmora::CoderException;
using Velmora::Exception;
using Velmora::IndexOutOfRange;
namespace failures = Velmora::failures;

namespace {

// Reads the outer identifier octets; returns the context tag number and counts the octets read.
unsigned int readOuterTag(InputStream& in, std::uint64_t& octets) {
    ByteArray consumed;
    try {
        const unsigned int number = DERCoder::getTaggedValue(in, consumed);
        octets += consumed.size();
        return number;
    } catch (const IndexOutOfRange&) {
        throw CoderException(Exception::LIB_CODERS, failures::kTruncated, failures::kIOUExplicitCtor,
                             "the data ends inside the identifier octets");
    }
}
}  // namespace

ASN1IOUExplicitObject::ASN1IOUExplicitObject(InputStream& in) {
    const ByteArray first = in.readBlob(1);
    if (first.isEmpty())
        throw CoderException(Exception::LIB_CODERS, failures::kIOUNoData, failures::kIOUExplicitCtor, "");
    if (!(first[0] & 0x80))
        throw CoderException(Exception::LIB_CODERS, failures::kIOUTagged, failures::kIOUExplicitCtorTag, "");
    in.pushBack(first);
    std::uint64_t outerHeader = 0;
    const unsigned int outerNumber = readOuterTag(in, outerHeader);
    const int outerLength = readLength(in, failures::kIOUExplicitCtor);
    if (outerLength == 0)
        throw CoderException(Exception::LIB_CODERS, failures::kIOUNoData, failures::kIOUExplicitCtor,
                             "the tagged element holds no inner element");

    const std::uint64_t innerStart = in.getCount();
    const ByteArray inner = in.readBlob(1);
    if (inner.isEmpty())
        throw CoderException(Exception::LIB_CODERS, failures::kIOUNoData, failures::kIOUExplicitCtor, "");
    const unsigned char octet = inner[0];
    if ((octet & 0x1F) == 0x1F) tagNumber = readLongTagNumber(in, failures::kIOUExplicitCtor);
    const int innerLength = readLength(in, failures::kIOUExplicitCtor);
    if (outerLength > 0 && innerLength >= 0) {
        // With both lengths definite the inner element must fill the outer one exactly.
        const std::uint64_t innerSize = in.getCount() - innerStart + static_cast<std::uint64_t>(innerLength);
        if (innerSize != static_cast<std::uint64_t>(outerLength))
            throw CoderException(Exception::LIB_CODERS, failures::kTruncated, failures::kIOUExplicitCtor,
                                 "the inner element takes " + std::to_string(innerSize) + " octets of the " +
                                     std::to_string(outerLength) + " that the tag holds");
    }
    identifier = octet;
    universalType = (octet & 0xC0) == 0;
    taggedValue = outerNumber;
    length = innerLength;
    indefinite = outerLength < 0;
    contentsStart = in.getCount();
    inputStream = &in;
}

ASN1IOUExplicitObject::ASN1IOUExplicitObject(OutputStream& out, ASNTag::ASN1_TAG tag, unsigned int n) {
    const unsigned char octet = writableTag(tag, failures::kIOUExplicitWritingCtor);
    out << DERCoder::encodeTagClassValue(0xA0, n);
    out << static_cast<char>(0x80) << static_cast<char>(octet | 0x20) << static_cast<char>(0x80);
    identifier = octet;
    taggedValue = n;
    indefinite = true;
    outputStream = &out;
}

ASN1IOUExplicitObject::~ASN1IOUExplicitObject() {
    endFromDestructor(*this);
}

ASN1Object* ASN1IOUExplicitObject::getValue() {
    if (!inputStream) return nullptr;
    if (value) return value.get();
    checkContentsUntouched(failures::kIOUExplicitGetValue);
    inputStream->pushBack(identifierOctets() + lengthOctets());
    SmartPointer<ASN1Object> decoded = BERCoder::decode(*inputStream);
    decoded->setExplicitTag(taggedValue);
    value = decoded;
    complete = true;
    return value.get();
}

void ASN1IOUExplicitObject::endIOU() const {
    if (ended) return;
    if (outputStream) {
        for (int i = 0; i < 4; ++i) *outputStream << static_cast<char>(0x00);
    } else if (inputStream) {
        skipRemainingContents(failures::kIOUExplicitEnd);
        // The inner end-of-contents is due unless getValue consumed it; the outer one always is.
        const unsigned int innerDue = length < 0 && !complete ? 2 : 0;
        consumeEndOfContents(innerDue + (indefinite ? 2 : 0), failures::kIOUExplicitEnd);
    }
    ended = true;
}

bool ASN1IOUExplicitObject::foundIndefinateLengthTerminator() const {
    return zerosFollow(indefinite ? 4 : 2, failures::kIOUExplicitTerminator);
}

}  // namespace Ostrel
