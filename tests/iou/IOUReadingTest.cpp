// Reading elements with the plain IOU object: headers, components, segments, values and the stream
// position after every operation.
#include <gtest/gtest.h>

#include "IOUTestSupport.h"

using namespace Ostrel;
using iou_test::hex;
using Velmora::ByteArrayInputStream;

namespace {

ASN1Integer integer(std::int64_t v) {
    return ASN1Integer(v);
}

}  // namespace

TEST(IOUReadingTest, IndefiniteSequenceHandsOutItsComponentsThenConsumesItsEnd) {
    ByteArrayInputStream in(hex("30 80 02 01 05 00 00"));
    SmartPointer<ASN1IOUObject> sequence = BERCoder::decodeIOU(in);
    EXPECT_EQ(in.getCount(), 2u);
    EXPECT_EQ(sequence->getIdentifier(), 0x30u);
    EXPECT_EQ(sequence->getLength(), -1);
    EXPECT_TRUE(sequence->isIndefinite());
    EXPECT_TRUE(sequence->isConstructed());

    EXPECT_TRUE(sequence->hasNextComponent());
    EXPECT_EQ(in.getCount(), 2u);
    SmartPointer<ASN1IOUObject> five = sequence->getNextComponent();
    ASSERT_TRUE(five);
    EXPECT_EQ(in.getCount(), 5u);  // the primitive component was consumed whole
    EXPECT_FALSE(five->isConstructed());
    ASSERT_NE(five->getValue(), nullptr);
    EXPECT_TRUE(five->getValue()->equals(integer(5)));
    EXPECT_EQ(in.getCount(), 5u);
    five.reset();
    EXPECT_EQ(in.getCount(), 5u);

    EXPECT_FALSE(sequence->hasNextComponent());
    EXPECT_EQ(in.getCount(), 5u);  // the end-of-contents was only looked at
    EXPECT_FALSE(sequence->isEnded());
    EXPECT_FALSE(sequence->getNextComponent());
    EXPECT_EQ(in.getCount(), 7u);
    EXPECT_TRUE(sequence->isEnded());
    EXPECT_FALSE(sequence->getNextComponent());
    EXPECT_FALSE(sequence->hasNextComponent());
    sequence->endIOU();
    sequence.reset();
    EXPECT_EQ(in.getCount(), 7u);
    EXPECT_FALSE(in.hasData());
}

TEST(IOUReadingTest, DefiniteSequenceEndsByPositionAndNeverReadsFurther) {
    ByteArrayInputStream in(hex("30 03 02 01 05 FF"));
    SmartPointer<ASN1IOUObject> sequence = BERCoder::decodeIOU(in);
    EXPECT_EQ(sequence->getLength(), 3);
    EXPECT_FALSE(sequence->isIndefinite());
    EXPECT_EQ(in.getCount(), 2u);
    EXPECT_TRUE(sequence->hasNextComponent());
    SmartPointer<ASN1IOUObject> five = sequence->getNextComponent();
    ASSERT_TRUE(five);
    EXPECT_TRUE(five->getValue()->equals(integer(5)));
    EXPECT_EQ(in.getCount(), 5u);
    EXPECT_FALSE(sequence->hasNextComponent());
    EXPECT_FALSE(sequence->getNextComponent());
    EXPECT_FALSE(sequence->isEnded());  // a definite element is not ended by its position
    EXPECT_EQ(in.getCount(), 5u);
    sequence->endIOU();
    EXPECT_TRUE(sequence->isEnded());
    EXPECT_EQ(in.getCount(), 5u);  // the octet after the element stays unread
}

TEST(IOUReadingTest, ConstructedOctetStringDeliversOneSegmentPerCall) {
    ByteArrayInputStream in(hex("24 80 04 02 AA BB 04 01 CC 00 00"));
    SmartPointer<ASN1IOUObject> string = BERCoder::decodeIOU(in);
    EXPECT_EQ(in.getCount(), 2u);
    EXPECT_TRUE(string->hasData());
    EXPECT_EQ(in.getCount(), 2u);
    EXPECT_EQ(string->getData(), hex("AA BB"));
    EXPECT_EQ(in.getCount(), 6u);
    EXPECT_TRUE(string->hasData());
    EXPECT_EQ(string->getData(), hex("CC"));
    EXPECT_EQ(in.getCount(), 9u);
    EXPECT_FALSE(string->hasData());
    EXPECT_EQ(in.getCount(), 11u);
    EXPECT_TRUE(string->isEnded());
    EXPECT_EQ(string->getData(), ByteArray());
    EXPECT_FALSE(string->hasData());
    EXPECT_EQ(in.getCount(), 11u);
}

