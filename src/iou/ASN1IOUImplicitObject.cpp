// Implicitly tagged elements: [n] in place of the universal tag of the type the element carries.
#include "zentrik/iou/ASN1IOUImplicitObject.h"

#include <string>

#include "zentrik/asn1/BERCoder.h"
#include "zentrik/foundation/CoderException.h"
#include "zentrik/foundation/CoderFailures.h"

namespace Ostrel {

using Velmora::ByteArrayInputStream;
using Velmora::CoderException;
using Velmora::Exception;
using Velmora::IndexOutOfRange;
namespace failures = Velmora::failures;

ASN1IOUImplicitObject::ASN1IOUImplicitObject(InputStream& in, ASNTag::ASN1_TAG tag) {
    const unsigned char universal = writableTag(tag, failures::kIOUImplicitCtor);
    const ByteArray first = in.readBlob(1);
    if (first.isEmpty())
        throw CoderException(Exception::LIB_CODERS, failures::kIOUNoData, failures::kIOUImplicitCtor, "");
    const unsigned char octet = first[0];
    if (!(octet & 0x80))
        throw CoderException(Exception::LIB_CODERS, failures::kIOUTagged, failures::kIOUImplicitCtorTag, "");
    in.pushBack(first);
    unsigned int number = 0;
    try {
        number = DERCoder::getTaggedValue(in);
    } catch (const IndexOutOfRange&) {
        throw CoderException(Exception::LIB_CODERS, failures::kTruncated, failures::kIOUImplicitCtor,
                             "the data ends inside the identifier octets");
    }
    length = readLength(in, failures::kIOUImplicitCtor);
    // The constructed bit is the one read; the tag gives the type only.
    identifier = (octet & 0xE0u) | (universal & 0x1Fu);
    implicitTag = tag;
    universalType = true;
    taggedValue = number;
    indefinite = length < 0;
    contentsStart = in.getCount();
    inputStream = &in;
}

ASN1IOUImplicitObject::ASN1IOUImplicitObject(OutputStream& out, unsigned int n) {
    out << DERCoder::encodeTagClassValue(0xA0, n) << static_cast<char>(0x80);
    taggedValue = n;
    indefinite = true;
    outputStream = &out;
}

ASN1IOUImplicitObject::~ASN1IOUImplicitObject() = default;

ASN1Object* ASN1IOUImplicitObject::getValue() {
    if (!inputStream) return nullptr;
    if (value) return value.get();
    checkContentsUntouched(failures::kIOUImplicitGetValue);
    inputStream->pushBack(DERCoder::encodeTagClassValue(identifier & 0xE0, taggedValue) + lengthOctets());
    // The decoder keeps a context-tagged element as its encoding; read that again as the universal type.
    const SmartPointer<ASN1Object> tagged = BERCoder::decode(*inputStream);
    const ByteArray& encoding = tagged->getDERBytes();
    ByteArrayInputStream element(encoding.data(), encoding.size());
    DERCoder::getTaggedValue(element);
    element.pushBack(
        static_cast<unsigned char>((identifier & 0x1F) | (tagged->isConstructed() ? 0x20 : 0x00)));
    SmartPointer<ASN1Object> decoded = BERCoder::decode(element);
    decoded->setImplicitTag(taggedValue);
    decoded->setDERBytes(encoding);
    value = decoded;
    complete = true;
    return value.get();
}

}  // namespace Ostrel
