// Reading explicitly and implicitly tagged elements, including headers of mixed forms.
#include <gtest/gtest.h>

#include "IOUTestSupport.h"

using namespace Ostrel;
using iou_test::hex;
using Velmora::ByteArrayInputStream;

TEST(IOUExplicitReadingTest, IndefiniteSequenceEndsWithFourZeroOctets) {
    ByteArrayInputStream in(hex("A0 80 30 80 02 01 05 00 00 00 00"));
    SmartPointer<ASN1IOUObject> tagged = BERCoder::decodeExplicitIOU(in);
    EXPECT_EQ(in.getCount(), 4u);
    EXPECT_EQ(tagged->getTaggedValue(), 0u);
    EXPECT_EQ(tagged->getIdentifier(), 0x30u);
    EXPECT_TRUE(tagged->isIndefinite());
    EXPECT_TRUE(tagged->hasNextComponent());
    EXPECT_TRUE(iou_test::nextIs(*tagged, ASN1Integer(5)));
    EXPECT_EQ(in.getCount(), 7u);
    EXPECT_FALSE(tagged->hasNextComponent());
    EXPECT_EQ(in.getCount(), 7u);
    EXPECT_FALSE(tagged->getNextComponent());
    EXPECT_TRUE(tagged->isEnded());
    EXPECT_EQ(in.getCount(), 11u);
    EXPECT_FALSE(in.hasData());
}

TEST(IOUExplicitReadingTest, DefiniteGetValueMarksTheValueAndConsumesNothingMore) {
    ByteArrayInputStream in(hex("A1 05 30 03 02 01 05"));
    SmartPointer<ASN1IOUObject> tagged = BERCoder::decodeExplicitIOU(in);
    EXPECT_EQ(in.getCount(), 4u);
    EXPECT_EQ(tagged->getTaggedValue(), 1u);
    EXPECT_EQ(tagged->getLength(), 3);
    ASN1Object* value = tagged->getValue();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->getTagValue(), ASNTag::SEQUENCE);
    EXPECT_EQ(value->taggedContext(), ASNTag::EXPLICIT);
    EXPECT_EQ(value->taggedValue(), 1u);
    const auto* sequence = asn1_const_cast<ASNStructured>(value);
    ASSERT_EQ(sequence->getNumberOfComponents(), 1u);
    EXPECT_TRUE(sequence->getComponent(0)->equals(ASN1Integer(5)));
    EXPECT_EQ(in.getCount(), 7u);
    tagged->endIOU();
    EXPECT_EQ(in.getCount(), 7u);
    // Re-encoding gives the element back.
    EXPECT_EQ(BERCoder::encode(value), hex("A1 05 30 03 02 01 05"));
}

TEST(IOUExplicitReadingTest, ConstructedOctetStringEndsWithAllFourZeroOctets) {
    ByteArrayInputStream in(hex("A3 80 24 80 04 01 AA 00 00 00 00"));
    SmartPointer<ASN1IOUObject> tagged = BERCoder::decodeExplicitIOU(in);
    EXPECT_EQ(tagged->getIdentifier(), 0x24u);
    EXPECT_EQ(tagged->getTaggedValue(), 3u);
    EXPECT_TRUE(tagged->hasData());
    EXPECT_EQ(in.getCount(), 4u);
    EXPECT_EQ(tagged->getData(), hex("AA"));
    EXPECT_EQ(in.getCount(), 7u);
    EXPECT_FALSE(tagged->hasData());
    EXPECT_EQ(in.getCount(), 11u);
}

// After getValue on an explicit element of indefinite form only the outer end-of-contents is left.
TEST(IOUExplicitReadingTest, GetValueLeavesOnlyTheOuterEndOfContents) {
    struct Case {
        const char* name;
        bool viaDestructor;
    };
    for (const Case c : {Case{"endIOU", false}, Case{"destructor", true}}) {
        ByteArrayInputStream in(hex("30 80 A0 80 30 80 02 01 05 00 00 00 00 02 01 06 00 00"));
        SmartPointer<ASN1IOUObject> outer = BERCoder::decodeIOU(in);
        {
            SmartPointer<ASN1IOUObject> tagged = outer->getNextExplicitComponent();
            ASN1Object* value = tagged->getValue();
            ASSERT_NE(value, nullptr) << c.name;
            EXPECT_EQ(value->taggedContext(), ASNTag::EXPLICIT);
            EXPECT_EQ(in.getCount(), 11u) << c.name;
            EXPECT_FALSE(tagged->hasNextComponent()) << c.name;
            EXPECT_EQ(in.getCount(), 11u) << c.name;
            if (!c.viaDestructor) {
                tagged->endIOU();
                EXPECT_EQ(in.getCount(), 13u) << c.name;
                tagged->endIOU();
                EXPECT_EQ(in.getCount(), 13u) << c.name;
            }
        }
        EXPECT_EQ(in.getCount(), 13u) << c.name;
        EXPECT_TRUE(iou_test::nextIs(*outer, ASN1Integer(6))) << c.name;
        EXPECT_FALSE(outer->getNextComponent()) << c.name;
        EXPECT_EQ(in.getCount(), 18u) << c.name;
    }
}

