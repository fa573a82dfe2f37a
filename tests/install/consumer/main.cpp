// A program built against the installed package: encodes, decodes and Base64-codes one value.
#include <iostream>

#include "zentrik/asn1/DERCoder.h"
#include "zentrik/coders/Base64Coder.h"
#include "zentrik/platform/asn1/ASN1.h"

int main() {
    Ostrel::ASN1Sequence sequence;
    sequence.appendComponent(new Ostrel::ASN1Integer(1), 0);
    sequence.appendComponent(new Ostrel::ASN1Boolean(true), 0);
    const Velmora::ByteArray der = Ostrel::DERCoder::encode(sequence);
    Velmora::SmartPointer<Ostrel::ASN1Object> back = Ostrel::DERCoder::decode(der);
    Velmora::Base64Coder base64(false);
    std::cout << der.toHex() << ' ' << base64.encode(der).view() << ' '
              << (back->equals(sequence) ? "equal" : "different") << '\n';
    return der.toHex() == "30060201010101ff" && back->equals(sequence) ? 0 : 1;
}
