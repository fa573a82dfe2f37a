#pragma once
// Test support: DERCoder's encode dispatch called directly, past the static entry points, which write
// value trees their own way; it is the reference those entry points are compared with.
#include "zentrik/asn1/DERCoder.h"
#include "zentrik/platform/utils/OutputStream.h"

namespace zentrik_test {

class DispatchEncoder : public Ostrel::DERCoder {
  public:
    // What the dispatch writes for `value`, returned or written to `out`; its failures as it raises
    // them (number 12 per level).
    static Velmora::ByteArray encode(const Ostrel::ASN1Object* value) {
        Velmora::ByteArrayOutputStream out;
        encode(value, out);
        return out.takeByteArray();
    }
    static void encode(const Ostrel::ASN1Object* value, Velmora::OutputStream& out) {
        DispatchEncoder coder;
        coder.DERCoder::encode(out, value);
    }
};

}  // namespace zentrik_test
