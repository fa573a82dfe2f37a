// Identifier and length octets, the validity test and how the static entry points report failures.
#include "CodecTestSupport.h"

namespace codec_test {
namespace {

constexpr const char* kDERLength = "DERCoder::getLength(InputStream&)";
constexpr const char* kIsValid = "DERCoder::isValid(const ASN1Object *obj)";
constexpr const char* kDEREncode = "DERCoder::encode(const ASN1Object *)";
constexpr const char* kDEREncodeStream = "DERCoder::encode(const ASN1Object *, OutputStream&)";
constexpr const char* kBEREncode = "BERCoder::encode(const ASN1Object *)";
constexpr const char* kBEREncodeStream = "BERCoder::encode(const ASN1Object *, OutputStream&)";

TEST(ASN1Frame, WritesLengthsAndTagNumbersInTheShortestForm) {
    for (const auto& [length, octets] : {std::pair{0u, "00"},
                                         {127u, "7F"},
                                         {128u, "81 80"},
                                         {255u, "81 FF"},
                                         {256u, "82 01 00"},
                                         {65535u, "82 FF FF"},
                                         {65536u, "83 01 00 00"},
                                         {0xFFFFFFFFu, "84 FF FF FF FF"}})
        EXPECT_EQ(DERCoder::encodeLength(length), hex(octets)) << length;
    for (const auto& [bits, number, octets] : {std::tuple{0x80u, 30u, "9E"},
                                               {0x80u, 31u, "9F 1F"},
                                               {0xA0u, 127u, "BF 7F"},
                                               {0xA0u, 128u, "BF 81 00"},
                                               {0x80u, 16384u, "9F 81 80 00"},
                                               {0xC0u, 0xFFFFFFFFu, "DF 8F FF FF FF 7F"}})
        EXPECT_EQ(DERCoder::encodeTagClassValue(bits, number), hex(octets)) << number;
}

// A reader on `input`: what it returns or how it fails, and the octets it leaves.
struct ReaderCase {
    const char* input;
    long long result;  // ignored when `failure` is given
    std::size_t left;
    std::vector<Link> failure = {};  // {{0, ""}}: IndexOutOfRange
};

void checkReader(const std::function<long long(InputStream&)>& read, const std::vector<ReaderCase>& cases) {
    for (const ReaderCase& c : cases) {
        SCOPED_TRACE(c.input);
        ByteArrayInputStream in(hex(c.input));
        long long got = 0;
        const Outcome o = outcomeOf([&] { got = read(in); });
        if (c.failure.empty()) {
            EXPECT_FALSE(o.failed()) << (o.error ? o.error->what() : "IndexOutOfRange");
            EXPECT_EQ(got, c.result);
            EXPECT_EQ(hex(c.input).size() - in.getCount(), c.left);
        } else if (c.failure[0].number == 0) {
            EXPECT_TRUE(o.indexOutOfRange);
        } else {
            expectChain(o, c.failure);
            EXPECT_TRUE(o.coderException);
        }
    }
}

const std::vector<Link> kIndexOutOfRange = {{0, ""}};

TEST(ASN1Frame, DERLengthReaderAcceptsDefiniteLengthsThatFit32Bits) {
    checkReader([](InputStream& in) { return DERCoder::getLength(in); },
                {{"81 80 05", 128, 1},
                 {"81 05", 5, 0},
                 {"85 00 00 00 00 02", 2, 0},
                 {"84 FF FF FF FF", 0xFFFFFFFF, 0},
                 {"80", 0, 0, {{20, kDERLength}}},
                 {"", 0, 0, {{20, kDERLength, "no data to read"}}},
                 {"85 01 00 00 00 02", 0, 0, {{20, kDERLength, "*"}}},
                 {"82 01", 0, 0, kIndexOutOfRange}});
}

TEST(ASN1Frame, BERLengthReaderReportsIndefiniteAndRefusesLengthsPast31Bits) {
    const Link tooLong = {27, "BERCoder::getLength(InputStream&)", "*"};
    checkReader([](InputStream& in) { return BERCoder::getLength(in); },
                {{"80 02", -1, 1},
                 {"82 01 00", 256, 0},
                 {"84 7F FF FF FF", 0x7FFFFFFF, 0},
                 {"86 00 00 7F FF FF FF", 0x7FFFFFFF, 0},
                 {"84 80 00 00 00", 0, 0, {tooLong}},
                 {"84 FF FF FF FF", 0, 0, {tooLong}},
                 {"", 0, 0, kIndexOutOfRange},
                 {"82 01", 0, 0, kIndexOutOfRange}});
}

TEST(ASN1Frame, TagNumberReadersConsumeAllIdentifierOctetsOrNoneWhenPeeking) {
    checkReader([](InputStream& in) { return DERCoder::getTaggedValue(in); },
                {{"A3 01", 3, 1},
                 {"9F 81 00 05", 128, 1},
                 {"C5", 5, 0},
                 {"9F 80 05", 0, 0, {{30, kTagged, "*"}}},
                 {"DF 8F FF FF FF 7F", 0xFFFFFFFF, 0},
                 {"30", 0, 0, {{18, kTagged}}},
                 {"9F 90 80 80 80 00", 0, 0, {{27, kTagged, "*"}}},
                 {"9F 81", 0, 0, kIndexOutOfRange}});
    checkReader([](InputStream& in) { return DERCoder::peekAtTaggedValue(in); }, {{"BF 1F 05", 31, 3}});
    checkReader([](InputStream& in) { return DERCoder::isContextSpecific(in); },
                {{"80", 1, 1}, {"C0", 1, 1}, {"30", 0, 1}, {"60", 0, 1}, {"", 0, 0, kIndexOutOfRange}});
    ByteArray consumed;
    ByteArrayInputStream in(hex("9F 81 00"));
    DERCoder::getTaggedValue(in, consumed);
    EXPECT_EQ(consumed, hex("9F 81 00"));
}

TEST(ASN1Frame, UnsetValuesAreSkippedWhenOptionalAndRefusedOtherwise) {
    EXPECT_FALSE(DERCoder::isValid(nullptr));
    EXPECT_TRUE(DERCoder::isValid(integer(1).get()));
    const Value absent = optional(make<ASN1Integer>());
    EXPECT_FALSE(DERCoder::isValid(absent.get()));
    EXPECT_TRUE(DERCoder::encode(*absent).isEmpty());
    EXPECT_TRUE(BERCoder::encode(*absent).isEmpty());
    ByteArrayOutputStream out;
    DERCoder::encode(*absent, out);
    BERCoder::encode(*absent, out);
    EXPECT_EQ(out.size(), 0u);
    expectChain(outcomeOf([] { DERCoder::isValid(make<ASN1Integer>().get()); }), {{11, kIsValid}});
}

TEST(ASN1Frame, EntryPointsWrapFailuresOnceEachAndRefuseNullUnwrapped) {
    const Value real = make<OddValue>(ASNTag::REAL);
    const Value unset = make<ASN1Integer>();
    const std::vector<Link> inner = {{12, kDEREncodeStream}, {4, kDEREncodeStream}};
    auto below = [&](std::vector<Link> outer) {
        return outer.insert(outer.end(), inner.begin(), inner.end()), outer;
    };
    ByteArrayOutputStream out;
    const std::pair<std::function<void()>, std::vector<Link>> cases[] = {
        {[&] { DERCoder::encode(real.get()); }, below({{15, kDEREncode}, {15, kDEREncodeStream}})},
        {[&] { DERCoder::encode(*real, out); }, below({{15, kDEREncodeStream}})},
        {[&] { BERCoder::encode(*real); }, below({{15, kBEREncode}})},
        {[&] { BERCoder::encode(real.get(), out); }, below({{15, kBEREncodeStream}})},
        {[&] { DERCoder::encode(unset.get()); }, {{15, kDEREncode}, {11, kIsValid}}},
        {[&] { BERCoder::encode(*unset, out); }, {{15, kBEREncodeStream}, {11, kIsValid}}},
        {[&] { DERCoder::encode(static_cast<const ASN1Object*>(nullptr)); }, {{0, kDEREncode}}},
        {[&] { BERCoder::encode(nullptr, out); }, {{0, kBEREncodeStream}}},
        {[&] { DERCoder::encode(Holder{}); }, {{0, kDEREncodeStream}}},
        {[&] { BERCoder::encode(Holder{}); }, {{0, kBEREncodeStream}}}};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        const Outcome o = outcomeOf(cases[i].first);
        expectChain(o, cases[i].second);
        EXPECT_TRUE(o.coderException);
        EXPECT_EQ(o.error->getClassCode(), CoderException::kClassCode);
    }
    EXPECT_EQ(out.size(), 0u);
}

TEST(ASN1Frame, InterfaceObjectsAreEncodedAndFilled) {
    Holder holder;
    holder.value = integer(-129);
    EXPECT_EQ(DERCoder::encode(holder), hex("02 02 FF 7F"));
    EXPECT_EQ(BERCoder::encode(holder), hex("02 02 FF 7F"));
    DERCoder::decode(holder, hex("01 01 FF 05 00"));
    EXPECT_EQ(holder.value->toString().toUTF8(), "TRUE");
    BERCoder::decode(holder, hex("30 80 02 01 05 00 00"));
    EXPECT_EQ(holder.value->toString().toUTF8(), "SEQUENCE { 5 }");
}

}  // namespace
}  // namespace codec_test
