// The smallest inputs that fuzzing found breaking a property, kept as regression cases. Each is checked
// with the property its fuzz target checks: what a decoder accepts encodes again, and that encoding
// decodes whole and encodes to the very same octets; what it refuses it refuses cleanly (the sanitizer
// build sees any value left behind).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hardening/HardeningSupport.h"
#include "zentrik/asn1/BERCoder.h"
#include "zentrik/asn1/DERCoder.h"

namespace hardening_test {
namespace {

using Ostrel::ASN1Object;
using Ostrel::BERCoder;
using Ostrel::DERCoder;
using Velmora::ByteArrayInputStream;
using Velmora::SmartPointer;

struct Finding {
    const char* input;
    bool ber;
    const char* what;
};

TEST(FuzzFindingsTest, AcceptedInputsReencodeToAFixedPoint) {
    const std::vector<Finding> findings = {
        // An identifier in the high-tag-number form for a tag number below 31 must be kept as read:
        // rebuilt as one octet with the form bits it would read "BF 00".
        {"BF 04 00", false, "constructed context element, tag 4 in the long form"},
        {"FF 09 01 FF", false, "private element, tag 9 in the long form"},
        {"9F 02 01 41", false, "primitive context element, tag 2 in the long form"},
        {"BF 04 00", true, "the same under BER"},
        {"30 04 9F 1E 01 41", true, "inside a structure"},
        // Inside an indefinite-length element an element with identifier 00 and a zero length in the long
        // form must not come out as 00 00, which ends the element early.
        {"A0 80 00 81 00 00 00", true, "identifier 00 with a long-form zero length"},
        {"A0 80 00 82 00 00 00 00", true, "identifier 00 with a two-octet zero length"},
    };
    for (const Finding& f : findings) {
        SCOPED_TRACE(std::string(f.input) + (f.ber ? " (BER): " : " (DER): ") + f.what);
        const ByteArray input = hex(f.input);
        auto decode = [&](const ByteArray& octets, std::uint64_t& consumed) {
            ByteArrayInputStream in(octets);
            SmartPointer<ASN1Object> value = f.ber ? BERCoder::decode(in) : DERCoder::decode(in);
            consumed = in.getCount();
            return value;
        };
        auto encode = [&](const SmartPointer<ASN1Object>& value) {
            return f.ber ? BERCoder::encode(value.get()) : DERCoder::encode(value.get());
        };
        std::uint64_t consumed = 0;
        SmartPointer<ASN1Object> value;
        ASSERT_FALSE(outcomeOf([&] { value = decode(input, consumed); }).failed())
            << "the input itself is accepted";
        const ByteArray first = encode(value);
        SmartPointer<ASN1Object> again;
        const Outcome o = outcomeOf([&] { again = decode(first, consumed); });
        if (o.failed()) {
            ADD_FAILURE() << "the re-encoding " << first.toHex() << " does not decode: " << o.text();
            continue;
        }
        EXPECT_EQ(consumed, first.size()) << "the re-encoding " << first.toHex() << " decodes only in part";
        EXPECT_EQ(encode(again).toHex(), first.toHex());
    }
}

TEST(FuzzFindingsTest, TruncatedInputsFailWithoutLeavingValuesBehind) {
    // Each ends inside its length or contents octets, where a checking index meets the end of the data.
    for (const char* input : {"02 85", "02 82 01", "01 01", "01", "05", "03 02", "0A 81", "06 83 00",
                              "30 03 02 81", "24 03 01 01", "31 04 05 00 05", "9F 81", "BF 1F"}) {
        SCOPED_TRACE(input);
        for (bool ber : {false, true}) {
            const Outcome o = outcomeOf([&] {
                if (ber)
                    BERCoder::decode(hex(input));
                else
                    DERCoder::decode(hex(input));
            });
            EXPECT_TRUE(o.failed()) << (ber ? "BER" : "DER") << " accepted truncated input";
        }
    }
}

}  // namespace
}  // namespace hardening_test
