// DER decoding: what each identifier becomes, what is refused, and how the failures leave.
#include "CodecTestSupport.h"

namespace codec_test {
namespace {

TEST(DERDecode, ReadsEachValueFamily) {
    const Decoded cases[] = {
        {"01 01 FF", 1, "TRUE"},
        {"02 00", 2, "0"},
        {"02 02 00 80", 2, "128"},
        {"02 01 FF", 2, "-1"},
        {"02 03 FF 00 FF", 2, "-65281"},
        {"02 02 00 05", 2, "5"},
        {"03 02 07 80", 3, "80 (7 unused bits)"},
        {"03 01 00", 3, " (0 unused bits)"},
        {"04 03 41 42 43", 4, "414243"},
        {"24 00", 4, ""},
        {"24 06 04 01 41 04 01 42", 4, "4142"},
        {"05 00 05 00", 5, "NULL", 2},
        {"06 03 2A 86 48", 6, "1.2.840"},
        {"06 01 27", 6, "0.39"},
        {"06 01 28", 6, "1.0"},
        {"06 01 50", 6, "2.0"},
        {"06 01 7F", 6, "2.47"},
        {"06 02 81 00", 6, "2.48"},
        {"06 03 81 34 03", 6, "2.100.3"},
        {"06 06 2A 8F FF FF FF 7F", 6, "1.2.4294967295"},
        {"0A 00", 10, "0"},
        {"0A 02 00 C8", 10, "200"},
        {"0A 01 FF", 10, "-1"},
        {"0A 04 80 00 00 00", 10, "-2147483648"},
        {"0A 05 00 7F FF FF FF", 10, "2147483647"},
        {"0A 05 FF 80 00 00 00", 10, "-2147483648"},
        {"0C 02 C3 A9", 12, "\xC3\xA9"},
        {"1E 04 00 41 20 AC", 30, "A\xE2\x82\xAC"},
        {"1C 04 00 00 00 41", 28, "A"},
        {"1C 0C 00 00 00 41 00 00 00 E9 00 00 65 E5", 28, "A\xC3\xA9\xE6\x97\xA5"},
        {"14 01 E9", 20, "\xC3\xA9"},
        {"18 02 32 30", 24, "20"},
        {"31 06 02 01 02 02 01 01", 49, "SET { 2, 1 }"},
        {"30 84 00 00 00 05 A1 03 02 01 05", 48, "SEQUENCE { [1] a103020105 }"},
        {"9F 1F 01 00", -6, "[31] 9f1f0100"},
        {"80 81 01 41", -6, "[0] 800141"},
        {"C5 01 41 00", -6, "[5] c50141", 1},
        {"BF 81 00 00", -6, "[128] bf810000"},
    };
    for (const Decoded& c : cases) expectDecoded(Coder::DER, c);
}

constexpr const char* kBitString = "DERCoder::decodeBitString(ASN1OctetString *asn, const InputStream&)";
constexpr const char* kOID = "DERCoder::decodeObjectIdentifier(ASN1ObjectIdentifier *, const InputStream&)";
constexpr const char* kEnumerated = "DERCoder::decodeEnumerated(ASN1Enumerated *, InputStream&)";
constexpr const char* kOctetString = "DERCoder::decodeOctetString(ASN1OctetString *, InputStream&)";
constexpr const char* kLength = "DERCoder::getLength(InputStream&)";
constexpr const char* kString = "DERCoder::decodeString(ASN1String *, InputStream&)";

TEST(DERDecode, RefusesWhatItCannotRead) {
    const Refused cases[] = {
        {"", {{13, "DERCoder::decode", "there was no data to decode"}}},
        {"01 01 01", {{8, "DERCoder::decodeBoolean(ASN1Boolean, char*)"}}},
        {"05 01 00", {{9, "DERCoder::decodeNull(ASN1Null *i, const char *array)"}}},
        {"06 00", {{17, kOID}}},
        // Octets that no value of the type has: refused, never shortened.
        {"06 01 86", {{30, kOID, "*"}}},
        {"06 02 2A 86", {{30, kOID, "*"}}},
        {"06 03 2A 80 01", {{30, kOID, "*"}}},
        {"1E 03 00 41 00", {{30, kString, "*"}}},
        {"1C 02 00 41", {{30, kString, "*"}}},
        {"01 02 00 00", {{8, kBoolean, "*"}}},
        {"01 00", {{8, kBoolean, "*"}}},
        {"06 06 2A 90 80 80 80 00", {{27, kOID, "*"}}},
        {"06 05 90 80 80 80 00", {{27, kOID, "*"}}},
        {"0A 05 00 80 00 00 00", {{27, kEnumerated, "*"}}},
        {"0A 05 01 00 00 00 00", {{27, kEnumerated, "*"}}},
        {"23 03 03 01 00", {{19, kBitString}}},
        {"03 00", {{27, kBitString, "*"}}},
        {"00 00", {{7, "DERCoder::decode(0x00)"}}},
        {"2C 00", {{7, "DERCoder::decode(0x2C)"}}},
        {"30 03 61 00 00", {{7, "DERCoder::decode(0x61)"}}},
        {"A0 80 02 01 05 00 00", {{20, kLength}}},
        {"A0", {{20, kLength, "no data to read"}}},
        {"02 85 01 00 00 00 01", {{20, kLength, "*"}}},
        {"9F 90 80 80 80 00 00", {{27, "DERCoder::getTaggedValue(InputStream&, ByteArray&)", "*"}}},
        // Contents shorter than their length; claimed lengths allocate nothing.
        {"04 05 41 42", {{26, kOctetString, "*"}}},
        {"02 02 01", {{26, "DERCoder::decodeInteger(ASN1Integer *, InputStream&)", "*"}}},
        {"0A 02 01", {{26, kEnumerated, "*"}}},
        {"0C 03 41", {{26, "DERCoder::decodeString(ASN1String *, InputStream&)", "*"}}},
        {"17 05 39", {{26, "DERCoder::decodeTime(ASN1Time *, InputStream&)", "*"}}},
        {"06 03 2A", {{26, kOID, "*"}}},
        {"03 03 00 FF", {{26, kBitString, "*"}}},
        {"30 06 02 01 05", {{26, kStructured, "*"}}},
        {"24 06 04 01 41", {{26, kOctetString, "*"}}},
        {"04 84 FF FF FF FF 41", {{26, kOctetString, "*"}}},
        {"30 84 FF FF FF FF 02 01 05", {{26, kStructured, "*"}}},
        {"BF 1F 84 FF FF FF FE 00", {{26, "DERCoder::decode", "*"}}},
        // Octets read with the checking index.
        {"01 01", {{26, kBoolean, "*"}}},
        {"05", {}},
        {"03 01", {}},
        {"02 82 01", {}},
        {"9F 81", {}},
        {"30 05 30 03 03 01", {}},
    };
    for (const Refused& c : cases) {
        SCOPED_TRACE(c.input);
        const Outcome o = outcomeOf([&] { decodeWith(Coder::DER, hex(c.input)); });
        if (c.chain.empty()) {
            EXPECT_TRUE(o.indexOutOfRange);
            continue;
        }
        expectChain(o, c.chain);
        EXPECT_FALSE(o.coderException);  // copied as a plain Exception on the way out
        EXPECT_EQ(o.error->getClassCode(), CoderException::kClassCode);
    }
    ByteArrayInputStream in(hex("05 01 00"));
    EXPECT_TRUE(outcomeOf([&] { DERCoder::decode(in); }).failed());
    EXPECT_EQ(in.getCount(), 2u);  // the contents octet after the bad length stays unread
}

// Opens the structure reader, which the dispatcher only calls for the octets 30 and 31.
struct OpenDER : DERCoder {
    using DERCoder::decodeStructured;
};

TEST(DERDecode, StructureReaderRefusesOtherIdentifiersWithLibrary0) {
    ByteArrayInputStream in(hex("32 00"));
    const Outcome o = outcomeOf([&] { OpenDER().decodeStructured(in); });
    expectChain(o, {{7, kStructured, "", Exception::LIB_GENERAL}});
    EXPECT_FALSE(o.coderException);
}

TEST(DERDecode, NestingDeeperThanTheLimitFailsWithoutExhaustingTheStack) {
    for (const char* unit : {"30 83 FF FF FF", "24 83 FF FF FF", "31 84 7F FF FF FF"})
        expectChain(outcomeOf([&] { DERCoder::decode(repeated(hex(unit), 1000000)); }),
                    {{25, "DERCoder::decode", "*"}});
}

}  // namespace
}  // namespace codec_test