// The outer and the inner header may differ in form; every mix is read to the right position.
TEST(IOUExplicitReadingTest, MixedDefiniteAndIndefiniteHeaders) {
    struct Case {
        const char* name;
        const char* element;
        bool indefinite;
        int length;
    };
    const Case cases[] = {
        {"both indefinite", "A2 80 30 80 02 01 05 02 01 06 00 00 00 00", true, -1},
        {"both definite", "A2 08 30 06 02 01 05 02 01 06", false, 6},
        {"outer indefinite", "A2 80 30 06 02 01 05 02 01 06 00 00", true, 6},
        {"inner indefinite", "A2 0A 30 80 02 01 05 02 01 06 00 00", false, -1},
    };
    for (const Case& c : cases) {
        const ByteArray element = hex(c.element);
        {  // walking the components, then releasing
            ByteArrayInputStream in(element + hex("05 00"));
            SmartPointer<ASN1IOUObject> tagged = BERCoder::decodeExplicitIOU(in);
            EXPECT_EQ(tagged->isIndefinite(), c.indefinite) << c.name;
            EXPECT_EQ(tagged->getLength(), c.length) << c.name;
            EXPECT_EQ(tagged->getTaggedValue(), 2u) << c.name;
            EXPECT_TRUE(iou_test::nextIs(*tagged, ASN1Integer(5))) << c.name;
            EXPECT_TRUE(iou_test::nextIs(*tagged, ASN1Integer(6))) << c.name;
            EXPECT_FALSE(tagged->hasNextComponent()) << c.name;
            EXPECT_FALSE(tagged->getNextComponent()) << c.name;
            tagged.reset();
            EXPECT_EQ(in.getCount(), element.size()) << c.name;
            EXPECT_EQ(in.readBlob(2), hex("05 00")) << c.name;
        }
        {  // decoding the inner element whole
            ByteArrayInputStream in(element + hex("05 00"));
            SmartPointer<ASN1IOUObject> tagged = BERCoder::decodeExplicitIOU(in);
            ASN1Object* value = tagged->getValue();
            ASSERT_NE(value, nullptr) << c.name;
            EXPECT_EQ(asn1_const_cast<ASNStructured>(value)->getNumberOfComponents(), 2u) << c.name;
            EXPECT_EQ(value->taggedValue(), 2u) << c.name;
            tagged->endIOU();
            EXPECT_EQ(in.getCount(), element.size()) << c.name;
        }
    }
}

TEST(IOUExplicitReadingTest, PrimitiveInnerStringOfEachForm) {
    struct Case {
        const char* element;
        const char* contents;
    };
    const Case cases[] = {
        {"A0 80 04 02 AA BB 00 00", "AA BB"},
        {"A0 04 04 02 AA BB", "AA BB"},
        {"A0 80 24 80 04 01 AA 04 01 BB 00 00 00 00", "AA BB"},
        {"A0 0A 24 80 04 01 AA 04 01 BB 00 00", "AA BB"},
        {"A0 80 24 06 04 01 AA 04 01 BB 00 00", "AA BB"},
    };
    for (const Case& c : cases) {
        const ByteArray element = hex(c.element);
        ByteArrayInputStream in(element + hex("01 01 FF"));
        SmartPointer<ASN1IOUObject> tagged = BERCoder::decodeExplicitIOU(in);
        ByteArray all;
        while (tagged->hasData()) all += tagged->getData();
        EXPECT_EQ(all, hex(c.contents)) << c.element;
        tagged.reset();
        EXPECT_EQ(in.getCount(), element.size()) << c.element;
    }
}

TEST(IOUExplicitReadingTest, HighTagNumbersOutsideAndInside) {
    // [31] EXPLICIT around [APPLICATION 40] IMPLICIT-like constructed element.
    ByteArrayInputStream in(hex("BF 1F 80 7F 28 03 02 01 05 00 00"));
    SmartPointer<ASN1IOUObject> tagged = BERCoder::decodeExplicitIOU(in);
    EXPECT_EQ(tagged->getTaggedValue(), 31u);
    EXPECT_EQ(tagged->getTagNumber(), 40u);
    EXPECT_EQ(in.getCount(), 6u);
    EXPECT_TRUE(iou_test::nextIs(*tagged, ASN1Integer(5)));
    EXPECT_FALSE(tagged->getNextComponent());
    tagged.reset();
    EXPECT_EQ(in.getCount(), 11u);
}