TEST(IOUReadingTest, DefiniteConstructedOctetStringEndsByPosition) {
    ByteArrayInputStream in(hex("24 07 04 02 AA BB 04 01 CC 30 00"));
    SmartPointer<ASN1IOUObject> string = BERCoder::decodeIOU(in);
    ByteArray all;
    int pieces = 0;
    while (string->hasData()) {
        all += string->getData();
        ++pieces;
    }
    EXPECT_EQ(all, hex("AA BB CC"));
    EXPECT_EQ(pieces, 2);
    EXPECT_EQ(in.getCount(), 9u);
    EXPECT_FALSE(string->getNextComponent());
    EXPECT_EQ(in.getCount(), 9u);
}

TEST(IOUReadingTest, PrimitiveStringIsConsumedByTheConstructorAndReportsDataOnce) {
    ByteArrayInputStream in(hex("04 03 01 02 03"));
    SmartPointer<ASN1IOUObject> string = BERCoder::decodeIOU(in);
    EXPECT_EQ(in.getCount(), 5u);
    EXPECT_FALSE(string->isConstructed());
    EXPECT_TRUE(string->hasData());
    EXPECT_EQ(string->getData(), hex("01 02 03"));
    EXPECT_FALSE(string->hasData());
    EXPECT_EQ(string->getData(), hex("01 02 03"));  // the value is kept
    EXPECT_EQ(in.getCount(), 5u);
}

TEST(IOUReadingTest, EmptyDefiniteConstructedStringGivesOneEmptyPiece) {
    ByteArrayInputStream in(hex("24 00"));
    SmartPointer<ASN1IOUObject> string = BERCoder::decodeIOU(in);
    EXPECT_TRUE(string->hasData());
    EXPECT_EQ(string->getData(), ByteArray());
    EXPECT_FALSE(string->hasData());
    EXPECT_EQ(in.getCount(), 2u);
}

TEST(IOUReadingTest, EmptySegmentsAreDeliveredAsEmptyPieces) {
    ByteArrayInputStream in(hex("24 80 04 00 04 01 AA 04 00 00 00"));
    SmartPointer<ASN1IOUObject> string = BERCoder::decodeIOU(in);
    std::vector<ByteArray> pieces;
    while (string->hasData()) pieces.push_back(string->getData());
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0], ByteArray());
    EXPECT_EQ(pieces[1], hex("AA"));
    EXPECT_EQ(pieces[2], ByteArray());
    EXPECT_EQ(in.getCount(), 11u);
}

TEST(IOUReadingTest, BitStringsAreDeliveredWholeWithTheirUnusedBits) {
    struct Case {
        const char* encoding;
        const char* bits;
        unsigned int unused;
    };
    const Case cases[] = {
        {"03 03 04 AB C0", "AB C0", 4},
        {"23 80 03 02 00 FF 03 02 04 F0 00 00", "FF F0", 4},
        {"23 08 03 02 00 0F 03 02 01 FE", "0F FE", 1},
    };
    for (const Case& c : cases) {
        const ByteArray encoding = hex(c.encoding);
        ByteArrayInputStream in(encoding + hex("05 00"));
        SmartPointer<ASN1IOUObject> bits = BERCoder::decodeIOU(in);
        EXPECT_EQ(bits->getNumberOfInsignificantBits(), 0u) << c.encoding;
        EXPECT_TRUE(bits->hasData()) << c.encoding;
        EXPECT_EQ(bits->getData(), hex(c.bits)) << c.encoding;
        EXPECT_EQ(bits->getNumberOfInsignificantBits(), c.unused) << c.encoding;
        EXPECT_EQ(in.getCount(), encoding.size()) << c.encoding;
        EXPECT_FALSE(bits->hasData()) << c.encoding;
        bits.reset();
        // Nothing after the element was touched: the NULL that follows is still there.
        EXPECT_EQ(in.getCount(), encoding.size()) << c.encoding;
        EXPECT_EQ(in.readBlob(2), hex("05 00")) << c.encoding;
    }
}

