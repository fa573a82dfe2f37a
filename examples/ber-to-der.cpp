// ber-to-der: reads BER (indefinite lengths, segmented strings, long-form lengths, unsorted SETs) and
// writes the same value in DER. Usage: ber-to-der [HEX | --file FILE]   (default: a built-in sample)
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "zentrik/asn1/BERCoder.h"

using namespace Ostrel;
using Velmora::ByteArray;

namespace {

// SEQUENCE (indefinite) {
//   INTEGER 5 with a long-form length; BOOLEAN TRUE written as 01;
//   OCTET STRING "ABC" (indefinite) in three segments, the last one empty;
//   SET (indefinite) { INTEGER 9, BOOLEAN FALSE } in an order DER does not keep;
//   [0] EXPLICIT (indefinite) UTF8String "hi" with a length of three octets }
constexpr const char* kSample =
    "30 80"
    "   02 81 01 05   01 01 01"
    "   24 80  04 02 41 42  04 01 43  04 00  00 00"
    "   31 80  02 01 09  01 01 00  00 00"
    "   A0 80  0C 83 00 00 02 68 69  00 00"
    "00 00";

// The DER encoder writes a segmented OCTET STRING in its segments, and a context-specific element as
// the encoding it was read with. This joins the segments into one primitive string and rewrites the
// elements inside a constructed [n] in DER, behind a definite length. Without the type at hand, those
// elements are taken for whole values: right for EXPLICIT tags and IMPLICIT SEQUENCEs, not for an
// IMPLICIT SET (whose components DER sorts) or an IMPLICIT segmented string.
void rewriteForDER(ASN1Object* value) {
    if (value->getTagValue() == ASNTag::OCTET_STRING && value->isConstructed()) {
        auto* string = asn1_cast<ASN1OctetString>(value);
        string->setValue(string->getValue());
    } else if (value->getTagValue() == ASNTag::SEQUENCE || value->getTagValue() == ASNTag::SET) {
        auto* structure = asn1_cast<ASNStructured>(value);
        for (unsigned int i = 0; i < structure->getNumberOfComponents(); ++i)
            rewriteForDER(structure->getComponent(i));
    } else if (value->getTagValue() == ASNTag::TAGGED && value->isConstructed()) {
        Velmora::ByteArrayInputStream in(value->getDERBytes());
        ByteArray identifier;
        DERCoder::getTaggedValue(in, identifier);
        const bool indefinite = BERCoder::getLength(in) < 0;
        ByteArray contents;
        while (in.hasData() && !(indefinite && in.peek(2) == ByteArray{0, 0})) {
            SmartPointer<ASN1Object> inner = BERCoder::decode(in);
            rewriteForDER(inner.get());
            contents += DERCoder::encode(inner.get());
        }
        value->setDERBytes(identifier + DERCoder::encodeLength(contents.size()) + contents);
    }
}

ByteArray input(int argc, char** argv) {
    if (argc > 2 && std::string(argv[1]) == "--file") {
        std::ifstream file(argv[2], std::ios::binary);
        if (!file) throw std::runtime_error(std::string("cannot open ") + argv[2]);
        return ByteArray(std::string{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()});
    }
    return ByteArray::fromHex(argc > 1 ? argv[1] : kSample);
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const ByteArray ber = input(argc, argv);
        SmartPointer<ASN1Object> value = BERCoder::decode(ber);
        rewriteForDER(value.get());
        const ByteArray der = DERCoder::encode(value.get());
        std::cout << "BER (" << ber.size() << " octets): " << ber.toPrintableString() << "\n"
                  << "DER (" << der.size() << " octets): " << der.toPrintableString() << "\n";
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "ber-to-der: " << e.what() << "\n";
        return 1;
    }
}
