// The BER coder's factories of streaming readers.
#include "zentrik/asn1/BERCoder.h"
#include "zentrik/iou/ASN1IOUExplicitObject.h"
#include "zentrik/iou/ASN1IOUImplicitObject.h"
#include "zentrik/iou/ASN1IOUObject.h"

namespace Ostrel {

SmartPointer<ASN1IOUObject> BERCoder::decodeIOU(InputStream& in) {
    return ASN1IOUObject::open<ASN1IOUObject>(in);
}

SmartPointer<ASN1IOUObject> BERCoder::decodeExplicitIOU(InputStream& in) {
    return ASN1IOUObject::open<ASN1IOUExplicitObject>(in);
}

SmartPointer<ASN1IOUObject> BERCoder::decodeImplicitIOU(InputStream& in, ASNTag::ASN1_TAG tag) {
    return ASN1IOUObject::open<ASN1IOUImplicitObject>(in, tag);
}

}  // namespace Ostrel