TEST(IOUReadingTest, CallsThatDoNotApplyReturnNothingAndReadNothing) {
    ByteArrayInputStream in(hex("30 80 02 01 05 00 00"));
    SmartPointer<ASN1IOUObject> sequence = BERCoder::decodeIOU(in);
    EXPECT_FALSE(sequence->hasData());
    EXPECT_EQ(sequence->getData(), ByteArray());
    EXPECT_EQ(in.getCount(), 2u);
    SmartPointer<ASN1IOUObject> five = sequence->getNextComponent();
    EXPECT_FALSE(five->getNextComponent());
    EXPECT_FALSE(five->getNextExplicitComponent());
    EXPECT_FALSE(five->getNextImplicitComponent(ASNTag::OCTET_STRING));
    EXPECT_FALSE(five->hasNextComponent());
    EXPECT_EQ(in.getCount(), 5u);
    five->addComponent(ASN1Integer(7));  // a reading object writes nothing
    EXPECT_EQ(in.getCount(), 5u);
}

TEST(IOUReadingTest, NestedElementsAreReadInStreamOrder) {
    // SEQUENCE { SEQUENCE { INTEGER 1, OCTET STRING (segments) }, SET { BOOLEAN } , INTEGER 2 }
    const ByteArray data =
        hex("30 80"
            "  30 80 02 01 01 24 80 04 01 AA 04 02 BB CC 00 00 00 00"
            "  31 03 01 01 FF"
            "  02 01 02"
            "00 00");
    ByteArrayInputStream in(data);
    SmartPointer<ASN1IOUObject> outer = BERCoder::decodeIOU(in);
    {
        SmartPointer<ASN1IOUObject> inner = outer->getNextComponent();
        EXPECT_TRUE(iou_test::nextIs(*inner, integer(1)));
        SmartPointer<ASN1IOUObject> string = inner->getNextComponent();
        EXPECT_EQ(string->getIdentifier(), 0x24u);
        ByteArray all;
        while (string->hasData()) all += string->getData();
        EXPECT_EQ(all, hex("AA BB CC"));
        EXPECT_EQ(in.getCount(), 18u);
        string.reset();
        EXPECT_FALSE(inner->getNextComponent());
        EXPECT_EQ(in.getCount(), 20u);
    }
    {
        SmartPointer<ASN1IOUObject> set = outer->getNextComponent();
        EXPECT_EQ(set->getIdentifier(), 0x31u);
        SmartPointer<ASN1IOUObject> flag = set->getNextComponent();
        EXPECT_TRUE(flag->getValue()->equals(ASN1Boolean(true)));
        EXPECT_FALSE(set->getNextComponent());
        EXPECT_EQ(in.getCount(), 25u);
    }
    EXPECT_TRUE(iou_test::nextIs(*outer, integer(2)));
    EXPECT_FALSE(outer->getNextComponent());
    EXPECT_EQ(in.getCount(), data.size());
}

TEST(IOUReadingTest, ReleasingAnUnfinishedIndefiniteElementConsumesItsEndOfContents) {
    // The caller stops at the end of the components without asking for more.
    ByteArrayInputStream in(hex("30 80 30 80 02 01 05 00 00 02 01 06 00 00"));
    SmartPointer<ASN1IOUObject> outer = BERCoder::decodeIOU(in);
    {
        SmartPointer<ASN1IOUObject> inner = outer->getNextComponent();
        inner->getNextComponent();
        EXPECT_EQ(in.getCount(), 7u);
    }
    EXPECT_EQ(in.getCount(), 9u);
    EXPECT_TRUE(iou_test::nextIs(*outer, integer(6)));
    EXPECT_FALSE(outer->getNextComponent());
    EXPECT_EQ(in.getCount(), 14u);
}

