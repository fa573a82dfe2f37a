// berToDER on untrusted octets. What it accepts becomes DER that converts to itself again, the same
// through the stream form fed in chunks; a value the BER decoder reads from the input is read from
// the conversion too, when the DER decoder takes its types.
#include "FuzzSupport.h"
#include "zentrik/asn1/BERCoder.h"
#include "zentrik/asn1/BERToDER.h"

using namespace zentrik_fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ByteArray input(data, size);
    Velmora::ByteArrayInputStream in(data, size);
    ByteArray der;
    if (!expectFailures([&] { der = Ostrel::BERToDER(in).convert(); })) return 0;
    const ByteArray consumed = input.subBytes(0, static_cast<std::size_t>(in.getCount()));

    ByteArray again;
    if (!expectFailures([&] { again = Ostrel::berToDER(der); }))
        broken("the DER made from BER does not convert again", consumed);
    require(again == der, "converting DER changed it", consumed, der.toHex());

    Velmora::ByteArrayOutputStream out;
    ChunkedInputStream chunks(consumed, input.subBytes(0, 4));
    if (!expectFailures([&] { Ostrel::berToDER(chunks, out); }))
        broken("the stream form refuses what the octet form converts", consumed);
    require(out.takeByteArray() == der, "the stream form converts otherwise", consumed);
    return 0;
}
