// BIT STRING and OCTET STRING: plain values, segments, the constructed mark and streamed contents.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "zentrik/platform/asn1/ASN1.h"
#include "zentrik/platform/utils/Exception.h"
#include "zentrik/platform/utils/InputStream.h"

using namespace Ostrel;
using Velmora::ByteArray;

namespace {

std::unique_ptr<ASN1BitString> bitSegment(const ByteArray& bits, unsigned int unused) {
    auto segment = std::make_unique<ASN1BitString>();
    segment->setValue(bits, unused);
    return segment;
}

TEST(ASN1BitString, PlainValue) {
    ASN1BitString value;
    EXPECT_TRUE(value.isNull());
    EXPECT_FALSE(value.isConstructed());
    value.setValue(ByteArray{0x0A, 0xC0}, 6);
    EXPECT_FALSE(value.isNull());
    EXPECT_EQ(value.getValue(), (ByteArray{0x0A, 0xC0}));
    EXPECT_EQ(value.getNumberOfInsignificantBits(), 6u);
    value.setNumberOfInsignificantBits(2);
    EXPECT_EQ(value.getNumberOfInsignificantBits(), 2u);
    EXPECT_EQ(value.getNumberOfComponents(), 0u);
    EXPECT_EQ(ASN1BitString(ByteArray{0xFF}, 1), ASN1BitString(ByteArray{0xFF}, 1));
    EXPECT_NE(ASN1BitString(ByteArray{0xFF}, 1), ASN1BitString(ByteArray{0xFF}, 2));
}

TEST(ASN1BitString, SegmentsConcatenateAndGiveTheLastCount) {
    const struct {
        std::vector<std::pair<ByteArray, unsigned int>> segments;
        ByteArray whole;
        unsigned int unused;
    } cases[] = {
        {{{ByteArray{0xFF}, 0}, {ByteArray{0xF0}, 4}}, ByteArray{0xFF, 0xF0}, 4},
        {{{ByteArray{0x01, 0x02}, 0}}, ByteArray{0x01, 0x02}, 0},
        {{{ByteArray{0x01}, 0}, {ByteArray{}, 0}, {ByteArray{0x03, 0x80}, 7}},
         ByteArray{0x01, 0x03, 0x80},
         7},
    };
    for (const auto& c : cases) {
        ASN1BitString value;
        for (const auto& [bits, unused] : c.segments)
            value.appendComponent(bitSegment(bits, unused).release(), 0);
        EXPECT_TRUE(value.isConstructed());
        EXPECT_EQ(value.getTagValue(), ASNTag::BIT_STRING);
        EXPECT_FALSE(value.isNull());
        EXPECT_EQ(value.getNumberOfComponents(), c.segments.size());
        EXPECT_EQ(value.getValue(), c.whole);
        EXPECT_EQ(value.getNumberOfInsignificantBits(), c.unused);
        const auto* last =
            dynamic_cast<const ASN1BitString*>(value.getComponent(value.getNumberOfComponents() - 1));
        ASSERT_NE(last, nullptr);
        EXPECT_EQ(last->getValue(), c.segments.back().first);
    }
}

TEST(ASN1BitString, CountSetOnTheStringWinsOverTheLastSegment) {
    ASN1BitString value;
    value.appendComponent(bitSegment(ByteArray{0xF0}, 4));
    value.setNumberOfInsignificantBits(3);
    EXPECT_EQ(value.getNumberOfInsignificantBits(), 3u);
}

TEST(ASN1BitString, SetValueDropsTheSegments) {
    ASN1BitString value;
    value.appendComponent(bitSegment(ByteArray{0xF0}, 4));
    value.setValue(ByteArray{0x11}, 0);
    EXPECT_EQ(value.getNumberOfComponents(), 0u);
    EXPECT_FALSE(value.isConstructed());
    EXPECT_EQ(value.getValue(), ByteArray{0x11});
}

TEST(ASN1BitString, ForeignSegmentIsReportedByGetValue) {
    ASN1BitString value;
    value.appendComponent(std::make_unique<ASN1OctetString>(ByteArray{0x01}));
    try {
        (void)value.getValue();
        FAIL() << "a foreign segment was concatenated";
    } catch (const Velmora::Exception& e) {
        EXPECT_EQ(e.getNumber(), ASN1Error::FOREIGN_SEGMENT);
    }
    EXPECT_EQ(value.getNumberOfInsignificantBits(), 0u);
}

TEST(ASN1OctetString, PlainValue) {
    ASN1OctetString value(ByteArray("abc"));
    EXPECT_FALSE(value.isNull());
    EXPECT_FALSE(value.isConstructed());
    EXPECT_FALSE(value.isStreamable());
    EXPECT_EQ(value.getInputStream(), nullptr);
    EXPECT_EQ(value.getValue(), ByteArray("abc"));
    ASN1OctetString unset;
    EXPECT_TRUE(unset.isNull());
    unset.setValue(ByteArray::emptyArray);
    EXPECT_FALSE(unset.isNull());
    EXPECT_TRUE(unset.getValue().isEmpty());
}

TEST(ASN1OctetString, SegmentsConcatenateIncludingNestedOnes) {
    ASN1OctetString value;
    value.appendComponent(new ASN1OctetString(ByteArray("AB")), 0);
    auto nested = std::make_unique<ASN1OctetString>();
    nested->appendComponent(std::make_unique<ASN1OctetString>(ByteArray("C")));
    nested->appendComponent(std::make_unique<ASN1OctetString>(ByteArray("")));
    nested->appendComponent(std::make_unique<ASN1OctetString>(ByteArray("DE")));
    value.appendComponent(std::move(nested));
    // longer than the inline room of a byte array
    value.appendComponent(std::make_unique<ASN1OctetString>(ByteArray(std::string(40, 'x'))));
    EXPECT_TRUE(value.isConstructed());
    EXPECT_EQ(value.getTagValue(), ASNTag::OCTET_STRING);
    EXPECT_EQ(value.getNumberOfComponents(), 3u);
    EXPECT_EQ(value.getValue(), ByteArray(std::string("ABCDE") + std::string(40, 'x')));
    EXPECT_THROW(value.getComponent(3), Velmora::IndexOutOfRange);
}

TEST(ASN1OctetString, ConstructedMarkWithoutSegments) {
    ASN1OctetString value(ByteArray("x"));
    value.setConstructed(true);
    EXPECT_TRUE(value.isConstructed());
    EXPECT_EQ(value.getNumberOfComponents(), 0u);
    value.setConstructed(false);
    EXPECT_FALSE(value.isConstructed());
    value.appendComponent(std::make_unique<ASN1OctetString>(ByteArray("y")));
    value.setConstructed(false);
    EXPECT_TRUE(value.isConstructed());  // segments keep it constructed
}

TEST(ASN1OctetString, NullSegmentIsRefused) {
    ASN1OctetString value;
    EXPECT_THROW(value.appendComponent(nullptr, 0), Velmora::Exception);
    EXPECT_EQ(value.getNumberOfComponents(), 0u);
    EXPECT_TRUE(value.isNull());
}

TEST(ASN1OctetString, CopiesAreDeep) {
    ASN1OctetString value;
    value.appendComponent(std::make_unique<ASN1OctetString>(ByteArray("AB")));
    value.setExplicitTag(2);
    ASN1OctetString copy(value);
    EXPECT_EQ(copy, value);
    EXPECT_NE(copy.getComponent(0), value.getComponent(0));
    static_cast<ASN1OctetString*>(copy.getComponent(0))->setValue(ByteArray("ZZ"));
    EXPECT_EQ(value.getValue(), ByteArray("AB"));
    EXPECT_NE(copy, value);
    // the same octets, once segmented and once plain, are different values
    ASN1OctetString segmented;
    segmented.appendComponent(std::make_unique<ASN1OctetString>(ByteArray("AB")));
    EXPECT_EQ(segmented.getValue(), ByteArray("AB"));
    EXPECT_NE(ASN1OctetString(ByteArray("AB")), segmented);
}

TEST(ASN1OctetString, StreamedContentsBelongToTheString) {
    auto stream = std::make_unique<Velmora::ByteArrayInputStream>(ByteArray("streamed"));
    Velmora::InputStream* raw = stream.get();
    ASN1OctetString value(std::move(stream));
    EXPECT_TRUE(value.isStreamable());
    EXPECT_FALSE(value.isNull());
    EXPECT_FALSE(value.isConstructed());
    EXPECT_EQ(value.getInputStream(), raw);
    EXPECT_EQ(raw->readBlob(100), ByteArray("streamed"));
    EXPECT_EQ(value, value);
    try {
        ASN1OctetString copy(value);
        FAIL() << "a streamed string was copied";
    } catch (const Velmora::Exception& e) {
        EXPECT_EQ(e.getNumber(), ASN1Error::STREAM_NOT_COPYABLE);
    }
    EXPECT_THROW(std::unique_ptr<ASN1Object>(value.clone()), Velmora::Exception);
    value.setValue(ByteArray("plain"));
    EXPECT_FALSE(value.isStreamable());
    EXPECT_EQ(value.getValue(), ByteArray("plain"));
}

TEST(ASN1OctetString, SetInputStreamReplacesTheContents) {
    ASN1OctetString value;
    value.appendComponent(std::make_unique<ASN1OctetString>(ByteArray("AB")));
    value.setInputStream(std::make_unique<Velmora::ByteArrayInputStream>(ByteArray("s")));
    EXPECT_TRUE(value.isStreamable());
    EXPECT_EQ(value.getNumberOfComponents(), 0u);
    EXPECT_FALSE(value.isConstructed());
    value.setInputStream(nullptr);
    EXPECT_FALSE(value.isStreamable());
}

}  // namespace
