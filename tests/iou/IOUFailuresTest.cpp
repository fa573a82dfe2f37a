// The failures of the IOU objects: their numbers, operation texts, and the stream they leave.
#include <gtest/gtest.h>

#include <functional>

#include "IOUTestSupport.h"
#include "zentrik/foundation/CoderFailures.h"

using namespace Ostrel;
using iou_test::hex;
using Velmora::ByteArrayInputStream;
namespace failures = Velmora::failures;

namespace {

using Reader = std::function<SmartPointer<ASN1IOUObject>(InputStream&)>;

const Reader plain = [](InputStream& in) { return BERCoder::decodeIOU(in); };
const Reader explicitly = [](InputStream& in) { return BERCoder::decodeExplicitIOU(in); };
const Reader implicitly = [](InputStream& in) { return BERCoder::decodeImplicitIOU(in, ASNTag::SEQUENCE); };

}  // namespace

TEST(IOUFailuresTest, ReadingConstructorsRefuseWhatTheyCannotRead) {
    struct Case {
        const char* name;
        Reader reader;
        const char* input;
        unsigned int number;
        const char* operation;
        std::uint64_t consumed;  // what the failed constructor leaves consumed
    };
    const Case cases[] = {
        {"plain, empty", plain, "", 24, failures::kIOUCtor, 0},
        {"plain, context tag", plain, "A0 80 00 00", 23, failures::kIOUCtor, 1},
        {"plain, private tag", plain, "C1 00", 23, failures::kIOUCtor, 1},
        {"plain, no length", plain, "30", 26, failures::kIOUCtor, 1},
        {"plain, short length", plain, "30 82 01", 26, failures::kIOUCtor, 3},
        {"plain, length 2^31", plain, "30 84 80 00 00 00", 27, failures::kBERGetLength, 6},
        {"plain, short tag number", plain, "3F 81", 26, failures::kIOUCtor, 2},
        {"plain, tag number past 32 bits", plain, "3F 90 80 80 80 00 80", 27, failures::kIOUCtor, 6},
        {"plain, padded tag number", plain, "3F 80 80 80 80 80 01 80", 30, failures::kIOUCtor, 2},
        {"explicit, empty", explicitly, "", 24, failures::kIOUExplicitCtor, 0},
        {"explicit, universal", explicitly, "30 80 00 00", 22, failures::kIOUExplicitCtorTag, 1},
        {"explicit, application", explicitly, "60 00", 22, failures::kIOUExplicitCtorTag, 1},
        {"explicit, no inner identifier", explicitly, "A0 80", 24, failures::kIOUExplicitCtor, 2},
        {"explicit, no outer length", explicitly, "A0", 26, failures::kIOUExplicitCtor, 1},
        {"explicit, short outer tag", explicitly, "BF 81", 26, failures::kIOUExplicitCtor, 2},
        {"explicit, no inner length", explicitly, "A0 80 30", 26, failures::kIOUExplicitCtor, 3},
        {"explicit, nothing inside", explicitly, "A0 00 02 01 05", 24, failures::kIOUExplicitCtor, 2},
        {"explicit, inner shorter", explicitly, "A0 05 02 01 05 05 00", 26, failures::kIOUExplicitCtor, 4},
        {"explicit, inner longer", explicitly, "A0 03 02 02 05 05", 26, failures::kIOUExplicitCtor, 4},
        {"implicit, empty", implicitly, "", 24, failures::kIOUImplicitCtor, 0},
        {"implicit, universal", implicitly, "30 00", 22, failures::kIOUImplicitCtorTag, 1},
        {"implicit, no length", implicitly, "A1", 26, failures::kIOUImplicitCtor, 1},
        {"implicit, short tag number", implicitly, "BF", 26, failures::kIOUImplicitCtor, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ByteArrayInputStream in(hex(c.input));
        iou_test::expectCoderFailure([&] { c.reader(in); }, c.number, c.operation);
        EXPECT_EQ(in.getCount(), c.consumed);
    }
}

TEST(IOUFailuresTest, ImplicitReaderRefusesATagThatIsNoUniversalType) {
    for (ASNTag::ASN1_TAG tag : {ASNTag::CHOICE, ASNTag::TAGGED, static_cast<ASNTag::ASN1_TAG>(0x1F)}) {
        ByteArrayInputStream in(hex("A0 00"));
        iou_test::expectCoderFailure([&] { BERCoder::decodeImplicitIOU(in, tag); }, 27,
                                     failures::kIOUImplicitCtor);
        EXPECT_EQ(in.getCount(), 0u);
    }
}

TEST(IOUFailuresTest, EndOfContentsTestNeedsItsOctetsAndKeepsWhatItSaw) {
    struct Case {
        const char* name;
        Reader reader;
        const char* input;
        std::uint64_t position;  // where the end test runs
        const char* operation;
    };
    const Case cases[] = {
        {"plain, one octet left", plain, "30 80 02 01 05 00", 5, failures::kIOUTerminator},
        {"plain, nothing left", plain, "30 80 02 01 05", 5, failures::kIOUTerminator},
        {"explicit, three octets left", explicitly, "A0 80 30 80 02 01 05 00 00 00", 7,
         failures::kIOUExplicitTerminator},
        {"explicit, inner only", explicitly, "A0 0A 30 80 02 01 05 00", 7, failures::kIOUExplicitTerminator},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ByteArray input = hex(c.input);
        ByteArrayInputStream in(input);
        SmartPointer<ASN1IOUObject> element = c.reader(in);
        element->getNextComponent();
        EXPECT_EQ(in.getCount(), c.position);
        iou_test::expectCoderFailure([&] { element->hasNextComponent(); }, 24, c.operation);
        iou_test::expectCoderFailure([&] { element->getNextComponent(); }, 24, c.operation);
        EXPECT_EQ(in.getCount(), c.position);
        EXPECT_EQ(in.readBlob(8), input.right(static_cast<std::size_t>(c.position)));
    }
}

TEST(IOUFailuresTest, HasDataOnATruncatedStringFailsWithTheEndTest) {
    ByteArrayInputStream in(hex("24 80 04 01 AA 00"));
    SmartPointer<ASN1IOUObject> string = BERCoder::decodeIOU(in);
    EXPECT_EQ(string->getData(), hex("AA"));
    iou_test::expectCoderFailure([&] { string->hasData(); }, 24, failures::kIOUTerminator);
    EXPECT_EQ(in.getCount(), 5u);
}

TEST(IOUFailuresTest, EndIOUWithoutItsEndOfContentsIsATruncation) {
    ByteArrayInputStream in(hex("30 80 02 01 05 00"));
    SmartPointer<ASN1IOUObject> sequence = BERCoder::decodeIOU(in);
    sequence->getNextComponent();
    iou_test::expectCoderFailure([&] { sequence->endIOU(); }, 26, "ASN1IOUObject::endIOU()");
    EXPECT_FALSE(sequence->isEnded());

    ByteArrayInputStream tagged(hex("A0 80 30 80 02 01 05 00 00 00"));
    SmartPointer<ASN1IOUObject> element = BERCoder::decodeExplicitIOU(tagged);
    element->getNextComponent();
    iou_test::expectCoderFailure([&] { element->endIOU(); }, 26, "ASN1IOUExplicitObject::endIOU()");

    // A long string claims 16 MiB and holds a little over one piece: what endIOU skips runs out.
    ByteArrayInputStream string(hex("04 84 01 00 00 00") +
                                iou_test::pattern(0, ASN1IOUObject::kLargestPiece + 10));
    SmartPointer<ASN1IOUObject> reader = BERCoder::decodeIOU(string);
    EXPECT_EQ(reader->getData().size(), ASN1IOUObject::kLargestPiece);
    iou_test::expectCoderFailure([&] { reader->endIOU(); }, 26, "ASN1IOUObject::endIOU()");
    EXPECT_FALSE(reader->isEnded());
}

// Once a component, a segment, a piece or the end-of-contents octets have been taken, the value is
// no longer in the stream: getValue refuses with 29 and reads nothing.
TEST(IOUFailuresTest, GetValueAfterContentsWereReadPiecewiseFailsWith29) {
    const Reader implicitString = [](InputStream& in) {
        return BERCoder::decodeImplicitIOU(in, ASNTag::OCTET_STRING);
    };
    const auto component = [](ASN1IOUObject& o) { o.getNextComponent(); };
    const auto data = [](ASN1IOUObject& o) { o.getData(); };
    const std::string longString =
        "04 83 01 00 01 " + iou_test::pattern(0, ASN1IOUObject::kLargestPiece + 1).toHex();
    struct Case {
        const char* name;
        Reader reader;
        std::string input;
        std::function<void(ASN1IOUObject&)> read;
        const char* operation;
    };
    const Case cases[] = {
        {"plain, component", plain, "30 80 02 01 05 00 00", component, failures::kIOUGetValue},
        {"plain, segment", plain, "24 80 04 01 AA 00 00", data, failures::kIOUGetValue},
        {"plain, end-of-contents", plain, "30 80 00 00", component, failures::kIOUGetValue},
        {"plain, piece of a long string", plain, longString, data, failures::kIOUGetValue},
        {"explicit, component", explicitly, "A0 80 30 80 02 01 05 00 00 00 00", component,
         failures::kIOUExplicitGetValue},
        {"explicit, segment", explicitly, "A0 06 24 04 04 02 AA BB", data, failures::kIOUExplicitGetValue},
        {"explicit, end-of-contents", explicitly, "A0 80 30 80 00 00 00 00", component,
         failures::kIOUExplicitGetValue},
        {"implicit, component", implicitly, "A0 03 02 01 05", component, failures::kIOUImplicitGetValue},
        {"implicit, segment", implicitString, "A0 80 04 01 AA 00 00", data, failures::kIOUImplicitGetValue},
        {"implicit, end-of-contents", implicitly, "A0 80 00 00", component, failures::kIOUImplicitGetValue},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ByteArrayInputStream in(hex(c.input));
        SmartPointer<ASN1IOUObject> element = c.reader(in);
        c.read(*element);
        const std::uint64_t position = in.getCount();
        iou_test::expectCoderFailure([&] { element->getValue(); }, failures::kValueAfterPieces, c.operation);
        EXPECT_EQ(in.getCount(), position);
    }
}

TEST(IOUFailuresTest, DestructorsDropFailuresWhileFinishing) {
    for (const char* input : {"30 80 02 01 05", "A0 80 30 80 02 01 05 00"}) {
        ByteArrayInputStream in(hex(input));
        SmartPointer<ASN1IOUObject> element =
            std::string(input)[0] == 'A' ? BERCoder::decodeExplicitIOU(in) : BERCoder::decodeIOU(in);
        element->getNextComponent();
        EXPECT_NO_THROW(element.reset()) << input;
    }
    // A writer whose stream refuses to be written to.
    struct BrokenSink : OutputStream {
        bool broken = false;
        void writeBytes(const unsigned char*, std::size_t) override {
            if (broken) throw Velmora::UtilsException(1, "BrokenSink", "broken");
        }
    } sink;
    EXPECT_NO_THROW({
        ASN1IOUExplicitObject writer(sink, ASNTag::SEQUENCE, 0);
        sink.broken = true;
    });
}

TEST(IOUFailuresTest, ContentsThatFailToDecodePassTheirFailureOn) {
    struct Case {
        const char* name;
        const char* input;
        unsigned int number;
        const char* operation;
    };
    const Case cases[] = {
        // A primitive component is decoded by its constructor.
        {"truncated primitive", "30 80 04 05 AA 00 00", 26, failures::kBERDecodeOctetString},
        {"unknown universal tag", "30 80 1F 1F 01 00 00 00", 7, "BERCoder::decode(0x1F)"},
        {"bad segment", "30 80 24 80 05 00 00 00 00 00", 21, failures::kBERDecodeOctetString},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ByteArrayInputStream in(hex(c.input));
        SmartPointer<ASN1IOUObject> sequence = BERCoder::decodeIOU(in);
        iou_test::expectCoderFailure(
            [&] {
                SmartPointer<ASN1IOUObject> component = sequence->getNextComponent();
                component->getValue();
            },
            c.number, c.operation);
    }
}

TEST(IOUFailuresTest, SegmentsOfAnotherTypeAreRefusedByTheCast) {
    ByteArrayInputStream in(hex("24 80 02 01 05 00 00"));
    SmartPointer<ASN1IOUObject> string = BERCoder::decodeIOU(in);
    const iou_test::Outcome o = iou_test::outcomeOf([&] { string->getData(); });
    ASSERT_TRUE(o.error) << (o.indexOutOfRange ? "IndexOutOfRange" : "no failure");
    const Velmora::Exception* failure = &*o.error;
    EXPECT_EQ(failure->getNumber(), 23u);
    EXPECT_EQ(failure->getLibrary(), Velmora::Exception::LIB_GENERAL);
    EXPECT_EQ(failure->getOperation().toUTF8(), "asn1_const_cast()");
    EXPECT_EQ(in.getCount(), 5u);  // the foreign segment was read whole
}

TEST(IOUFailuresTest, ClaimedLengthsFarBeyondTheDataAreNotAllocated) {
    // 2 GiB - 1 claimed, a few octets there: the failure says so instead of reserving the claim. A
    // string that long is left in the stream by its reader, so the first piece finds the data short.
    ByteArrayInputStream in(hex("30 80 04 84 7F FF FF FF AA BB 00 00"));
    SmartPointer<ASN1IOUObject> sequence = BERCoder::decodeIOU(in);
    SmartPointer<ASN1IOUObject> component = sequence->getNextComponent();
    EXPECT_TRUE(component->hasData());
    iou_test::expectCoderFailure([&] { component->getData(); }, 26, "ASN1IOUObject::getData()");

    ByteArrayInputStream tagged(hex("84 84 7F FF FF FF AA BB"));
    SmartPointer<ASN1IOUObject> string = BERCoder::decodeImplicitIOU(tagged, ASNTag::OCTET_STRING);
    EXPECT_TRUE(string->hasData());
    iou_test::expectCoderFailure([&] { string->getData(); }, 26, "ASN1IOUObject::getData()");
}