TEST(IOUReadingTest, ReadsThroughAStreamThatDeliversOneOctetAtATime) {
    const ByteArray data =
        hex("30 80 24 80 04 02 AA BB 04 81 80" + std::string(256, 'C') + "00 00 02 01 05 00 00");
    iou_test::TrickleInputStream in(data);
    SmartPointer<ASN1IOUObject> sequence = BERCoder::decodeIOU(in);
    SmartPointer<ASN1IOUObject> string = sequence->getNextComponent();
    EXPECT_EQ(string->getData(), hex("AA BB"));
    const ByteArray second = string->getData();
    EXPECT_EQ(second.size(), 128u);
    EXPECT_EQ(second, hex(std::string(256, 'C')));
    EXPECT_FALSE(string->hasData());
    string.reset();
    EXPECT_TRUE(iou_test::nextIs(*sequence, integer(5)));
    EXPECT_FALSE(sequence->getNextComponent());
    EXPECT_EQ(in.getCount(), data.size());
}

// After getValue on an indefinite element its end-of-contents is consumed already: endIOU, the
// destructor, hasData and the parent's next end test must not consume more.
TEST(IOUReadingTest, GetValueOnAnIndefiniteElementRecordsThatItIsComplete) {
    const ByteArray data = hex("30 80 30 80 02 01 05 00 00 24 80 04 01 AA 00 00 02 01 07 00 00");
    ByteArrayInputStream in(data);
    SmartPointer<ASN1IOUObject> outer = BERCoder::decodeIOU(in);
    {
        SmartPointer<ASN1IOUObject> inner = outer->getNextComponent();
        ASN1Object* sequence = inner->getValue();
        ASSERT_NE(sequence, nullptr);
        EXPECT_EQ(sequence->getTagValue(), ASNTag::SEQUENCE);
        EXPECT_EQ(in.getCount(), 9u);
        EXPECT_FALSE(inner->hasNextComponent());
        EXPECT_FALSE(inner->getNextComponent());
        EXPECT_EQ(inner->getValue(), sequence);  // decoded once
        inner->endIOU();
        EXPECT_EQ(in.getCount(), 9u);
    }
    EXPECT_EQ(in.getCount(), 9u);
    {
        SmartPointer<ASN1IOUObject> string = outer->getNextComponent();
        ASSERT_NE(string->getValue(), nullptr);
        EXPECT_EQ(in.getCount(), 16u);
        // The whole string is delivered once, then nothing; the 02 01 07 that follows stays.
        EXPECT_TRUE(string->hasData());
        EXPECT_EQ(string->getData(), hex("AA"));
        EXPECT_FALSE(string->hasData());
        EXPECT_EQ(in.getCount(), 16u);
    }
    EXPECT_EQ(in.getCount(), 16u);
    EXPECT_TRUE(iou_test::nextIs(*outer, integer(7)));
    EXPECT_FALSE(outer->getNextComponent());
    EXPECT_EQ(in.getCount(), data.size());
}

TEST(IOUReadingTest, GetValueOnTheOutermostIndefiniteElementLeavesTheStreamRightAfterIt) {
    ByteArrayInputStream in(hex("30 80 02 01 05 00 00 00 00"));
    {
        SmartPointer<ASN1IOUObject> sequence = BERCoder::decodeIOU(in);
        ASSERT_NE(sequence->getValue(), nullptr);
        EXPECT_EQ(in.getCount(), 7u);
    }
    EXPECT_EQ(in.getCount(), 7u);  // the two zero octets after it are not the element's
}

TEST(IOUReadingTest, GetValueAfterSomeContentsWereReadIsRefused) {
    ByteArrayInputStream in(hex("30 80 02 01 05 02 01 06 00 00"));
    SmartPointer<ASN1IOUObject> sequence = BERCoder::decodeIOU(in);
    sequence->getNextComponent();
    iou_test::expectCoderFailure([&] { sequence->getValue(); }, 29, "ASN1IOUObject::getValue()");
    EXPECT_EQ(in.getCount(), 5u);
}

TEST(IOUReadingTest, GetValueOnAnEmptyDefiniteElementAfterItsEndStillWorks) {
    ByteArrayInputStream in(hex("30 00"));
    SmartPointer<ASN1IOUObject> sequence = BERCoder::decodeIOU(in);
    EXPECT_FALSE(sequence->getNextComponent());
    ASN1Object* value = sequence->getValue();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->getTagValue(), ASNTag::SEQUENCE);
    EXPECT_EQ(in.getCount(), 2u);
}

