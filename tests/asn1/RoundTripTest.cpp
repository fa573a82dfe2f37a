// Random value trees: encoded, decoded by both decoders, encoded again; truncated and damaged
// encodings fail cleanly and leave nothing behind.
#include "RandomTrees.h"

namespace codec_test {
namespace {

TEST(ASN1RoundTrip, RandomTreesSurviveBothDecodersAndEncodeToTheSameOctets) {
    TreeMaker maker(20240607);
    for (int i = 0; i < 500; ++i) {
        const Value tree = maker.tree(4);
        const Value expected = expectedDecoding(*tree);
        const ByteArray der = DERCoder::encode(*tree);
        SCOPED_TRACE(testing::Message() << "tree " << i << ": " << der.toHex());
        // With nothing streamed, BER writes exactly what DER writes.
        EXPECT_EQ(BERCoder::encode(*tree), der);
        for (const Coder coder : {Coder::DER, Coder::BER}) {
            std::size_t left = 1;
            const SmartPointer<ASN1Object> decoded = decodeWith(coder, der, &left);
            EXPECT_EQ(left, 0u);
            EXPECT_TRUE(decoded->equals(*expected)) << decoded->toString() << "\n" << expected->toString();
            EXPECT_EQ(DERCoder::encode(*decoded), der);
            EXPECT_EQ(BERCoder::encode(*decoded), der);
        }
    }
}

TEST(ASN1RoundTrip, EveryTruncatedEncodingFailsCleanly) {
    TreeMaker maker(7);
    for (int i = 0; i < 60; ++i) {
        const ByteArray der = DERCoder::encode(*maker.tree(3));
        for (std::size_t n = 0; n < der.size(); ++n) {
            const ByteArray prefix = der.subBytes(0, n);
            SCOPED_TRACE(prefix.toHex());
            EXPECT_TRUE(outcomeOf([&] { DERCoder::decode(prefix); }).failed());
            const Outcome ber = outcomeOf([&] { BERCoder::decode(prefix); });
            EXPECT_TRUE(ber.coderException) << "the BER decoder turns every failure into a CoderException";
        }
    }
}

TEST(ASN1RoundTrip, DamagedEncodingsDecodeOrFailButNeverMisbehave) {
    TreeMaker maker(99);
    std::mt19937 rng(5);
    for (int i = 0; i < 300; ++i) {
        ByteArray damaged = BERCoder::encode(*maker.tree(3));
        for (int k = 0; k < 3; ++k)
            damaged[static_cast<unsigned int>(rng() % damaged.size())] = static_cast<unsigned char>(rng());
        SCOPED_TRACE(damaged.toHex());
        // Anything but Exception or IndexOutOfRange (bad_alloc, length_error, ...) ends the test here.
        SmartPointer<ASN1Object> der, ber;
        const bool derRead = !outcomeOf([&] { der = DERCoder::decode(damaged); }).failed();
        const bool berRead = !outcomeOf([&] { ber = BERCoder::decode(damaged); }).failed();
        if (!derRead) continue;
        ASSERT_TRUE(berRead) << "what the DER decoder reads, the BER decoder reads the same";
        EXPECT_TRUE(der->equals(*ber));
        outcomeOf([&] { EXPECT_EQ(BERCoder::encode(*ber), DERCoder::encode(*der)); });
    }
}

}  // namespace
}  // namespace codec_test
