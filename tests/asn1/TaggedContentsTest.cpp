// Reading the element inside an explicit tag, or the contents of an implicit one, from a tagged value.
#include "CodecTestSupport.h"
#include "zentrik/asn1/TaggedContents.h"

namespace codec_test {
namespace {

constexpr const char* kExplicit = "explicitContents(const ASN1TaggedValue&)";
constexpr const char* kImplicit = "implicitContents(const ASN1TaggedValue&, ASNTag::ASN1_TAG)";

// The first component of the SEQUENCE `hexText` decodes to, which the decoder keeps as a tagged value.
ASN1TaggedValue firstTagged(SmartPointer<ASN1Object> (*decode)(const ByteArray&), const char* hexText) {
    const SmartPointer<ASN1Object> outer = decode(hex(hexText));
    return *asn1_const_cast<ASN1TaggedValue>(asn1_const_cast<ASNStructured>(outer.get())->getComponent(0));
}

TEST(TaggedContents, ExplicitReadsTheElementInsideFromDERAndBER) {
    const ASN1TaggedValue fromDER = firstTagged(&DERCoder::decode, "30 08 A0 03 02 01 02 02 01 05");
    EXPECT_EQ(DERCoder::encode(*explicitContents(fromDER)), hex("02 01 02"));
    const ASN1TaggedValue fromBER = firstTagged(&BERCoder::decode, "30 80 A0 80 30 80 02 01 07 00 00 00 00 00 00");
    EXPECT_EQ(DERCoder::encode(*explicitContents(fromBER)), hex("30 03 02 01 07"));
    EXPECT_EQ(DERCoder::encode(*explicitContents(ASN1TaggedValue(5, hex("BF 1F 03 01 01 FF")))), hex("01 01 FF"));
}

TEST(TaggedContents, ImplicitReadsTheContentsAsTheTypeAsked) {
    const ASN1TaggedValue fromDER = firstTagged(&DERCoder::decode, "30 05 81 03 01 00 01");
    EXPECT_EQ(DERCoder::encode(*implicitContents(fromDER, ASNTag::INTEGER)), hex("02 03 01 00 01"));
    const ASN1TaggedValue fromBER = firstTagged(&BERCoder::decode, "30 80 A2 80 04 01 41 04 01 42 00 00 00 00");
    // The segments stay segments, as the decoder reads them.
    EXPECT_EQ(DERCoder::encode(*implicitContents(fromBER, ASNTag::OCTET_STRING)), hex("24 06 04 01 41 04 01 42"));
    const ASN1TaggedValue sequence(3, hex("A3 06 02 01 05 02 01 06"));
    EXPECT_EQ(DERCoder::encode(*implicitContents(sequence, ASNTag::SEQUENCE)), hex("30 06 02 01 05 02 01 06"));
}

TEST(TaggedContents, RefusesWhatIsNotThere) {
    const std::tuple<const char*, unsigned int, const char*> explicitCases[] = {
        {"", 13, "the tagged value holds no encoding"},
        {"80 01 05", 31, "[0] is primitive: it holds no element of its own"},
        {"A0 00", 31, "[0] holds no element"},
        {"A0 06 02 01 05 02 01 06", 31, "[0] holds more than one element"},
        {"A0 80 02 01 05 02 01 06 00 00", 31, "[0] holds more than one element"},
        {"A0 03 02 01 05 FF", 31, "1 octets follow the end of [0]"},
        {"A0 80 02 01 05", 26, "the end-of-contents octets of [0] are missing"},
        {"A0 05 02 01 05", 26, "*"},
        {"BF", 31, "the encoding does not start with whole identifier and length octets"},
    };
    for (const auto& [input, number, message] : explicitCases) {
        SCOPED_TRACE(input);
        expectChain(outcomeOf([input = input] { explicitContents(ASN1TaggedValue(0, hex(input))); }),
                    {{number, kExplicit, message}});
    }
    // The element inside is the decoder's to refuse.
    zentrik_test::expectFailure([] { explicitContents(ASN1TaggedValue(0, hex("A0 03 01 02 FF"))); }, 8);

    expectChain(outcomeOf([] { implicitContents(ASN1TaggedValue(0, hex("80 02 01 FF")), ASNTag::BOOLEAN); }),
                {{31, kImplicit, "the contents of [0] do not decode as BOOLEAN"}, {8, "DERCoder::decodeBoolean(ASN1Boolean, char*)", "*"}});
    const Outcome primitiveSequence =
        outcomeOf([] { implicitContents(ASN1TaggedValue(0, hex("80 01 05")), ASNTag::SEQUENCE); });
    EXPECT_EQ(primitiveSequence.number(), 31u) << primitiveSequence.text();
    EXPECT_NE(primitiveSequence.innermost(), 31u) << primitiveSequence.text();
    expectChain(outcomeOf([] { implicitContents(ASN1TaggedValue(0, hex("80 01 05")), ASNTag::CHOICE); }),
                {{31, kImplicit, "tag -5 is no universal type"}});
}

}  // namespace
}  // namespace codec_test
