// Random value trees: encoded, decoded by both decoders, encoded again; truncated and damaged
// encodings fail cleanly and leave nothing behind.
#include "RandomTrees.h"
#include "zentrik/asn1/DirectDecoder.h"
#include "support/ChunkedInputStream.h"
#include "support/DecodeAgreement.h"

namespace codec_test {
namespace {

using Ostrel::DirectDecoder;

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

// Elements decoded one after another from a caller's stream, which the decoders read in place when it
// holds its octets in memory and piece by piece when not; octets pushed back in front are read first.
TEST(ASN1RoundTrip, ElementsDecodeOneAfterAnotherFromOneStream) {
    TreeMaker maker(99);
    ByteArray all;
    std::vector<std::size_t> ends;
    for (int i = 0; i < 40; ++i) {
        all += DERCoder::encode(*maker.tree(3));
        ends.push_back(all.size());
    }
    ByteArrayInputStream inMemory(all);
    zentrik_test::ChunkedInputStream inChunks(all, zentrik_test::fixedChunks(3));
    for (InputStream* in : {static_cast<InputStream*>(&inMemory), static_cast<InputStream*>(&inChunks)}) {
        std::size_t start = 0;
        for (std::size_t i = 0; i < ends.size(); ++i) {
            if (i % 2) in->pushBack(in->readBlob(2));  // a caller that looked ahead
            const Coder coder = i % 3 ? Coder::DER : Coder::BER;
            const SmartPointer<ASN1Object> value =
                coder == Coder::DER ? DERCoder::decode(*in) : BERCoder::decode(*in);
            EXPECT_EQ(in->getCount(), ends[i]);
            EXPECT_EQ(DERCoder::encode(*value), all.subBytes(start, ends[i] - start));
            start = ends[i];
        }
        EXPECT_FALSE(in->hasData());
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
        if (i % 2) damaged = hex("30 80") + damaged + hex("00 00");  // inside an indefinite length
        for (int k = 0; k < 3; ++k)
            damaged[static_cast<unsigned int>(rng() % damaged.size())] = static_cast<unsigned char>(rng());
        SCOPED_TRACE(damaged.toHex());
        // Anything but Exception or IndexOutOfRange (bad_alloc, length_error, ...) ends the test here.
        // Read in place from memory or octet by octet from a stream, the outcome is the same.
        EXPECT_EQ(zentrik_test::memoryAndStreamDisagree([](InputStream& in) { return DERCoder::decode(in); },
                                                        damaged), "");
        EXPECT_EQ(zentrik_test::memoryAndStreamDisagree([](InputStream& in) { return BERCoder::decode(in); },
                                                        damaged), "");
        // The decoder's check without values takes exactly what it decodes.
        for (const auto rules : {DirectDecoder::Rules::der, DirectDecoder::Rules::ber}) {
            std::size_t checked = 0, decoded = 0;
            const unsigned char* end = damaged.data() + damaged.size();
            const bool passes = DirectDecoder(damaged.data(), end, rules).check(checked);
            EXPECT_EQ(passes, DirectDecoder(damaged.data(), end, rules).decode(decoded) != nullptr);
            EXPECT_EQ(checked, decoded);
        }
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
