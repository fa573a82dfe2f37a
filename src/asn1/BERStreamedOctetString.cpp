// Streamable octet strings under BER.
#include "zentrik/asn1/BERCoder.h"

namespace Ostrel {

// Until the streaming writer is in place the string is gathered and written whole.
void BERCoder::encodeStreamedOctetString(const ASN1OctetString* value, OutputStream& out) const {
    DERCoder::encodeOctetString(value, out);
}

}  // namespace Ostrel
