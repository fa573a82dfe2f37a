#pragma once
// The static DER entry points write value trees their own way; what they wrote must be what DERCoder's
// encode dispatch writes for the same value.
#include "../tests/support/DispatchEncoder.h"
#include "FuzzSupport.h"

namespace zentrik_fuzz {

// Stops the run unless the dispatch encodes `value` to `octets`, the entry point's encoding; `shown`
// are the octets the value came from.
inline void requireDispatchOctets(const Ostrel::ASN1Object* value, const ByteArray& octets,
                                  const ByteArray& shown) {
    ByteArray reference;
    try {
        reference = zentrik_test::DispatchEncoder::encode(value);
    } catch (const Velmora::Exception& e) {
        broken("the encode dispatch fails where the static entry point does not", shown, e.what());
    }
    require(reference == octets, "the static entry point and the encode dispatch write different octets",
            shown, "dispatch: " + reference.toHex() + "\n*** entry point: " + octets.toHex());
}

}  // namespace zentrik_fuzz
