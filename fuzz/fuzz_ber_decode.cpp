// BERCoder::decode on untrusted octets. Whatever it accepts must encode again under BER and under
// DER (to the octets the DER encode dispatch writes too); the BER encoding must decode whole and be a
// fixed point of decode-then-encode. Decoding from memory and from a stream agree, value for value and
// failure for failure.
#include "DispatchComparison.h"
#include "FuzzSupport.h"
#include "zentrik/asn1/BERCoder.h"

using namespace zentrik_fuzz;
using Ostrel::ASN1Object;
using Ostrel::BERCoder;
using Ostrel::DERCoder;
using Velmora::ByteArrayInputStream;
using Velmora::SmartPointer;

namespace {
ByteArray encodeOrStop(const ASN1Object* value, bool ber, const ByteArray& shown, const char* what) {
    try {
        return ber ? BERCoder::encode(value) : DERCoder::encode(value);
    } catch (const Velmora::Exception& e) {
        broken(what, shown, e.what());
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ByteArray input(data, size);
    const zentrik_test::DecodeOutcome decoded =
        requireSameAsStreamDecoder([](Velmora::InputStream& in) { return BERCoder::decode(in); }, input);
    if (!decoded.failure.empty()) return 0;
    const SmartPointer<ASN1Object>& value = decoded.value;
    require(!value.isNull(), "BERCoder::decode returned no value without failing", input);
    const ByteArray consumed = input.subBytes(0, static_cast<std::size_t>(decoded.used));

    const ByteArray first =
        encodeOrStop(value.get(), true, consumed, "a value BER accepted does not encode in BER");
    const ByteArray der =
        encodeOrStop(value.get(), false, consumed, "a value BER accepted does not encode in DER");
    requireDispatchOctets(value.get(), der, consumed);

    ByteArrayInputStream again(first.data(), first.size());
    SmartPointer<ASN1Object> second;
    try {
        second = BERCoder::decode(again);
    } catch (const Velmora::Exception& e) {
        broken("the BER re-encoding does not decode", first, e.what());
    }
    require(again.getCount() == first.size(), "the BER re-encoding decodes only in part", first);
    const ByteArray twice =
        encodeOrStop(second.get(), true, first, "the decoded re-encoding does not encode");
    require(twice == first, "the BER re-encoding is not a fixed point", first,
            "second encoding: " + twice.toHex());
    return 0;
}
