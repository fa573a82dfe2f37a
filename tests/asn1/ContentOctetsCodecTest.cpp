// Decoded values keep the contents octets of their encoding, and the encoders write them back: the
// results are the same octets the values would give as numbers, arcs or text, minimal where the input
// was not. Also the order of SET components, which the encoder sorts in one buffer.
#include <gtest/gtest.h>

#include <string>

#include "asn1/CodecTestSupport.h"

namespace codec_test {
namespace {

using Velmora::BigNumber;

// Decodes `input` with either coder, re-encodes with the same one and compares with `expected`.
void expectReencoding(const char* input, const char* expected) {
    for (bool ber : {false, true}) {
        SCOPED_TRACE(std::string(ber ? "BER: " : "DER: ") + input);
        const SmartPointer<ASN1Object> value =
            ber ? BERCoder::decode(hex(input)) : DERCoder::decode(hex(input));
        const ByteArray again = ber ? BERCoder::encode(value.get()) : DERCoder::encode(value.get());
        EXPECT_EQ(again.toHex(), hex(expected).toHex());
    }
}

TEST(ContentOctetsCodec, IntegersComeBackMinimal) {
    const struct {
        const char* input;
        const char* expected;
        const char* decimal;
    } cases[] = {
        {"020105", "020105", "5"},
        {"02020005", "020105", "5"},
        {"0203000080", "02020080", "128"},
        {"0203FFFF80", "020180", "-128"},
        {"0200", "020100", "0"},
        {"02020000", "020100", "0"},
        {"0202FF7F", "0202FF7F", "-129"},
        {"02090100000000000000FF", "02090100000000000000FF", "18446744073709551871"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        expectReencoding(c.input, c.expected);
        const SmartPointer<ASN1Object> value = DERCoder::decode(hex(c.input));
        const auto* integer = asn1_const_cast<ASN1Integer>(value.get());
        EXPECT_TRUE(integer->hasContentOctets());
        EXPECT_EQ(integer->getValue().toDecimal(), c.decimal);
        // The same number given as a number encodes to the same octets.
        EXPECT_EQ(DERCoder::encode(ASN1Integer(BigNumber::fromDecimal(c.decimal))).toHex(),
                  hex(c.expected).toHex());
    }
}

TEST(ContentOctetsCodec, NumbersEncodeAlikeWhetherGivenOrDecoded) {
    for (long long n : {0LL, 1LL, -1LL, 127LL, 128LL, -128LL, -129LL, 255LL, 256LL, -256LL, 32767LL, -32768LL,
                        65535LL, -65536LL, 2147483647LL, -2147483648LL, 9223372036854775807LL}) {
        SCOPED_TRACE(n);
        const ByteArray given = DERCoder::encode(ASN1Integer(n));
        const SmartPointer<ASN1Object> decoded = DERCoder::decode(given);
        EXPECT_EQ(DERCoder::encode(decoded.get()), given);
        EXPECT_EQ(asn1_const_cast<ASN1Integer>(decoded.get())->getValue(), BigNumber(n));
        EXPECT_EQ(asn1_const_cast<ASN1Integer>(decoded.get())->getContentOctets(), given.right(2));
    }
}

TEST(ContentOctetsCodec, ObjectIdentifiersComeBackCompleteAndMinimal) {
    const struct {
        const char* input;
        const char* expected;
        const char* dotted;
    } cases[] = {
        {"06062A864886F70D", "06062A864886F70D", "1.2.840.113549"},
        {"06032A8601", "06032A8601", "1.2.769"},
        {"06038F7F01", "06038F7F01", "2.1967.1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        expectReencoding(c.input, c.expected);
        const SmartPointer<ASN1Object> value = DERCoder::decode(hex(c.input));
        EXPECT_EQ(value->toString(), String(c.dotted));
        EXPECT_EQ(*value, ASN1ObjectIdentifier(c.dotted));
    }
}

TEST(ContentOctetsCodec, StringsAndTimesComeBackAsTheirTextEncodes) {
    const struct {
        const char* input;
        const char* expected;
        const char* why;
    } cases[] = {
        {"130454657374", "130454657374", "PrintableString"},
        {"160341E942", "160341E942", "IA5String with a Latin-1 octet"},
        {"0C02C3A9", "0C02C3A9", "valid UTF-8"},
        {"0C02C328", "0C02C328", "invalid UTF-8 survives octet for octet"},
        {"0C02C0AF", "0C02C0AF", "an overlong form survives octet for octet"},
        {"0C01FF", "0C01FF", "an octet that is never UTF-8 survives"},
        {"1E0400410042", "1E0400410042", "BMPString"},
        {"170D3939313233313233353935395A", "170D3939313233313233353935395A", "UTCTime"},
        {"180F32303338303131393033313430385A", "180F32303338303131393033313430385A", "GeneralizedTime"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        expectReencoding(c.input, c.expected);
    }
}

TEST(ContentOctetsCodec, ANewValueReplacesTheDecodedOctets) {
    const SmartPointer<ASN1Object> decoded =
        DERCoder::decode(hex("300E"
                             "020105"
                             "06022A03"
                             "1302"
                             "4142"
                             "170130"));
    auto* sequence = static_cast<ASNStructured*>(decoded.get());
    static_cast<ASN1Integer*>(sequence->getComponent(0))->setValue(BigNumber(-2));
    static_cast<ASN1ObjectIdentifier*>(sequence->getComponent(1))->setValue("2.5");
    static_cast<ASN1String*>(sequence->getComponent(2))->setValue(String("xyz"));
    static_cast<ASN1Time*>(sequence->getComponent(3))->setValue(String("1"));
    EXPECT_EQ(DERCoder::encode(decoded.get()).toHex(), hex("300E"
                                                           "0201FE"
                                                           "060155"
                                                           "1303"
                                                           "78797A"
                                                           "170131")
                                                           .toHex());
}

TEST(ContentOctetsCodec, SetComponentsAreWrittenInTheOrderOfTheirEncodings) {
    const struct {
        Value set;
        const char* expected;
    } cases[] = {
        {structure<ASN1Set>(integer(3), integer(1), integer(2)), "3109020101020102020103"},
        {structure<ASN1Set>(octets("4142"), integer(-1), make<ASN1Null>(), make<ASN1Boolean>(true)),
         "310C0101FF0201FF04024142"
         "0500"},
        {structure<ASN1Set>(octets("41"), octets("4100"), octets("40FF")),
         "310B"
         "040141"
         "040240FF"
         "04024100"},
        {structure<ASN1Set>(integer(7)), "3103020107"},
        {structure<ASN1Set>(), "3100"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        const ByteArray der = DERCoder::encode(c.set.get());
        EXPECT_EQ(der.toHex(), hex(c.expected).toHex());
        const SmartPointer<ASN1Object> decoded = DERCoder::decode(der);
        EXPECT_EQ(DERCoder::encode(decoded.get()), der);
    }
}

}  // namespace
}  // namespace codec_test
