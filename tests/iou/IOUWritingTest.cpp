// Writing elements with IOU objects, and streamable octet strings written block by block.
#include <gtest/gtest.h>

#include <memory>

#include "IOUTestSupport.h"

using namespace Ostrel;
using iou_test::hex;
using Velmora::ByteArrayInputStream;
using Velmora::ByteArrayOutputStream;

namespace {

enum class Writer { Plain, Explicit, Implicit };

std::unique_ptr<ASN1IOUObject> makeWriter(Writer kind, OutputStream& out, unsigned int n) {
    switch (kind) {
        case Writer::Explicit:
            return std::make_unique<ASN1IOUExplicitObject>(out, ASNTag::SEQUENCE, n);
        case Writer::Implicit:
            return std::make_unique<ASN1IOUImplicitObject>(out, n);
        default:
            return std::make_unique<ASN1IOUObject>(out, ASNTag::SEQUENCE);
    }
}

// A streamable octet string whose stream hands out these blocks.
std::unique_ptr<ASN1OctetString> streamable(std::vector<ByteArray> blocks) {
    return std::make_unique<ASN1OctetString>(std::make_unique<iou_test::BlockInputStream>(std::move(blocks)));
}

}  // namespace

TEST(IOUWritingTest, WritersFrameTheirComponentsWhetherEndedOrReleased) {
    struct Case {
        const char* name;
        Writer kind;
        unsigned int n;
        const char* expected;
    };
    const Case cases[] = {
        {"plain", Writer::Plain, 0, "30 80 02 01 05 00 00"},
        {"explicit [0]", Writer::Explicit, 0, "A0 80 30 80 02 01 05 00 00 00 00"},
        {"explicit [31]", Writer::Explicit, 31, "BF 1F 80 30 80 02 01 05 00 00 00 00"},
        {"explicit [200]", Writer::Explicit, 200, "BF 81 48 80 30 80 02 01 05 00 00 00 00"},
        {"implicit [1]", Writer::Implicit, 1, "A1 80 02 01 05 00 00"},
        {"implicit [40]", Writer::Implicit, 40, "BF 28 80 02 01 05 00 00"},
    };
    for (const Case& c : cases) {
        for (bool release : {false, true}) {
            ByteArrayOutputStream out;
            {
                std::unique_ptr<ASN1IOUObject> writer = makeWriter(c.kind, out, c.n);
                writer->addComponent(ASN1Integer(5));
                if (!release) {
                    writer->endIOU();
                    EXPECT_TRUE(writer->isEnded());
                    writer->endIOU();                      // once only
                    writer->addComponent(ASN1Integer(6));  // nothing after the end
                }
            }
            EXPECT_EQ(out.getByteArray(), hex(c.expected)) << c.name << (release ? " released" : " ended");
        }
    }
}

TEST(IOUWritingTest, EmptyImplicitElementIsHeaderAndEnd) {
    ByteArrayOutputStream out;
    ASN1IOUImplicitObject writer(out, 1);
    writer.endIOU();
    EXPECT_EQ(out.getByteArray(), hex("A1 80 00 00"));
}

TEST(IOUWritingTest, ReadingOperationsOnAWriterGiveNothing) {
    ByteArrayOutputStream out;
    ASN1IOUObject writer(out, ASNTag::OCTET_STRING);
    EXPECT_EQ(out.getByteArray(), hex("24 80"));
    EXPECT_EQ(writer.getValue(), nullptr);
    EXPECT_FALSE(writer.hasNextComponent());
    EXPECT_FALSE(writer.hasData());
    EXPECT_EQ(writer.getData(), ByteArray());
    EXPECT_FALSE(writer.getNextComponent());
    EXPECT_FALSE(writer.getNextExplicitComponent());
    EXPECT_FALSE(writer.getNextImplicitComponent(ASNTag::SEQUENCE));
    EXPECT_EQ(out.getByteArray(), hex("24 80"));
}