TEST(IOUImplicitReadingTest, ConstructedOctetStringIsReadAsItsUniversalType) {
    ByteArrayInputStream in(hex("A2 80 04 02 AA BB 00 00"));
    SmartPointer<ASN1IOUObject> tagged = BERCoder::decodeImplicitIOU(in, ASNTag::OCTET_STRING);
    EXPECT_EQ(tagged->getIdentifier(), 0xA4u);
    EXPECT_EQ(tagged->getTaggedValue(), 2u);
    EXPECT_EQ(in.getCount(), 2u);
    EXPECT_TRUE(tagged->hasData());
    EXPECT_EQ(tagged->getData(), hex("AA BB"));
    EXPECT_EQ(in.getCount(), 6u);
    EXPECT_FALSE(tagged->hasData());
    EXPECT_EQ(in.getCount(), 8u);
    EXPECT_TRUE(tagged->isEnded());
}

TEST(IOUImplicitReadingTest, PrimitiveStringIsDecodedOnDemandWithItsTagging) {
    ByteArrayInputStream in(hex("82 02 AA BB"));
    SmartPointer<ASN1IOUObject> tagged = BERCoder::decodeImplicitIOU(in, ASNTag::OCTET_STRING);
    EXPECT_EQ(in.getCount(), 2u);  // nothing decoded yet
    EXPECT_EQ(tagged->getIdentifier(), 0x84u);
    EXPECT_TRUE(tagged->hasData());
    EXPECT_EQ(in.getCount(), 2u);
    EXPECT_EQ(tagged->getData(), hex("AA BB"));
    EXPECT_EQ(in.getCount(), 4u);
    ASN1Object* value = tagged->getValue();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->getTagValue(), ASNTag::OCTET_STRING);
    EXPECT_EQ(value->taggedContext(), ASNTag::IMPLICIT);
    EXPECT_EQ(value->taggedValue(), 2u);
    EXPECT_EQ(value->getDERBytes(), hex("82 02 AA BB"));
    EXPECT_FALSE(tagged->hasData());
    tagged.reset();
    EXPECT_EQ(in.getCount(), 4u);
}

TEST(IOUImplicitReadingTest, ImplicitSequenceHandsOutItsComponents) {
    ByteArrayInputStream in(hex("A5 80 02 01 05 01 01 00 00 00 30 00"));
    SmartPointer<ASN1IOUObject> tagged = BERCoder::decodeImplicitIOU(in, ASNTag::SEQUENCE);
    EXPECT_EQ(tagged->getIdentifier(), 0xB0u);
    EXPECT_TRUE(iou_test::nextIs(*tagged, ASN1Integer(5)));
    EXPECT_TRUE(iou_test::nextIs(*tagged, ASN1Boolean(false)));
    EXPECT_FALSE(tagged->getNextComponent());
    EXPECT_EQ(in.getCount(), 10u);
}

TEST(IOUImplicitReadingTest, GetValueOfEachFormRecordsTheEncodingAsRead) {
    struct Case {
        const char* element;
        ASNTag::ASN1_TAG tag;
        unsigned int components;
    };
    const Case cases[] = {
        {"A5 80 02 01 05 01 01 00 00 00", ASNTag::SEQUENCE, 2},
        {"A5 06 02 01 05 01 01 00", ASNTag::SEQUENCE, 2},
        {"BF 81 00 80 02 01 07 00 00", ASNTag::SET, 1},
        {"A1 00", ASNTag::SEQUENCE, 0},
    };
    for (const Case& c : cases) {
        const ByteArray element = hex(c.element);
        ByteArrayInputStream in(element + hex("05 00"));
        SmartPointer<ASN1IOUObject> tagged = BERCoder::decodeImplicitIOU(in, c.tag);
        ASN1Object* value = tagged->getValue();
        ASSERT_NE(value, nullptr) << c.element;
        EXPECT_EQ(value->getTagValue(), c.tag) << c.element;
        EXPECT_EQ(value->taggedContext(), ASNTag::IMPLICIT) << c.element;
        EXPECT_EQ(asn1_const_cast<ASNStructured>(value)->getNumberOfComponents(), c.components) << c.element;
        EXPECT_EQ(in.getCount(), element.size()) << c.element;
        tagged.reset();
        EXPECT_EQ(in.getCount(), element.size()) << c.element;
    }
}

