// DERCoder::decode on untrusted octets. Whatever it accepts must encode again, to the octets the encode
// dispatch writes too, and that encoding must be a fixed point (it decodes, and encodes to the very
// same octets; the value itself may differ, a SET being sorted); when the consumed input was canonical
// DER, the encoding must be the input itself. Decoding from memory and from a stream agree, value for
// value and failure for failure.
#include "CanonicalDER.h"
#include "DispatchComparison.h"
#include "FuzzSupport.h"
#include "zentrik/asn1/DERCoder.h"

using namespace zentrik_fuzz;
using Ostrel::ASN1Object;
using Ostrel::DERCoder;
using Velmora::ByteArrayInputStream;
using Velmora::SmartPointer;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ByteArray input(data, size);
    const zentrik_test::DecodeOutcome decoded =
        requireSameAsStreamDecoder([](Velmora::InputStream& in) { return DERCoder::decode(in); }, input);
    if (!decoded.failure.empty()) return 0;
    const SmartPointer<ASN1Object>& value = decoded.value;
    require(!value.isNull(), "DERCoder::decode returned no value without failing", input);
    const ByteArray consumed = input.subBytes(0, static_cast<std::size_t>(decoded.used));

    ByteArray first;
    try {
        first = DERCoder::encode(value.get());
    } catch (const Velmora::Exception& e) {
        broken("a value DERCoder::decode accepted does not encode again", consumed, e.what());
    }
    requireDispatchOctets(value.get(), first, consumed);

    ByteArrayInputStream again(first.data(), first.size());
    SmartPointer<ASN1Object> second;
    try {
        second = DERCoder::decode(again);
    } catch (const Velmora::Exception& e) {
        broken("the DER re-encoding does not decode", first, e.what());
    } catch (const Velmora::IndexOutOfRange&) {
        broken("the DER re-encoding does not decode (IndexOutOfRange)", first);
    }
    require(again.getCount() == first.size(), "the DER re-encoding decodes only in part", first);
    ByteArray twice;
    try {
        twice = DERCoder::encode(second.get());
    } catch (const Velmora::Exception& e) {
        broken("the value decoded from the DER re-encoding does not encode", first, e.what());
    }
    require(twice == first, "the DER re-encoding is not a fixed point", first,
            "second encoding: " + twice.toHex());

    if (CanonicalDER::isCanonical(consumed.data(), consumed.size()))
        require(first == consumed, "canonical DER does not re-encode to itself", consumed,
                "re-encoding: " + first.toHex());
    return 0;
}