TEST(IOUWritingTest, NestedWritersAndReadersAgree) {
    ByteArrayOutputStream out;
    {
        ASN1IOUObject outer(out, ASNTag::SEQUENCE);
        outer.addComponent(ASN1Integer(1));
        {
            ASN1IOUExplicitObject tagged(out, ASNTag::SET, 3);
            tagged.addComponent(ASN1Boolean(true));
        }
        {
            ASN1IOUImplicitObject tagged(out, 4);
            tagged.addComponent(ASN1OctetString(hex("AA")));
            tagged.addComponent(ASN1OctetString(hex("BB CC")));
        }
        outer.addComponent(ASN1Integer(2));
    }
    const ByteArray encoding = out.getByteArray();
    EXPECT_EQ(encoding,
              hex("30 80 02 01 01 A3 80 31 80 01 01 FF 00 00 00 00 A4 80 04 01 AA 04 02 BB CC 00 00 "
                  "02 01 02 00 00"));

    ByteArrayInputStream in(encoding);
    SmartPointer<ASN1IOUObject> outer = BERCoder::decodeIOU(in);
    EXPECT_TRUE(iou_test::nextIs(*outer, ASN1Integer(1)));
    {
        SmartPointer<ASN1IOUObject> tagged = outer->getNextExplicitComponent();
        EXPECT_EQ(tagged->getIdentifier(), 0x31u);
        EXPECT_TRUE(iou_test::nextIs(*tagged, ASN1Boolean(true)));
        EXPECT_FALSE(tagged->getNextComponent());
    }
    {
        SmartPointer<ASN1IOUObject> tagged = outer->getNextImplicitComponent(ASNTag::OCTET_STRING);
        ByteArray all;
        while (tagged->hasData()) all += tagged->getData();
        EXPECT_EQ(all, hex("AA BB CC"));
    }
    EXPECT_TRUE(iou_test::nextIs(*outer, ASN1Integer(2)));
    EXPECT_FALSE(outer->getNextComponent());
    EXPECT_EQ(in.getCount(), encoding.size());
    // The whole decoder reads the same octets.
    SmartPointer<ASN1Object> whole = BERCoder::decode(encoding);
    EXPECT_EQ(asn1_const_cast<ASNStructured>(whole.get())->getNumberOfComponents(), 4u);
}

TEST(IOUWritingTest, TagsThatDoNotFitOneOctetAreRefused) {
    const ASNTag::ASN1_TAG tags[] = {ASNTag::CHOICE, ASNTag::ANY, static_cast<ASNTag::ASN1_TAG>(31),
                                     static_cast<ASNTag::ASN1_TAG>(256)};
    for (ASNTag::ASN1_TAG tag : tags) {
        ByteArrayOutputStream out;
        iou_test::expectCoderFailure([&] { ASN1IOUObject writer(out, tag); }, 27,
                                     "ASN1IOUObject::ASN1IOUObject(OutputStream&, ASNTag::ASN1_TAG)");
        iou_test::expectCoderFailure(
            [&] { ASN1IOUExplicitObject writer(out, tag, 0); }, 27,
            "ASN1IOUExplicitObject::ASN1IOUExplicitObject(OutputStream&, ASNTag::ASN1_TAG, unsigned int)");
        EXPECT_EQ(out.size(), 0u) << static_cast<int>(tag);
    }
}

TEST(StreamedOctetStringTest, BlocksBecomeSegmentsOfAnIndefiniteString) {
    struct Case {
        const char* name;
        ASNTag::CONTEXT context;
        unsigned int n;
        std::vector<ByteArray> blocks;
        const char* expected;
    };
    const std::vector<ByteArray> abc = {hex("41 42"), hex("43")};
    const Case cases[] = {
        {"untagged", ASNTag::UNTAGGED, 0, abc, "24 80 04 02 41 42 04 01 43 00 00"},
        {"explicit [0]", ASNTag::EXPLICIT, 0, abc, "A0 80 24 80 04 02 41 42 04 01 43 00 00 00 00"},
        {"implicit [1]", ASNTag::IMPLICIT, 1, abc, "A1 80 04 02 41 42 04 01 43 00 00"},
        {"explicit [33]", ASNTag::EXPLICIT, 33, abc, "BF 21 80 24 80 04 02 41 42 04 01 43 00 00 00 00"},
        {"no data", ASNTag::UNTAGGED, 0, {}, "24 80 00 00"},
        {"no data, explicit", ASNTag::EXPLICIT, 2, {}, "A2 80 24 80 00 00 00 00"},
        {"an empty block", ASNTag::UNTAGGED, 0, {ByteArray(), hex("41")}, "24 80 04 00 04 01 41 00 00"},
    };
    for (const Case& c : cases) {
        std::unique_ptr<ASN1OctetString> value = streamable(c.blocks);
        if (c.context == ASNTag::EXPLICIT) value->setExplicitTag(c.n);
        if (c.context == ASNTag::IMPLICIT) value->setImplicitTag(c.n);
        EXPECT_EQ(BERCoder::encode(value.get()), hex(c.expected)) << c.name;
        EXPECT_FALSE(value->getInputStream()->hasData()) << c.name;
    }
}