TEST(IOUReadingTest, LongFormLengthsAreRebuiltMinimalWithoutMovingThePosition) {
    // 04 82 00 02 is a non-minimal length; the rebuilt header is shorter, the position still right.
    ByteArrayInputStream in(hex("30 82 00 06 04 82 00 02 AA BB 05 00"));
    SmartPointer<ASN1IOUObject> sequence = BERCoder::decodeIOU(in);
    EXPECT_EQ(sequence->getLength(), 6);
    EXPECT_EQ(in.getCount(), 4u);
    SmartPointer<ASN1IOUObject> string = sequence->getNextComponent();
    EXPECT_EQ(in.getCount(), 10u);
    EXPECT_EQ(string->getData(), hex("AA BB"));
    EXPECT_FALSE(sequence->hasNextComponent());
}

TEST(IOUReadingTest, ApplicationClassElementsAreWalkedLikeUniversalOnes) {
    ByteArrayInputStream in(hex("61 80 02 01 05 00 00"));
    SmartPointer<ASN1IOUObject> element = BERCoder::decodeIOU(in);
    EXPECT_EQ(element->getIdentifier(), 0x61u);
    EXPECT_EQ(element->getTagNumber(), 1u);
    EXPECT_TRUE(iou_test::nextIs(*element, integer(5)));
    EXPECT_FALSE(element->getNextComponent());
    EXPECT_EQ(in.getCount(), 7u);
}

TEST(IOUReadingTest, HighTagNumberIdentifiersAreReadWhole) {
    // [APPLICATION 300] constructed, written 7F 82 2C; its contents are an INTEGER.
    ByteArrayInputStream in(hex("7F 82 2C 80 02 01 05 00 00 7F 1F 03 02 01 05"));
    {
        SmartPointer<ASN1IOUObject> element = BERCoder::decodeIOU(in);
        EXPECT_EQ(element->getTagNumber(), 300u);
        EXPECT_EQ(element->getIdentifier(), 0x7Fu);
        EXPECT_EQ(in.getCount(), 4u);
        EXPECT_TRUE(iou_test::nextIs(*element, integer(5)));
        EXPECT_FALSE(element->getNextComponent());
        EXPECT_EQ(in.getCount(), 9u);
    }
    SmartPointer<ASN1IOUObject> definite = BERCoder::decodeIOU(in);
    EXPECT_EQ(definite->getTagNumber(), 31u);
    EXPECT_EQ(definite->getLength(), 3);
    EXPECT_TRUE(iou_test::nextIs(*definite, integer(5)));
    EXPECT_FALSE(definite->hasNextComponent());
    EXPECT_EQ(in.getCount(), 15u);
}

