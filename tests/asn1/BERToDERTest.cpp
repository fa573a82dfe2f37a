// BER to DER without values: definite lengths, joined strings, sorted SETs and canonical BOOLEANs at
// every depth, the decoders' refusals kept, and a random DER tree left exactly as it is.
#include "CodecTestSupport.h"
#include "RandomTrees.h"
#include "zentrik/asn1/BERToDER.h"
#include "zentrik/foundation/CoderFailures.h"

namespace codec_test {
namespace {

using zentrik_test::expectFailure;
namespace failures = Velmora::failures;

struct Conversion {
    const char* name;
    const char* ber;
    const char* der;
};

TEST(BERToDER, ConvertsEveryDepthAndEveryClass) {
    const Conversion cases[] = {
        {"indefinite SEQUENCE, long-form lengths", "30 80 02 81 01 05 04 82 00 00 00 00",
         "30 05 02 01 05 04 00"},
        {"segmented OCTET STRING inside an indefinite [0]", "A0 80 24 80 04 01 41 24 03 04 01 42 00 00 00 00",
         "A0 04 04 02 41 42"},
        {"application and private classes keep their form", "7F 21 80 E1 80 33 80 13 01 61 00 00 00 00 00 00",
         "7F 21 05 E1 03 13 01 61"},
        {"BIT STRING segments: last unused count, unused bits cleared", "23 0A 03 02 00 F0 03 04 04 AA BB CF",
         "03 05 04 F0 AA BB C0"},
        {"SET sorted by encodings, SEQUENCE not",
         "30 80 31 80 02 01 09 01 01 05 00 00 30 06 02 01 09 01 01 01 00 00",
         "30 10 31 06 01 01 FF 02 01 09 30 06 02 01 09 01 01 FF"},
        {"padded length and a high tag number below 31", "9F 05 81 01 33", "85 01 33"},
    };
    for (const Conversion& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(berToDER(hex(c.ber)).toHex(), hex(c.der).toHex());
    }
}

TEST(BERToDER, BERAndDEREncodingsOfOneValueConvertAlikeAndConvertingTwiceChangesNothing) {
    TreeMaker maker(2718);
    for (int i = 0; i < 50; ++i) {
        const Value tree = maker.tree(5);
        const ByteArray der = berToDER(BERCoder::encode(*tree));
        ASSERT_EQ(berToDER(DERCoder::encode(*tree)), der);
        ASSERT_EQ(berToDER(der), der);
    }
    ByteArrayInputStream in(hex("30 80 05 00 00 00 02 01 07"));
    ByteArrayOutputStream out;
    berToDER(in, out);
    EXPECT_EQ(out.takeByteArray(), hex("30 02 05 00"));
    EXPECT_EQ(in.getCount(), 6u);
}

TEST(BERToDER, RefusesWhatTheDecodersRefuseAndSaysWhere) {
    const std::pair<const char*, unsigned int> cases[] = {
        {"", failures::kNoData},
        {"30 80 02 01 05", failures::kTruncated},
        {"30 05 04 03 41", failures::kTruncated},
        {"04 88 80 00 00 00 00 00 00 00", failures::kUnrepresentable},
        {"30 03 04 05 41 41 41 41 41", failures::kOverrun},
        {"30 03 30 80 00 00", failures::kOverrun},
        {"30 02 00 00", failures::kMalformed},
        {"A0 03 1F 00 00", failures::kMalformed},
        {"1F 80 01 00", failures::kMalformed},
        {"05 00 05 00", failures::kMalformed},
        {"03 02 08 00", failures::kMalformed},
        {"23 06 03 02 01 80 03 00", failures::kMalformed},
        {"01 02 00 FF", failures::kBadBoolean},
        {"05 01 00", failures::kBadNull},
        {"24 03 02 01 05", failures::kBadSegment},
        {"04 80 00 00", failures::kBadLength},
        {"22 03 02 01 05", failures::kUnsupportedIdentifier},
        {"10 00", failures::kUnsupportedIdentifier},
    };
    for (const auto& [ber, number] : cases) {
        SCOPED_TRACE(ber);
        expectFailure([&] { berToDER(hex(ber)); }, number);
    }
    expectFailure([] { berToDER(repeated(hex("A0 80"), failures::kMaxNesting + 1)); }, failures::kTooDeep);
    expectFailure([] { berToDER(repeated(hex("24 80"), failures::kMaxNesting + 1)); }, failures::kTooDeep);
    // The element that failed: the INTEGER inside, not the SEQUENCE around it.
    ByteArrayInputStream in(hex("30 80 30 80 01 02 00 00"));
    BERToDER converter(in);
    EXPECT_TRUE(outcomeOf([&] { converter.convert(); }).failed());
    EXPECT_EQ(converter.failedOffset(), 4u);
}

}  // namespace
}  // namespace codec_test