TEST(StreamedOctetStringTest, InsideASequenceTheStringIsWrittenWithinADefiniteLength) {
    ASN1Sequence sequence;
    sequence.appendComponent(streamable({hex("41 42"), hex("43")}));
    EXPECT_EQ(BERCoder::encode(&sequence), hex("30 0B 24 80 04 02 41 42 04 01 43 00 00"));
}

TEST(StreamedOctetStringTest, WrittenToTheCallersStreamNextToOtherWriters) {
    ByteArrayOutputStream out;
    {
        ASN1IOUObject outer(out, ASNTag::SEQUENCE);
        outer.addComponent(ASN1Integer(9));
        std::unique_ptr<ASN1OctetString> value = streamable({hex("01"), hex("02 03")});
        value->setExplicitTag(0);
        BERCoder::encode(value.get(), out);
    }
    EXPECT_EQ(out.getByteArray(), hex("30 80 02 01 09 A0 80 24 80 04 01 01 04 02 02 03 00 00 00 00 00 00"));
}

TEST(StreamedOctetStringTest, AStreamLongerThanOneChunkGoesOutIn64KiBSegments) {
    const ByteArray contents = iou_test::pattern(0, 200000);
    ASN1OctetString value(std::make_unique<ByteArrayInputStream>(contents));
    iou_test::SegmentCheckingSink sink(hex("24 80"), 2);
    BERCoder::encode(&value, sink);
    EXPECT_EQ(sink.error(), "");
    EXPECT_TRUE(sink.closed());
    EXPECT_EQ(sink.dataOctets(), contents.size());
    EXPECT_EQ(sink.segments(), 4u);
    EXPECT_EQ(sink.largestSegment(), 65536u);

    ASN1OctetString again(std::make_unique<ByteArrayInputStream>(contents));
    const ByteArray encoding = BERCoder::encode(&again);
    SmartPointer<ASN1Object> decoded = BERCoder::decode(encoding);
    EXPECT_EQ(asn1_const_cast<ASN1OctetString>(decoded.get())->getValue(), contents);
}

TEST(StreamedOctetStringTest, AFailingStreamLeavesTheStringUnterminated) {
    for (ASNTag::CONTEXT context : {ASNTag::UNTAGGED, ASNTag::EXPLICIT, ASNTag::IMPLICIT}) {
        ASN1OctetString value(std::make_unique<iou_test::FailingInputStream>(2));
        if (context == ASNTag::EXPLICIT) value.setExplicitTag(0);
        if (context == ASNTag::IMPLICIT) value.setImplicitTag(0);
        ByteArrayOutputStream out;
        const iou_test::Outcome o = iou_test::outcomeOf([&] { BERCoder::encode(&value, out); });
        ASSERT_TRUE(o.error) << context << (o.indexOutOfRange ? ": IndexOutOfRange" : ": no failure");
        const Velmora::Exception* failure = &*o.error;
        // 15 at the entry point, 12 from the dispatcher, then the stream's own failure.
        EXPECT_EQ(failure->getNumber(), 15u);
        ASSERT_NE(failure->getCause(), nullptr);
        EXPECT_EQ(failure->getCause()->getNumber(), 12u);
        ASSERT_NE(failure->getCause()->getCause(), nullptr);
        EXPECT_EQ(failure->getCause()->getCause()->getNumber(), 4u);
        EXPECT_EQ(failure->getCause()->getCause()->getLibrary(), Velmora::Exception::LIB_UTILS);
        const char* header = context == ASNTag::EXPLICIT   ? "A0 80 24 80"
                             : context == ASNTag::IMPLICIT ? "A0 80"
                                                           : "24 80";
        // The header and the segments written so far, but no end-of-contents.
        EXPECT_EQ(out.getByteArray(), hex(header) + hex("04 02 AB CD 04 02 AB CD")) << context;
    }
}