TEST(IOUImplicitReadingTest, GetValueOnAnIndefiniteElementLeavesTheParentsEndAlone) {
    ByteArrayInputStream in(hex("30 80 A1 80 04 01 AA 00 00 00 00"));
    SmartPointer<ASN1IOUObject> outer = BERCoder::decodeIOU(in);
    {
        SmartPointer<ASN1IOUObject> tagged = outer->getNextImplicitComponent(ASNTag::OCTET_STRING);
        ASSERT_NE(tagged->getValue(), nullptr);
        EXPECT_EQ(in.getCount(), 9u);
        EXPECT_TRUE(tagged->hasData());
        EXPECT_EQ(tagged->getData(), hex("AA"));
        EXPECT_FALSE(tagged->hasData());
        EXPECT_EQ(in.getCount(), 9u);
    }
    EXPECT_EQ(in.getCount(), 9u);
    EXPECT_FALSE(outer->getNextComponent());
    EXPECT_EQ(in.getCount(), 11u);
}

// A primitive OCTET STRING longer than 64 KiB behind a tag comes in pieces of at most 64 KiB.
TEST(IOUTaggedReadingTest, LongPrimitiveStringsAreDeliveredInBoundedPieces) {
    const std::size_t size = 3 * ASN1IOUObject::kLargestPiece + 1000;
    const ByteArray contents = iou_test::pattern(0, size);
    const ByteArray length = DERCoder::encodeLength(static_cast<unsigned int>(size));
    struct Case {
        const char* name;
        ByteArray element;
        bool isExplicit;
        const char* getValue;
    };
    const char* const explicitGetValue = "ASN1IOUExplicitObject::getValue()";
    const Case cases[] = {
        {"implicit", hex("83") + length + contents, false, "ASN1IOUImplicitObject::getValue()"},
        {"explicit definite",
         hex("A3") + DERCoder::encodeLength(static_cast<unsigned int>(1 + length.size() + size)) + hex("04") +
             length + contents,
         true, explicitGetValue},
        {"explicit indefinite", hex("A3 80 04") + length + contents + hex("00 00"), true, explicitGetValue},
    };
    for (const Case& c : cases) {
        ByteArrayInputStream in(c.element + hex("05 00"));
        SmartPointer<ASN1IOUObject> tagged = c.isExplicit
                                                 ? BERCoder::decodeExplicitIOU(in)
                                                 : BERCoder::decodeImplicitIOU(in, ASNTag::OCTET_STRING);
        const std::uint64_t start = in.getCount();
        ByteArray all;
        std::vector<std::size_t> sizes;
        while (tagged->hasData()) {
            const ByteArray piece = tagged->getData();
            sizes.push_back(piece.size());
            all += piece;
            EXPECT_EQ(in.getCount() - start, all.size()) << c.name;
        }
        EXPECT_EQ(all, contents) << c.name;
        EXPECT_EQ(sizes, (std::vector<std::size_t>{65536, 65536, 65536, 1000})) << c.name;
        EXPECT_EQ(tagged->getData(), ByteArray()) << c.name;
        // The value cannot be had any more: its contents went out piece by piece.
        iou_test::expectCoderFailure([&] { tagged->getValue(); }, 29, c.getValue);
        tagged.reset();
        EXPECT_EQ(in.getCount(), c.element.size()) << c.name;
        EXPECT_EQ(in.readBlob(2), hex("05 00")) << c.name;
    }
}

TEST(IOUTaggedReadingTest, LongPrimitiveStringCanStillBeDecodedWhole) {
    const std::size_t size = ASN1IOUObject::kLargestPiece + 1;
    const ByteArray contents = iou_test::pattern(7, size);
    ByteArrayInputStream in(hex("84") + DERCoder::encodeLength(static_cast<unsigned int>(size)) + contents);
    SmartPointer<ASN1IOUObject> tagged = BERCoder::decodeImplicitIOU(in, ASNTag::OCTET_STRING);
    ASN1Object* value = tagged->getValue();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(asn1_const_cast<ASN1OctetString>(value)->getValue(), contents);
    EXPECT_TRUE(tagged->hasData());
    EXPECT_EQ(tagged->getData(), contents);
    EXPECT_FALSE(tagged->hasData());
}

TEST(IOUTaggedReadingTest, PiecesStopWithFailure26WhenTheDataEndsEarly) {
    const ByteArray contents = iou_test::pattern(0, ASN1IOUObject::kLargestPiece + 10);
    // Claims 16 MiB, holds a little over 64 KiB.
    ByteArrayInputStream in(hex("80 84 01 00 00 00") + contents);
    SmartPointer<ASN1IOUObject> tagged = BERCoder::decodeImplicitIOU(in, ASNTag::OCTET_STRING);
    EXPECT_EQ(tagged->getData().size(), ASN1IOUObject::kLargestPiece);
    iou_test::expectCoderFailure([&] { tagged->getData(); }, 26, "ASN1IOUObject::getData()");
}
