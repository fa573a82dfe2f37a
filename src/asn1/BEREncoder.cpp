// The BER coder's encoding side: entry points, segmented octet strings and the constructed-bit rule.
#include "zentrik/asn1/BERCoder.h"
#include "zentrik/asn1/CodingStreams.h"
#include "zentrik/foundation/CoderException.h"
#include "zentrik/foundation/CoderFailures.h"

namespace Ostrel {

using Velmora::ByteArrayOutputStream;
using Velmora::CoderException;
using Velmora::Exception;
namespace failures = Velmora::failures;

BERCoder::~BERCoder() = default;

ByteArray BERCoder::encode(const ASN1Object* value) {
    if (!value)
        throw CoderException(Exception::LIB_CODERS, failures::kNullValue, failures::kBEREncodeValue, "");
    try {
        if (!isValid(value)) return ByteArray::emptyArray;
        EncodingStream out;
        BERCoder().encode(out, value);
        return out.takeByteArray();
    } catch (const Exception& e) {
        throw CoderException(Exception::LIB_CODERS, failures::kEntryPointFailed, failures::kBEREncodeValue, e,
                             "");
    }
}

void BERCoder::encode(const ASN1Object* value, OutputStream& out) {
    if (!value)
        throw CoderException(Exception::LIB_CODERS, failures::kNullValue, failures::kBEREncodeStream, "");
    try {
        if (!isValid(value)) return;
        BERCoder coder;
        coder.encode(out, value);
    } catch (const Exception& e) {
        throw CoderException(Exception::LIB_CODERS, failures::kEntryPointFailed, failures::kBEREncodeStream,
                             e, "");
    }
}

ByteArray BERCoder::encode(const ASNInterface& object) {
    ByteArrayOutputStream out;
    SmartPointer<ASN1Object> value = object.toASN1Object();
    encode(value.get(), out);
    return out.takeByteArray();
}

void BERCoder::encode(OutputStream& out, const ASN1Object* value) const {
    DERCoder::encode(out, value);
}

ByteArray BERCoder::encodeTag(const ASN1Object* value, unsigned int n) const {
    return tagOctets(value, n, true);
}

void BERCoder::encodeOctetString(const ASN1OctetString* value, OutputStream& out) const {
    if (value->isStreamable()) {
        try {
            encodeStreamedOctetString(value, out);
        } catch (const Exception& e) {
            throw Exception(e);
        }
        return;
    }
    const unsigned int count = value->isConstructed() ? value->getNumberOfComponents() : 0;
    if (count > 0) {
        const ContentsBuffer segments(out);
        for (unsigned int i = 0; i < count; ++i) encode(segments.stream(), value->getComponent(i));
        writeConstructed(out, value, segments.stream().getByteArray());
        return;
    }
    writeElement(out, value, value->getOwnValue());  // without segments: the string's own octets
}

}  // namespace Ostrel
