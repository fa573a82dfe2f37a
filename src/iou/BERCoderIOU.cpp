// The BER coder's factories of streaming readers.
#include <memory>

#include "zentrik/asn1/BERCoder.h"
#include "zentrik/iou/ASN1IOUExplicitObject.h"
#include "zentrik/iou/ASN1IOUImplicitObject.h"
#include "zentrik/iou/ASN1IOUObject.h"

namespace Ostrel {

namespace {
// Hands a new reader out in a handle that deletes it through its virtual destructor.
SmartPointer<ASN1IOUObject> handOut(std::unique_ptr<ASN1IOUObject> reader) {
    SmartPointer<ASN1IOUObject> handle(reader.get());
    reader.release();
    return handle;
}
}  // namespace

SmartPointer<ASN1IOUObject> BERCoder::decodeIOU(InputStream& in) {
    return handOut(std::make_unique<ASN1IOUObject>(in));
}

SmartPointer<ASN1IOUObject> BERCoder::decodeExplicitIOU(InputStream& in) {
    return handOut(std::make_unique<ASN1IOUExplicitObject>(in));
}

SmartPointer<ASN1IOUObject> BERCoder::decodeImplicitIOU(InputStream& in, ASNTag::ASN1_TAG tag) {
    return handOut(std::make_unique<ASN1IOUImplicitObject>(in, tag));
}

}  // namespace Ostrel
