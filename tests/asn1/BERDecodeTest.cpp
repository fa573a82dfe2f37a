// BER decoding: indefinite lengths, segmented strings, tagged elements kept whole, and the failures.
#include "CodecTestSupport.h"

namespace codec_test {
namespace {

constexpr const char* kDecode = "BERCoder::decode(InputStream& in, ASN1Object *& asn)";
constexpr const char* kBitString = "BERCoder::decodeBitString(ASN1BitString *, InputStream&)";
constexpr const char* kOctetString = "BERCoder::decodeOctetString(ASN1OctetString *, InputStream&)";
constexpr const char* kTill = "BERCoder::readTillDoubleZero(InputStream&)";

TEST(BERDecode, ReadsIndefiniteLengthsSegmentsAndTaggedElements) {
    const Decoded cases[] = {
        {"30 80 02 01 05 00 00 05 00", 48, "SEQUENCE { 5 }", 2},
        {"31 80 30 80 00 00 00 00", 49, "SET { SEQUENCE {} }"},
        {"24 80 04 02 41 42 04 01 43 00 00", 4, "414243"},
        {"24 80 00 00", 4, ""},  // no segments: an empty string, written again as 04 00
        {"23 80 00 00", 3, " (0 unused bits)"},
        {"24 07 04 02 41 42 04 01 43", 4, "414243"},
        {"04 80 04 01 41 00 00", 4, "41"},
        {"23 80 03 02 00 FF 03 02 04 F0 00 00", 3, "fff0 (4 unused bits)"},
        {"23 08 03 02 00 FF 03 02 04 F0", 3, "fff0 (4 unused bits)"},
        {"01 01 05", 1, "TRUE"},
        {"01 01 00", 1, "FALSE"},
        {"A0 80 02 01 05 00 00", -6, "[0] a0800201050000"},
        {"A0 80 02 81 01 05 00 00", -6, "[0] a0800201050000"},
        {"A1 80 30 80 02 01 01 00 00 00 00", -6, "[1] a180308002010100000000"},
        {"BF 1F 80 9F 81 00 01 41 00 00", -6, "[31] bf1f809f810001410000"},
        // Universal and application identifiers with tag numbers of several octets inside an
        // indefinite element: the tag octets are not taken for the length.
        {"A0 80 5F 81 00 01 41 7F 1F 80 00 00 00 00", -6, "[0] a0805f810001417f1f8000000000"},
        {"A0 80 1F 81 00 02 41 42 00 00", -6, "[0] a0801f81000241420000"},
        {"C2 80 00 00 01", -6, "[2] c2800000", 1},
    };
    for (const Decoded& c : cases) expectDecoded(Coder::BER, c);
}

TEST(BERDecode, SegmentsKeepTheirOrderAndOnlyTheLastOneHasUnusedBits) {
    for (const char* input : {"23 80 03 02 03 FF 03 02 04 F0 00 00", "23 08 03 02 07 FF 03 02 04 F0"}) {
        const auto v = BERCoder::decode(hex(input));
        const auto* s = asn1_const_cast<ASN1BitString>(v.get());
        ASSERT_EQ(s->getNumberOfComponents(), 2u) << input;
        EXPECT_EQ(s->getComponent(0)->toString().toUTF8(), "ff (0 unused bits)");
        EXPECT_EQ(s->getComponent(1)->toString().toUTF8(), "f0 (4 unused bits)");
        // Written again as one primitive bit string: nothing is lost.
        EXPECT_EQ(BERCoder::encode(*v), hex("03 03 04 FF F0"));
        EXPECT_EQ(DERCoder::encode(*v), hex("03 03 04 FF F0"));
    }
}

TEST(BERDecode, RefusesWhatItCannotRead) {
    const Refused cases[] = {
        {"", {{5, kDecode, kIndexMessage}}},
        {"30", {{5, kDecode, kIndexMessage}}},
        {"01 01", {{26, kBoolean, "*"}}},
        {"01 81 02 FF 00", {{8, kBoolean, "*"}}},
        {"05", {{5, kDecode, kIndexMessage}}},
        {"03 01", {{5, kDecode, kIndexMessage}}},
        {"30 80 01 01", {{26, kBoolean, "*"}}},
        {"A0 80 02 01 05", {{5, kDecode, kIndexMessage}}},
        {"A0 80 02 01 05 00", {{5, kDecode, kIndexMessage}}},
        {"7F 00", {{7, "BERCoder::decode(0x7F)"}}},
        {"02 80", {{20, "DERCoder::getLength(InputStream&)"}}},
        {"30 03 05 01 00", {{9, "DERCoder::decodeNull(ASN1Null *i, const char *array)"}}},
        {"24 80 05 00 00 00", {{21, kOctetString}}},
        {"24 80 24 80", {{21, kOctetString}}},
        {"24 80 04 80", {{16, kOctetString}}},
        {"23 80 04 01 00 00 00", {{21, kBitString}}},
        {"23 80 03 80", {{16, kBitString}}},
        {"23 80 03 00 03 02 00 FF 00 00", {{27, kBitString, "*"}}},
        {"23 80 03 00 00 00", {{27, kBitString, "*"}}},
        {"03 00", {{27, kBitString, "*"}}},
        {"04 84 80 00 00 00", {{27, "BERCoder::getLength(InputStream&)", "*"}}},
        {"A0 88 00 00 00 00 80 00 00 00", {{27, "BERCoder::getLength(InputStream&)", "*"}}},
        {"9F 90 80 80 80 00 00", {{27, kTagged, "*"}}},
        {"A0 80 BF 90 80 80 80 00 00 00 00", {{27, kTagged, "*"}}},
        {"A0 80 5F 90 80 80 80 00 00 00 00", {{27, kTagged, "*"}}},
        {"A0 80 5F 81", {{5, kDecode, kIndexMessage}}},
        // A missing end-of-contents, and contents shorter than their length.
        {"30 80 02 01 05", {{26, kStructured, "*"}}},
        {"30 80 02 01 05 00", {{26, kStructured, "*"}}},
        {"24 80 04 01 41", {{26, kOctetString, "*"}}},
        {"23 80 03 02 00 FF", {{26, kBitString, "*"}}},
        {"04 05 41 42", {{26, kOctetString, "*"}}},
        {"30 84 7F FF FF FF 02 01 05", {{26, kStructured, "*"}}},
        {"24 06 04 01 41", {{26, kOctetString, "*"}}},
        {"23 08 03 02 00 FF", {{26, kBitString, "*"}}},
        {"23 04 03 05 00 FF", {{26, kBitString, "*"}}},
        {"A0 05 02 01", {{26, kDecode, "*"}}},
        {"A0 80 04 05 41 00 00", {{26, kTill, "*"}}},
    };
    for (const Refused& c : cases) {
        SCOPED_TRACE(c.input);
        const Outcome o = outcomeOf([&] { decodeWith(Coder::BER, hex(c.input)); });
        expectChain(o, c.chain);
        EXPECT_TRUE(o.coderException);  // passes unchanged, not copied
    }
}

TEST(BERDecode, NestingDeeperThanTheLimitFailsWithoutExhaustingTheStack) {
    const std::pair<const char*, const char*> cases[] = {{"30 80", kDecode},
                                                         {"24 83 FF FF FF", kDecode},
                                                         {"A0 80", kTill},
                                                         {"BF 81 00 80", kTill},
                                                         {"30 80 A0 80", kTill}};
    for (const auto& [unit, operation] : cases)
        expectChain(outcomeOf([unit = unit] { BERCoder::decode(repeated(hex(unit), 1000000)); }),
                    {{25, operation, "*"}});
    // Real data nests a few levels: a hundred still decode.
    const ByteArray deep = repeated(hex("30 80"), 100) + repeated(hex("00 00"), 100);
    const ByteArray der = DERCoder::encode(*BERCoder::decode(deep));
    EXPECT_EQ(DERCoder::encode(*DERCoder::decode(der)), der);
    const ByteArray tagged = repeated(hex("A0 80"), 100) + repeated(hex("00 00"), 100);
    EXPECT_EQ(BERCoder::decode(tagged)->getDERBytes(), tagged);
}

}  // namespace
}  // namespace codec_test
