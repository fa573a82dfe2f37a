#include <gtest/gtest.h>

#include <random>

#include "CoderTestSupport.h"
#include "support/Failures.h"
#include "zentrik/coders/DoubleCoder.h"
#include "zentrik/coders/NullCoder.h"

using namespace Velmora;
using coders_test::randomBytes;

TEST(NullCoderTest, ReturnsItsInputBothWays) {
    std::mt19937 rng(1);
    NullCoder coder;
    for (std::size_t n : {0u, 1u, 31u, 32u, 1000u}) {
        const ByteArray data = randomBytes(rng, n);
        EXPECT_EQ(coder.encode(data), data) << n;
        EXPECT_EQ(coder.decode(data), data) << n;
    }
}

TEST(NullCoderTest, WorksThroughTheBaseClass) {
    NullCoder null;
    Coder& coder = null;
    const ByteArray data{0x00, 0xFF, 0x41};
    EXPECT_EQ(coder.encode(data), data);
    EXPECT_EQ(coder.decode(data), data);
}

struct DoubleCase {
    ByteArray plain;
    ByteArray letters;
};

TEST(DoubleCoderTest, LowNibbleFirstAsLetters) {
    const DoubleCase cases[] = {
        {ByteArray(), ByteArray()},
        {ByteArray{0x00}, ByteArray("aA")},
        {ByteArray{0xFF}, ByteArray("pP")},
        {ByteArray{0x3F, 0x00}, ByteArray{0x70, 0x44, 0x61, 0x41}},
        {ByteArray{0x12, 0xA5}, ByteArray("cBfK")},
    };
    DoubleCoder coder;
    for (const DoubleCase& c : cases) {
        EXPECT_EQ(coder.encode(c.plain), c.letters) << c.plain.toHex();
        EXPECT_EQ(coder.decode(c.letters), c.plain) << c.plain.toHex();
    }
}

TEST(DoubleCoderTest, EncodingUsesOnlyTheTwoLetterRanges) {
    std::mt19937 rng(2);
    DoubleCoder coder;
    ByteArray all;
    for (int b = 0; b < 256; ++b) all.append(static_cast<unsigned char>(b));
    const ByteArray text = coder.encode(all);
    ASSERT_EQ(text.size(), 512u);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        EXPECT_GE(text.data()[i], 'a');
        EXPECT_LE(text.data()[i], 'p');
        EXPECT_GE(text.data()[i + 1], 'A');
        EXPECT_LE(text.data()[i + 1], 'P');
    }
    EXPECT_EQ(coder.decode(text), all);
}

TEST(DoubleCoderTest, RoundTripsRandomData) {
    std::mt19937 rng(3);
    DoubleCoder coder;
    for (std::size_t n = 0; n <= 300; ++n) {
        const ByteArray data = randomBytes(rng, n);
        const ByteArray text = coder.encode(data);
        EXPECT_EQ(text.size(), 2 * n);
        EXPECT_EQ(coder.decode(text), data) << n;
    }
}

TEST(DoubleCoderTest, DecodeTakesAnyPairByTheFormula) {
    DoubleCoder coder;
    // '0' - 'a' and 'z' - 'A' wrap around modulo 256.
    const ByteArray text{'0', 'z'};
    const unsigned expected = ((0x30u - 0x61u) + (((0x7Au - 0x41u) & 0xFFu) << 4)) & 0xFFu;
    EXPECT_EQ(coder.decode(text), ByteArray{static_cast<std::uint8_t>(expected)});
}

TEST(DoubleCoderTest, OddLengthThrowsIndexOutOfRange) {
    DoubleCoder coder;
    for (const char* text : {"a", "aAb", "aAbBc"}) {
        SCOPED_TRACE(text);
        zentrik_test::expectIndexOutOfRange([&] { coder.decode(ByteArray(text)); });
    }
}
