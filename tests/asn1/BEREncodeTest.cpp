// BER encoding: segmented octet strings and the constructed-bit rule of the identifier octet.
#include "CodecTestSupport.h"

namespace codec_test {
namespace {

Value abSegments() {
    return structure<ASN1OctetString>(octets("41 42"), octets("43"));
}

TEST(BEREncode, WritesSegmentsAndTheConstructedBitOfStrings) {
    const std::pair<std::function<Value()>, const char*> cases[] = {
        {[] { return abSegments(); }, "24 07 04 02 41 42 04 01 43"},
        {[] { return explicitly(2, abSegments()); }, "A2 09 24 07 04 02 41 42 04 01 43"},
        {[] { return implicitly(2, abSegments()); }, "A2 07 04 02 41 42 04 01 43"},
        {[] { return structure(abSegments(), integer(1)); }, "30 0C 24 07 04 02 41 42 04 01 43 02 01 01"},
        {[] { return structure<ASN1OctetString>(explicitly(1, octets("41"))); }, "24 05 A1 03 04 01 41"},
        {[] { return explicitly(0, octets("41 42 43")); }, "A0 05 04 03 41 42 43"},
        {[] { return implicitly(0, octets("41 42 43")); }, "80 03 41 42 43"},
        {[] { return explicitly(1, structure<ASN1BitString>(bits("0F", 2))); }, "A1 04 03 02 02 0F"},
        {[] { return structure<ASN1Set>(integer(5), make<ASN1Boolean>(true)); }, "31 06 01 01 FF 02 01 05"},
    };
    for (const auto& [build, expected] : cases) {
        const Value v = build();
        SCOPED_TRACE(v->toString());
        EXPECT_EQ(BERCoder::encode(*v), hex(expected));
        ByteArrayOutputStream out;
        BERCoder::encode(*v, out);
        EXPECT_EQ(out.getByteArray(), hex(expected));
        EXPECT_EQ(BERCoder::encode(*BERCoder::decode(hex(expected))), hex(expected));  // read back unchanged
    }
    auto empty = std::make_unique<ASN1OctetString>(ByteArray{});
    empty->setConstructed(true);
    EXPECT_EQ(BERCoder::encode(*empty), hex("24 00"));
}

TEST(BEREncode, FailuresInsideSegmentsAreWrappedPerLevel) {
    const Value v = structure<ASN1OctetString>(octets("41"), make<ASN1OctetString>());
    constexpr const char* kEncode = "DERCoder::encode(const ASN1Object *, OutputStream&)";
    expectChain(outcomeOf([&] { BERCoder::encode(*v); }), {{15, "BERCoder::encode(const ASN1Object *)"},
                                                           {12, kEncode},
                                                           {12, kEncode},
                                                           {11, "DERCoder::isValid(const ASN1Object *obj)"}});
}

}  // namespace
}  // namespace codec_test
