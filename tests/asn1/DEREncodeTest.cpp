// DER encoding of every value family, tagging, CHOICE and ANY, and the failures of the encoder.
#include <climits>

#include "CodecTestSupport.h"

namespace codec_test {
namespace {

constexpr const char* kEncode = "DERCoder::encode(const ASN1Object *, OutputStream&)";
constexpr const char* kEncodeOID = "DERCoder::encodeOID(const ASN1ObjectIdentifier *oid, char *bytearray)";

Value choice(Value v) {
    return make<ASN1Choice>(std::move(v));
}
Value enumerated(int n) {
    return make<ASN1Enumerated>(n);
}
Value bitSegments() {
    return structure<ASN1BitString>(bits("FF", 0), bits("F0", 4));
}

TEST(DEREncode, WritesEachValueFamily) {
    const std::pair<std::function<Value()>, const char*> cases[] = {
        {[] { return make<ASN1Boolean>(true); }, "01 01 FF"},
        {[] { return make<ASN1Boolean>(false); }, "01 01 00"},
        {[] { return make<ASN1Null>(); }, "05 00"},
        {[] { return integer(0); }, "02 01 00"},
        {[] { return integer(127); }, "02 01 7F"},
        {[] { return integer(128); }, "02 02 00 80"},
        {[] { return integer(-128); }, "02 01 80"},
        {[] { return integer(-129); }, "02 02 FF 7F"},
        {[] { return integer(-65281); }, "02 03 FF 00 FF"},
        {[] { return make<ASN1Integer>(Velmora::BigNumber::fromHexadecimal("800000000000000000")); },
         "02 0A 00 80 00 00 00 00 00 00 00 00"},
        {[] { return bits("0A C0", 6); }, "03 03 06 0A C0"},
        {[] { return bits("", 0); }, "03 01 00"},
        {[] { return octets("61 62 63"); }, "04 03 61 62 63"},
        {[] { return octets(""); }, "04 00"},
        {[] { return oid("1.2.840.113549"); }, "06 06 2A 86 48 86 F7 0D"},
        {[] { return oid("1.2.128"); }, "06 03 2A 81 00"},
        {[] { return oid("1.2.0"); }, "06 02 2A 00"},
        {[] { return oid("2.100.3"); }, "06 03 81 34 03"},
        {[] { return oid("2.48"); }, "06 02 81 00"},
        {[] { return oid("2.40"); }, "06 01 78"},
        {[] { return oid("1.2.4294967295"); }, "06 06 2A 8F FF FF FF 7F"},
        {[] { return enumerated(0); }, "0A 01 00"},
        {[] { return enumerated(127); }, "0A 01 7F"},
        {[] { return enumerated(200); }, "0A 02 00 C8"},
        {[] { return enumerated(300); }, "0A 02 01 2C"},
        {[] { return enumerated(-1); }, "0A 01 FF"},
        {[] { return enumerated(-129); }, "0A 02 FF 7F"},
        {[] { return enumerated(-256); }, "0A 02 FF 00"},
        {[] { return enumerated(INT_MAX); }, "0A 04 7F FF FF FF"},
        {[] { return enumerated(INT_MIN); }, "0A 04 80 00 00 00"},
        {[] { return make<ASN1UTF8String>("\xC3\xA9\xE2\x82\xAC"); }, "0C 05 C3 A9 E2 82 AC"},
        {[] { return make<ASN1BMPString>("A\xE2\x82\xAC"); }, "1E 04 00 41 20 AC"},
        {[] { return make<ASN1UniversalString>("A"); }, "1C 04 00 00 00 41"},
        {[] { return make<ASN1TeletexString>("\xC3\xA9"); }, "14 01 E9"},
        {[] { return make<ASN1UTCTime>("991231235959Z"); }, "17 0D 39 39 31 32 33 31 32 33 35 39 35 39 5A"},
        {[] { return structure(integer(1), make<ASN1Boolean>(true)); }, "30 06 02 01 01 01 01 FF"},
        {[] { return structure<ASN1Set>(integer(2), integer(1)); }, "31 06 02 01 01 02 01 02"},
        {[] { return structure<ASN1Set>(integer(5), make<ASN1Boolean>(true)); }, "31 06 01 01 FF 02 01 05"},
        {[] { return structure(integer(1), optional(make<ASN1Integer>())); }, "30 03 02 01 01"},
        {[] { return explicitly(0, integer(5)); }, "A0 03 02 01 05"},
        {[] { return implicitly(1, integer(5)); }, "81 01 05"},
        {[] { return implicitly(2, structure(integer(1))); }, "A2 03 02 01 01"},
        {[] { return explicitly(0, make<ASN1Boolean>(true)); }, "A0 03 01 01 FF"},
        {[] { return explicitly(3, make<ASN1Null>()); }, "A3 02 05 00"},
        {[] { return explicitly(200, integer(5)); }, "BF 81 48 03 02 01 05"},
        {[] { return explicitly(2, choice(integer(5))); }, "A2 03 02 01 05"},
        {[] { return choice(integer(5)); }, "02 01 05"},
        {[] { return explicitly(31, choice(integer(5))); }, "BF 1F 03 02 01 05"},
        {[] { return explicitly(4, make<ASN1Any>(integer(5))); }, "02 01 05"},
        {[] { return make<ASN1TaggedValue>(5, hex("85 01 41")); }, "85 01 41"},
        {[] { return structure<ASN1OctetString>(octets("41 42"), octets("43")); },
         "24 07 04 02 41 42 04 01 43"},
        // A bit string held as segments is written whole: the concatenated bits, the last segment's count.
        {[] { return bitSegments(); }, "03 03 04 FF F0"},
        {[] { return explicitly(1, bitSegments()); }, "A1 05 03 03 04 FF F0"},
        {[] { return implicitly(1, bitSegments()); }, "81 03 04 FF F0"},
    };
    for (const auto& [build, expected] : cases) {
        const Value v = build();
        EXPECT_EQ(DERCoder::encode(*v), hex(expected)) << v->toString();
    }
    const ByteArray contents = repeated(ByteArray("a"), 200);  // the explicit tag counts the long length
    EXPECT_EQ(DERCoder::encode(*explicitly(0, make<ASN1OctetString>(contents))),
              hex("A0 81 CB 04 81 C8") + contents);
}

// A stream whose every read fails with IndexOutOfRange.
class FailingStream : public Velmora::InputStream {
  protected:
    std::size_t readFromSource(unsigned char*, std::size_t) override { throw IndexOutOfRange(3, 1); }
    bool sourceHasData() override { return true; }
};

TEST(DEREncode, FailuresAreWrappedOncePerLevel) {
    const Link twelve = {12, kEncode};
    const std::pair<std::function<Value()>, std::vector<Link>> cases[] = {
        {[] { return make<OddValue>(ASNTag::OBJECT_DESCRIPTOR); }, {twelve, {2, kEncode}}},
        {[] { return make<OddValue>(ASNTag::EXTERNAL); }, {twelve, {3, kEncode}}},
        {[] { return make<OddValue>(11); }, {twelve, {5, kEncode}}},
        {[] { return make<OddValue>(0); }, {twelve, {5, kEncode}}},
        {[] { return make<OddValue>(ASNTag::INTEGER); }, {twelve, {23, "asn1_const_cast()", "", 0}}},
        {[] { return oid("1.40"); }, {twelve, {6, kEncodeOID}}},
        {[] { return oid("3.1"); }, {twelve, {6, kEncodeOID}}},
        {[] { return oid("1"); }, {twelve, {6, kEncodeOID}}},
        {[] { return structure(make<ASN1Integer>()); },
         {twelve, twelve, {11, "DERCoder::isValid(const ASN1Object *obj)"}}},
        {[] { return structure(structure(make<OddValue>(ASNTag::REAL))); },
         {twelve, twelve, twelve, {4, kEncode}}},
        {[] { return structure(make<ASN1OctetString>(std::make_unique<FailingStream>())); },
         {twelve, {5, kEncode, kIndexMessage}}},
    };
    for (const auto& [build, chain] : cases) {
        const Value v = build();
        for (const bool ber : {false, true}) {  // the BER encoder runs the same dispatcher
            SCOPED_TRACE(v->toString() + (ber ? " BER" : " DER"));
            ByteArrayOutputStream out;
            const Outcome o = outcomeOf([&] { ber ? BERCoder::encode(*v, out) : DERCoder::encode(*v, out); });
            ASSERT_TRUE(o.error.has_value());
            EXPECT_EQ(render(o.error->getCause(), chain), render(chain));  // below the entry point's 15
        }
    }
}

TEST(DEREncode, DeepValueTreesStopAtTheNestingLimit) {
    Value tree = integer(1);
    for (int i = 0; i < 1000; ++i) tree = structure(std::move(tree));
    for (const bool ber : {false, true}) {
        const Outcome o = outcomeOf([&] { ber ? BERCoder::encode(*tree) : DERCoder::encode(*tree); });
        ASSERT_TRUE(o.error.has_value());
        const Exception* e = ber ? o.error->getCause() : o.error->getCause()->getCause();  // past the 15s
        int wraps = 0;
        for (; e->getCause() != nullptr; e = e->getCause(), ++wraps) ASSERT_EQ(e->getNumber(), 12u);
        EXPECT_GT(wraps, 100);
        EXPECT_EQ(render(e, {{25, kEncode, "*"}}), render({{25, kEncode, "*"}}));
    }
    Value shallow = integer(1);
    for (int i = 0; i < 150; ++i) shallow = structure(std::move(shallow));
    const ByteArray encoded = DERCoder::encode(*shallow);
    EXPECT_EQ(DERCoder::encode(*BERCoder::decode(encoded)), encoded);
}

}  // namespace
}  // namespace codec_test
