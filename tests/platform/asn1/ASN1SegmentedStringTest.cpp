// BIT STRING and OCTET STRING: plain values, segments, the constructed mark and streamed contents.
#include <gtest/gtest.h>

#include <memory>
#include <type_traits>
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

// What the shared segment machinery needs to know of each string class.
template <typename T>
struct Kind;
template <>
struct Kind<ASN1BitString> {
    using Foreign = ASN1OctetString;
    static constexpr ASNTag::ASN1_TAG tag = ASNTag::BIT_STRING;
    static constexpr const char* getValue = "ASN1BitString::getValue()";
    static constexpr const char* foreignMessage = "segment 1 is not a BIT STRING";
    static void set(ASN1BitString& value, const ByteArray& octets) { value.setValue(octets, 0); }
};
template <>
struct Kind<ASN1OctetString> {
    using Foreign = ASN1BitString;
    static constexpr ASNTag::ASN1_TAG tag = ASNTag::OCTET_STRING;
    static constexpr const char* getValue = "ASN1OctetString::getValue()";
    static constexpr const char* foreignMessage = "segment 1 is not an OCTET STRING";
    static void set(ASN1OctetString& value, const ByteArray& octets) { value.setValue(octets); }
};

template <typename T>
class SegmentedString : public ::testing::Test {};
using SegmentedStrings = ::testing::Types<ASN1BitString, ASN1OctetString>;
TYPED_TEST_SUITE(SegmentedString, SegmentedStrings);

TYPED_TEST(SegmentedString, SegmentsConcatenateIncludingNestedOnes) {
    TypeParam value;
    value.appendComponent(new TypeParam(ByteArray("AB")), 0);
    auto nested = std::make_unique<TypeParam>();
    nested->appendComponent(std::make_unique<TypeParam>(ByteArray("C")));
    nested->appendComponent(std::make_unique<TypeParam>(ByteArray("")));
    nested->appendComponent(std::make_unique<TypeParam>(ByteArray("DE")));
    value.appendComponent(std::move(nested));
    // longer than the inline room of a byte array
    value.appendComponent(std::make_unique<TypeParam>(ByteArray(std::string(40, 'x'))));
    EXPECT_TRUE(value.isConstructed());
    EXPECT_EQ(value.getTagValue(), Kind<TypeParam>::tag);
    EXPECT_EQ(value.getNumberOfComponents(), 3u);
    EXPECT_EQ(value.getValue(), ByteArray(std::string("ABCDE") + std::string(40, 'x')));
    EXPECT_TRUE(value.getOwnValue().isEmpty());
    EXPECT_THROW(value.getComponent(3), Velmora::IndexOutOfRange);
}

TYPED_TEST(SegmentedString, ConstructedMarkWithoutSegments) {
    TypeParam value(ByteArray("x"));
    value.setConstructed(true);
    EXPECT_TRUE(value.isConstructed());
    EXPECT_EQ(value.getNumberOfComponents(), 0u);
    value.setConstructed(false);
    EXPECT_FALSE(value.isConstructed());
    value.appendComponent(std::make_unique<TypeParam>(ByteArray("y")));
    value.setConstructed(false);
    EXPECT_TRUE(value.isConstructed());  // segments keep it constructed
    value.setConstructed(true);
    Kind<TypeParam>::set(value, ByteArray("z"));
    EXPECT_TRUE(value.isConstructed());  // a new value keeps the mark
}

TYPED_TEST(SegmentedString, NullSegmentIsRefused) {
    TypeParam value;
    EXPECT_THROW(value.appendComponent(nullptr, 0), Velmora::Exception);
    EXPECT_EQ(value.getNumberOfComponents(), 0u);
    EXPECT_TRUE(value.isNull());
}

TYPED_TEST(SegmentedString, ForeignSegmentIsReportedByGetValue) {
    TypeParam value;
    value.appendComponent(std::make_unique<TypeParam>(ByteArray("A")));
    value.appendComponent(std::make_unique<typename Kind<TypeParam>::Foreign>(ByteArray{0x01}));
    try {
        (void)value.getValue();
        FAIL() << "a foreign segment was concatenated";
    } catch (const Velmora::Exception& e) {
        EXPECT_EQ(e.getNumber(), ASN1Error::FOREIGN_SEGMENT);
        EXPECT_EQ(e.getOperation(), Velmora::String(Kind<TypeParam>::getValue));
        EXPECT_EQ(e.getMessage(), Velmora::String(Kind<TypeParam>::foreignMessage));
    }
    if constexpr (std::is_same_v<TypeParam, ASN1BitString>) {
        EXPECT_EQ(value.getNumberOfInsignificantBits(), 0u);  // no count from a foreign last segment
    }
}

TYPED_TEST(SegmentedString, CopiesAreDeep) {
    TypeParam value;
    value.appendComponent(std::make_unique<TypeParam>(ByteArray("AB")));
    value.setExplicitTag(2);
    TypeParam copy(value);
    EXPECT_EQ(copy, value);
    EXPECT_NE(copy.getComponent(0), value.getComponent(0));
    Kind<TypeParam>::set(*static_cast<TypeParam*>(copy.getComponent(0)), ByteArray("ZZ"));
    EXPECT_EQ(value.getValue(), ByteArray("AB"));
    EXPECT_NE(copy, value);
    copy = value;
    EXPECT_EQ(copy, value);
    EXPECT_EQ(*std::unique_ptr<ASN1Object>(value.clone()), value);
    // the same octets, once segmented and once plain, are different values
    TypeParam segmented;
    segmented.appendComponent(std::make_unique<TypeParam>(ByteArray("AB")));
    EXPECT_EQ(segmented.getValue(), ByteArray("AB"));
    EXPECT_NE(TypeParam(ByteArray("AB")), segmented);
}

// A decoded string costs its octets, its segment list and one word of its own at the most.
TYPED_TEST(SegmentedString, CostsNoMoreThanItsParts) {
    EXPECT_LE(sizeof(TypeParam),
              sizeof(ASN1Object) + sizeof(ByteArray) + sizeof(ASN1ComponentList) + sizeof(void*));
}

}  // namespace
