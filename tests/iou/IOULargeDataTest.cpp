// 256 MiB octet strings written and read through the IOU path, generated and checked on the fly:
// nothing stores the contents, so any gathering on the way would show in the recorded sizes.
#include <gtest/gtest.h>

#include <memory>

#include "IOUTestSupport.h"
#include "support/AllocationProbe.h"

using namespace Ostrel;
using iou_test::hex;

namespace {

constexpr std::uint64_t kLarge = std::uint64_t{256} << 20;
constexpr std::size_t kSegment = 64 * 1024;

struct Framing {
    const char* name;
    ASNTag::CONTEXT context;
    unsigned int n;
    const char* header;
    unsigned int zeros;
    std::uint64_t size;
};

// The full size once; the tagged framings differ only in their headers and ends, so less serves them.
const Framing kFramings[] = {
    {"untagged", ASNTag::UNTAGGED, 0, "24 80", 2, kLarge},
    {"explicit [5]", ASNTag::EXPLICIT, 5, "A5 80 24 80", 4, kLarge / 16},
    {"implicit [100]", ASNTag::IMPLICIT, 100, "BF 64 80", 2, kLarge / 16},
};

SmartPointer<ASN1IOUObject> reader(const Framing& framing, InputStream& in) {
    switch (framing.context) {
        case ASNTag::EXPLICIT:
            return BERCoder::decodeExplicitIOU(in);
        case ASNTag::IMPLICIT:
            return BERCoder::decodeImplicitIOU(in, ASNTag::OCTET_STRING);
        default:
            return BERCoder::decodeIOU(in);
    }
}

}  // namespace

TEST(IOULargeDataTest, WritesA256MiBStreamableStringOneBlockAtATime) {
    for (const Framing& framing : kFramings) {
        SCOPED_TRACE(framing.name);
        auto source = std::make_unique<iou_test::PatternSource>(framing.size);
        const iou_test::PatternSource* pattern = source.get();
        ASN1OctetString value(std::move(source));
        if (framing.context == ASNTag::EXPLICIT) value.setExplicitTag(framing.n);
        if (framing.context == ASNTag::IMPLICIT) value.setImplicitTag(framing.n);

        iou_test::SegmentCheckingSink sink(hex(framing.header), framing.zeros);
        BERCoder::encode(&value, sink);

        EXPECT_EQ(sink.error(), "");
        EXPECT_TRUE(sink.closed());
        EXPECT_EQ(pattern->produced(), framing.size);
        EXPECT_EQ(sink.dataOctets(), framing.size);
        EXPECT_EQ(sink.segments(), framing.size / kSegment);
        // 04 83 01 00 00 in front of every segment.
        EXPECT_EQ(sink.written(),
                  hex(framing.header).size() + framing.size / kSegment * 5 + framing.size + framing.zeros);
        // One block at a time: nothing asked of the source or handed to the sink exceeds a block.
        EXPECT_EQ(sink.largestSegment(), kSegment);
        EXPECT_LE(sink.largestWrite(), kSegment);
        EXPECT_LE(pattern->largestRequest(), kSegment);
    }
}

TEST(IOULargeDataTest, ReadsA256MiBStringSegmentBySegmentWithBoundedBuffers) {
    // Segment sizes vary so that pieces do not line up with the source's reads.
    const std::vector<std::size_t> sizes = {kSegment, 4093, 1, kSegment - 1, 0, 30000};
    for (const Framing& framing : kFramings) {
        SCOPED_TRACE(framing.name);
        iou_test::SegmentedSource in(hex(framing.header), framing.size, sizes, framing.zeros);
        SmartPointer<ASN1IOUObject> string = reader(framing, in);
        EXPECT_EQ(string->getTaggedValue(), framing.n);

        std::uint64_t offset = 0;
        std::uint64_t pieces = 0;
        std::size_t largestPiece = 0;
        std::uint64_t firstMismatch = ~std::uint64_t{0};
        while (string->hasData()) {
            const ByteArray piece = string->getData();
            if (firstMismatch == ~std::uint64_t{0} &&
                !iou_test::matchesPattern(piece.data(), piece.size(), offset))
                firstMismatch = offset;
            offset += piece.size();
            largestPiece = std::max(largestPiece, piece.size());
            ++pieces;
        }
        EXPECT_EQ(firstMismatch, ~std::uint64_t{0});
        EXPECT_EQ(offset, framing.size);
        EXPECT_GT(pieces, framing.size / kSegment);
        EXPECT_TRUE(string->isEnded());
        string.reset();
        EXPECT_EQ(in.getCount(), in.encodedSize());
        EXPECT_FALSE(in.hasData());
        // Bounded by one segment: pieces, reads asked of the source, and what was pushed back (headers and
        // end-of-contents octets only).
        EXPECT_LE(largestPiece, kSegment);
        EXPECT_LE(in.largestRequest(), kSegment);
        EXPECT_LE(in.largestPushBack(), 6u);
        EXPECT_LE(in.largestPending(), 6u);
    }
}

// A 64 MiB primitive OCTET STRING read through decodeIOU stays in the stream until getData hands it out
// in pieces: no block the reader asks for comes near the string's size. Decoding the same string whole
// shows that the probe sees such a block.
TEST(IOULargeDataTest, ReadsA64MiBPrimitiveStringInPiecesWithBoundedAllocations) {
    ASSERT_TRUE(hardening_test::AllocationProbe::available()) << "allocations cannot be seen in this build";
    constexpr std::size_t kSize = std::size_t{64} << 20;
    constexpr std::size_t kPiece = ASN1IOUObject::kLargestPiece;
    // No prefix and one segment of the whole size: the primitive string 04 84 04 00 00 00 <contents>.
    const auto source = [] { return iou_test::SegmentedSource(ByteArray(), kSize, {kSize}, 0); };
    std::size_t largest = 0;
    {
        iou_test::SegmentedSource in = source();
        const hardening_test::AllocationProbe probe;
        SmartPointer<ASN1IOUObject> string = BERCoder::decodeIOU(in);
        EXPECT_EQ(in.getCount(), 6u);
        std::uint64_t offset = 0;
        bool matches = true;
        while (string->hasData()) {
            const ByteArray piece = string->getData();
            matches = matches && piece.size() <= kPiece &&
                      iou_test::matchesPattern(piece.data(), piece.size(), offset);
            offset += piece.size();
        }
        string.reset();
        largest = probe.largest();
        EXPECT_TRUE(matches);
        EXPECT_EQ(offset, kSize);
        EXPECT_EQ(in.getCount(), in.encodedSize());
    }
    EXPECT_LE(largest, 2 * kPiece);

    iou_test::SegmentedSource in = source();
    const hardening_test::AllocationProbe probe;
    SmartPointer<ASN1IOUObject> string = BERCoder::decodeIOU(in);
    ASSERT_NE(string->getValue(), nullptr);
    EXPECT_GE(probe.largest(), kSize);
}