// Which primitive elements the plain reader leaves in the stream: OCTET STRINGs longer than
// kLargestPiece only; everything else is decoded by the constructor.
TEST(IOUReadingTest, OnlyLongPrimitiveOctetStringsStayInTheStream) {
    const std::size_t longest = ASN1IOUObject::kLargestPiece;
    struct Case {
        const char* name;
        const char* identifier;
        std::size_t size;
        bool leftInStream;
    };
    const Case cases[] = {
        {"OCTET STRING of kLargestPiece", "04", longest, false},
        {"OCTET STRING one octet longer", "04", longest + 1, true},
        {"UTF8String one octet longer", "0C", longest + 1, false},
        {"BIT STRING one octet longer", "03", longest + 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ByteArray header =
            hex(c.identifier) + DERCoder::encodeLength(static_cast<unsigned int>(c.size));
        ByteArrayInputStream in(header + ByteArray(std::string(c.size, '\0')));
        SmartPointer<ASN1IOUObject> element = BERCoder::decodeIOU(in);
        EXPECT_EQ(in.getCount(), c.leftInStream ? header.size() : header.size() + c.size);
    }
}

TEST(IOUReadingTest, LongPrimitiveStringIsDeliveredInPiecesThenNoLongerHasAValue) {
    const std::size_t size = 2 * ASN1IOUObject::kLargestPiece + 1000;
    const ByteArray contents = iou_test::pattern(3, size);
    const ByteArray element = hex("04") + DERCoder::encodeLength(static_cast<unsigned int>(size)) + contents;
    ASSERT_EQ(element.size(), 5 + size);  // 04 83 02 03 E8
    ByteArrayInputStream in(element + hex("05 00"));
    SmartPointer<ASN1IOUObject> string = BERCoder::decodeIOU(in);
    EXPECT_EQ(string->getLength(), static_cast<int>(size));
    ByteArray all;
    std::vector<std::size_t> sizes;
    while (string->hasData()) {
        const ByteArray piece = string->getData();
        sizes.push_back(piece.size());
        all += piece;
        EXPECT_EQ(in.getCount(), 5 + all.size());
    }
    EXPECT_EQ(all, contents);
    EXPECT_EQ(sizes, (std::vector<std::size_t>{65536, 65536, 1000}));
    EXPECT_EQ(string->getData(), ByteArray());
    iou_test::expectCoderFailure([&] { string->getValue(); }, 29, "ASN1IOUObject::getValue()");
    string.reset();
    EXPECT_EQ(in.getCount(), element.size());
    EXPECT_EQ(in.readBlob(2), hex("05 00"));
}

TEST(IOUReadingTest, LongPrimitiveStringCanStillBeDecodedWholeBeforeAnyPiece) {
    const std::size_t size = ASN1IOUObject::kLargestPiece + 1;
    const ByteArray contents = iou_test::pattern(0, size);
    ByteArrayInputStream in(hex("04") + DERCoder::encodeLength(static_cast<unsigned int>(size)) + contents);
    SmartPointer<ASN1IOUObject> string = BERCoder::decodeIOU(in);
    const ASN1Object* value = string->getValue();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(asn1_const_cast<ASN1OctetString>(value)->getValue(), contents);
    EXPECT_EQ(in.getCount(), 5 + size);
    EXPECT_TRUE(string->hasData());
    EXPECT_EQ(string->getData(), contents);
    EXPECT_FALSE(string->hasData());
    string.reset();
    EXPECT_EQ(in.getCount(), 5 + size);
}

// A long primitive string finished early, by endIOU or by its release, leaves the stream right after
// its element (and after the end-of-contents of an explicit tag around it), whatever reader read it.
TEST(IOUReadingTest, FinishingAPartlyReadLongStringSkipsTheRestOfItsContents) {
    const std::size_t size = 2 * ASN1IOUObject::kLargestPiece + 5;
    const ByteArray string =
        DERCoder::encodeLength(static_cast<unsigned int>(size)) + iou_test::pattern(0, size);
    struct Framing {
        const char* name;
        ByteArray element;
        std::function<SmartPointer<ASN1IOUObject>(ASN1IOUObject&)> open;
    };
    const Framing framings[] = {
        {"plain", hex("04") + string, [](ASN1IOUObject& p) { return p.getNextComponent(); }},
        {"explicit, indefinite tag", hex("A1 80 04") + string + hex("00 00"),
         [](ASN1IOUObject& p) { return p.getNextExplicitComponent(); }},
        {"implicit", hex("81") + string,
         [](ASN1IOUObject& p) { return p.getNextImplicitComponent(ASNTag::OCTET_STRING); }},
    };
    for (const Framing& f : framings) {
        for (const int pieces : {0, 1}) {
            for (const bool viaEndIOU : {true, false}) {
                SCOPED_TRACE(std::string(f.name) + ", pieces " + std::to_string(pieces) +
                             (viaEndIOU ? ", endIOU" : ", release"));
                const ByteArray data = hex("30 80") + f.element + hex("02 01 07 00 00");
                ByteArrayInputStream in(data);
                SmartPointer<ASN1IOUObject> outer = BERCoder::decodeIOU(in);
                {
                    SmartPointer<ASN1IOUObject> component = f.open(*outer);
                    for (int i = 0; i < pieces; ++i)
                        EXPECT_EQ(component->getData().size(), ASN1IOUObject::kLargestPiece);
                    if (viaEndIOU) {
                        component->endIOU();
                        EXPECT_TRUE(component->isEnded());
                        EXPECT_EQ(in.getCount(), 2 + f.element.size());
                        EXPECT_FALSE(component->hasData());
                    }
                }
                EXPECT_EQ(in.getCount(), 2 + f.element.size());
                EXPECT_TRUE(iou_test::nextIs(*outer, integer(7)));
                EXPECT_FALSE(outer->getNextComponent());
                EXPECT_EQ(in.getCount(), data.size());
            }
        }
    }
}
