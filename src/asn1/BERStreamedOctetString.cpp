// Streamable octet strings under BER: written block by block as the segments of a constructed string
// of indefinite length, so that only one block is ever held in memory.
#include <memory>

#include "zentrik/asn1/BERCoder.h"
#include "zentrik/iou/ASN1IOUExplicitObject.h"
#include "zentrik/iou/ASN1IOUImplicitObject.h"
#include "zentrik/iou/ASN1IOUObject.h"

namespace Ostrel {

namespace {
// The writer whose header fits the string's tagging: 24 80, A<n> 80 24 80, or A<n> 80.
std::unique_ptr<ASN1IOUObject> makeWriter(const ASN1OctetString* value, OutputStream& out) {
    switch (value->taggedContext()) {
        case ASNTag::EXPLICIT:
            return std::make_unique<ASN1IOUExplicitObject>(out, ASNTag::OCTET_STRING, value->taggedValue());
        case ASNTag::IMPLICIT:
            return std::make_unique<ASN1IOUImplicitObject>(out, value->taggedValue());
        default:
            return std::make_unique<ASN1IOUObject>(out, ASNTag::OCTET_STRING);
    }
}
}  // namespace

void BERCoder::encodeStreamedOctetString(const ASN1OctetString* value, OutputStream& out) const {
    const std::unique_ptr<ASN1IOUObject> writer = makeWriter(value, out);
    try {
        InputStream* stream = value->getInputStream();
        ByteArray block(1024);
        while (stream->hasData()) {
            *stream >> block;  // replaces the previous block: one block in memory at a time
            writer->addComponent(ASN1OctetString(block));
        }
        writer->endIOU();
    } catch (...) {
        // What was written stays written, but the string is not closed: a reader sees it unfinished.
        writer->abandonIOU();
        throw;
    }
}

}  // namespace Ostrel
