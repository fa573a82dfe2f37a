// Deep nesting ends in failure 25, whatever builds it: indefinite or definite lengths, structures,
// constructed strings, tagged elements, through every decoder and the streaming readers. A million
// levels fail as quickly as a few hundred and on the ordinary stack; the limit itself is exact.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "hardening/HardeningSupport.h"
#include "zentrik/asn1/BERCoder.h"
#include "zentrik/asn1/DERCoder.h"
#include "zentrik/iou/ASN1IOUObject.h"

namespace hardening_test {
namespace {

using Ostrel::ASN1IOUObject;
using Ostrel::BERCoder;
using Ostrel::DERCoder;
using Velmora::ByteArrayInputStream;
namespace failures = Velmora::failures;

constexpr std::size_t kMillion = 1000000;

// `levels` nested elements with the identifier `id` and four-octet definite lengths that all add up,
// around the innermost `core`.
ByteArray definiteNesting(unsigned char id, std::size_t levels, const ByteArray& core) {
    ByteArray all;
    all.reserve(levels * 6 + core.size());
    for (std::size_t i = 0; i < levels; ++i) {
        const std::size_t length = (levels - 1 - i) * 6 + core.size();
        all += ByteArray{id,
                         0x84,
                         static_cast<unsigned char>(length >> 24),
                         static_cast<unsigned char>(length >> 16),
                         static_cast<unsigned char>(length >> 8),
                         static_cast<unsigned char>(length)};
    }
    all += core;
    return all;
}

// `levels` nested indefinite elements `unit` (identifier and 0x80) around `core`, all closed.
ByteArray indefiniteNesting(const ByteArray& unit, std::size_t levels, const ByteArray& core) {
    ByteArray all = repeated(unit, levels);
    all += core;
    all += repeated(hex("00 00"), levels * (unit.size() / 2));
    return all;
}

enum class Reader { der, ber, iou, explicitIou };

void decodeWith(Reader reader, const ByteArray& octets) {
    switch (reader) {
        case Reader::der:
            DERCoder::decode(octets);
            break;
        case Reader::ber:
            BERCoder::decode(octets);
            break;
        case Reader::iou: {
            ByteArrayInputStream in(octets);
            BERCoder::decodeIOU(in)->getValue();
            break;
        }
        case Reader::explicitIou: {
            ByteArrayInputStream in(octets);
            BERCoder::decodeExplicitIOU(in)->getValue();
            break;
        }
    }
}

struct DeepCase {
    const char* name;
    Reader reader;
    std::function<ByteArray()> input;
};

TEST(NestingLimitTest, AMillionLevelsEndInFailure25) {
    const std::vector<DeepCase> cases = {
        {"BER 30 80 chain", Reader::ber, [] { return repeated(hex("30 80"), kMillion); }},
        {"BER 31 80 chain", Reader::ber, [] { return repeated(hex("31 80"), kMillion); }},
        {"BER A0 80 chain", Reader::ber, [] { return repeated(hex("A0 80"), kMillion); }},
        {"BER BF 81 00 80 chain", Reader::ber, [] { return repeated(hex("BF 81 00 80"), kMillion); }},
        {"BER 30 80 A0 80 alternating", Reader::ber,
         [] { return repeated(hex("30 80 A0 80"), kMillion / 2); }},
        {"BER closed 30 80 nesting", Reader::ber,
         [] { return indefiniteNesting(hex("30 80"), kMillion, hex("05 00")); }},
        {"BER closed A0 80 nesting", Reader::ber,
         [] { return indefiniteNesting(hex("A0 80"), kMillion, hex("05 00")); }},
        {"DER definite SEQUENCE nesting", Reader::der,
         [] { return definiteNesting(0x30, kMillion, hex("05 00")); }},
        {"BER definite SEQUENCE nesting", Reader::ber,
         [] { return definiteNesting(0x30, kMillion, hex("05 00")); }},
        {"DER definite SET nesting", Reader::der,
         [] { return definiteNesting(0x31, kMillion, hex("05 00")); }},
        {"DER constructed OCTET STRING nesting", Reader::der,
         [] { return definiteNesting(0x24, kMillion, hex("04 01 41")); }},
        {"BER constructed OCTET STRING nesting", Reader::ber,
         [] { return definiteNesting(0x24, kMillion, hex("04 01 41")); }},
        {"DER 30 84 FF FF FF FF chain", Reader::der,
         [] { return repeated(hex("30 84 FF FF FF FF"), kMillion); }},
        {"BER 30 84 7F FF FF FF chain", Reader::ber,
         [] { return repeated(hex("30 84 7F FF FF FF"), kMillion); }},
        {"IOU getValue over 30 80 chain", Reader::iou, [] { return repeated(hex("30 80"), kMillion); }},
        {"IOU getValue over definite nesting", Reader::iou,
         [] { return definiteNesting(0x30, kMillion, hex("05 00")); }},
        {"explicit IOU getValue over A0 80 30 80 chain", Reader::explicitIou,
         [] { return repeated(hex("A0 80 30 80"), kMillion / 2); }},
    };
    for (const DeepCase& c : cases) {
        SCOPED_TRACE(c.name);
        const ByteArray octets = c.input();
        const Outcome o = outcomeOf([&] { decodeWith(c.reader, octets); });
        ASSERT_TRUE(o.failed());
        ASSERT_FALSE(o.indexOutOfRange);
        EXPECT_EQ(o.library(), Velmora::Exception::LIB_CODERS) << o.text();
        EXPECT_EQ(o.number(), failures::kTooDeep) << o.text();
        EXPECT_TRUE(o.hasMessage()) << o.text();
    }
}

// Exactly kMaxNesting levels (the innermost element counted) decode; one more fails with 25.
TEST(NestingLimitTest, TheLimitIsExactForEveryKindOfNesting) {
    const std::size_t limit = failures::kMaxNesting;
    struct Boundary {
        const char* name;
        Reader reader;
        std::function<ByteArray(std::size_t levels)> input;
    };
    const std::vector<Boundary> cases = {
        {"DER definite SEQUENCEs", Reader::der,
         [](std::size_t n) { return definiteNesting(0x30, n - 1, hex("30 00")); }},
        {"BER definite SEQUENCEs", Reader::ber,
         [](std::size_t n) { return definiteNesting(0x30, n - 1, hex("30 00")); }},
        {"BER indefinite SEQUENCEs", Reader::ber,
         [](std::size_t n) { return indefiniteNesting(hex("30 80"), n - 1, hex("30 00")); }},
        {"DER constructed OCTET STRINGs", Reader::der,
         [](std::size_t n) { return definiteNesting(0x24, n - 1, hex("04 01 41")); }},
        {"BER indefinite tagged elements", Reader::ber,
         [](std::size_t n) { return indefiniteNesting(hex("A0 80"), n - 1, hex("A0 00")); }},
        {"BER SEQUENCEs around indefinite tagged elements", Reader::ber,
         [](std::size_t n) {
             ByteArray mixed = repeated(hex("30 80"), n / 2);
             mixed += indefiniteNesting(hex("A0 80"), n - n / 2 - 1, hex("A0 00"));
             mixed += repeated(hex("00 00"), n / 2);
             return mixed;
         }},
        {"IOU getValue over indefinite SEQUENCEs", Reader::iou,
         [](std::size_t n) { return indefiniteNesting(hex("30 80"), n - 1, hex("30 00")); }},
    };
    for (const Boundary& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(outcomeOf([&] { decodeWith(c.reader, c.input(limit)); }).failed()) << "at the limit";
        const Outcome beyond = outcomeOf([&] { decodeWith(c.reader, c.input(limit + 1)); });
        EXPECT_TRUE(beyond.failed() && !beyond.indexOutOfRange && beyond.number() == failures::kTooDeep)
            << beyond.text();
    }
}

// The walk of getComponent does not descend and so has no limit to reach: deep input is cut as usual.
TEST(NestingLimitTest, GetComponentDoesNotDescend) {
    const ByteArray deep = definiteNesting(0x30, kMillion, hex("05 00"));
    const ByteArray first = DERCoder::getComponent(deep, 0);
    // The second level whole: its identifier, its length in minimal form, everything after its header.
    ByteArray expected = hex("30");
    expected += DERCoder::encodeLength(static_cast<unsigned int>(deep.size() - 12));
    expected += deep.right(12);
    EXPECT_EQ(first.size(), expected.size());
    EXPECT_TRUE(first == expected);
}

}  // namespace
}  // namespace hardening_test
