#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "zentrik/platform/utils/BigNumber.h"
#include "zentrik/platform/utils/Exception.h"

using Velmora::BigNumber;
using Velmora::ByteArray;
using Velmora::UtilsException;

namespace {

constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();

ByteArray reversed(const ByteArray& bytes) {
    ByteArray result;
    for (std::size_t i = bytes.size(); i-- > 0;) result.append(bytes.data()[i]);
    return result;
}

// Minimal big-endian two's complement of `v`, worked out with machine arithmetic.
ByteArray minimalTwosComplement(std::int64_t v) {
    int count = 1;
    while (count < 8) {
        const std::int64_t half = std::int64_t{1} << (8 * count - 1);
        if (v >= -half && v < half) break;
        ++count;
    }
    ByteArray octets;
    for (int i = count - 1; i >= 0; --i)
        octets.append(static_cast<unsigned char>(static_cast<std::uint64_t>(v) >> (8 * i)));
    return octets;
}

// Content octets of an INTEGER, built the way the DER encoder builds them.
ByteArray integerContent(const BigNumber& v) {
    const ByteArray octets = v.isNegative() ? v.twosComplement().toByteArray(true) : v.toByteArray(true);
    const bool topBit = (octets.data()[0] & 0x80) != 0;
    ByteArray content;
    if (topBit != v.isNegative()) content.append(static_cast<unsigned char>(v.isNegative() ? 0xFF : 0x00));
    content += octets;
    return content;
}

// The value of INTEGER content octets, read back the way the DER decoder reads them.
BigNumber integerValue(const ByteArray& content) {
    const BigNumber number(reversed(content), false);
    return (content.data()[0] & 0x80) ? number.twosComplement() : number;
}

std::vector<std::int64_t> interestingValues() {
    std::vector<std::int64_t> values;
    for (std::int64_t v = -70000; v <= 70000; ++v) values.push_back(v);
    for (int bit = 0; bit < 63; ++bit) {
        const std::int64_t p = std::int64_t{1} << bit;
        for (std::int64_t v : {p - 1, p, p + 1, -p - 1, -p, -p + 1}) values.push_back(v);
    }
    values.push_back(kMin);
    values.push_back(kMin + 1);
    values.push_back(kMax);
    std::mt19937_64 random(20240601);
    for (int i = 0; i < 20000; ++i) {
        const auto r = static_cast<std::int64_t>(random());
        values.push_back(r >> (random() % 64));
    }
    return values;
}

// Decimal text of 2^n, by doubling decimal digits: an oracle independent of BigNumber.
std::vector<std::string> decimalPowersOfTwo(int highest) {
    std::vector<std::string> powers;
    std::string digits = "1";  // least significant digit first
    for (int n = 0; n <= highest; ++n) {
        powers.emplace_back(digits.rbegin(), digits.rend());
        int carry = 0;
        for (char& d : digits) {
            const int twice = 2 * (d - '0') + carry;
            d = static_cast<char>('0' + twice % 10);
            carry = twice / 10;
        }
        if (carry) digits += static_cast<char>('0' + carry);
    }
    return powers;
}

}  // namespace

TEST(BigNumberTwosComplement, NegativeNumbersGiveTheirKOctetForm) {
    struct Case {
        std::int64_t value;
        ByteArray octets;  // twosComplement().toByteArray(true)
    };
    const Case cases[] = {
        {-1, ByteArray({0xFF})},           {-128, ByteArray({0x80})},
        {-129, ByteArray({0x7F})},         {-255, ByteArray({0x01})},
        {-256, ByteArray({0xFF, 0x00})},   {-32768, ByteArray({0x80, 0x00})},
        {-32769, ByteArray({0x7F, 0xFF})}, {-65281, ByteArray({0x00, 0xFF})},
        {-65535, ByteArray({0x00, 0x01})}, {-16777216, ByteArray({0xFF, 0x00, 0x00, 0x00})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        const BigNumber complement = BigNumber(c.value).twosComplement();
        EXPECT_FALSE(complement.isNegative());
        EXPECT_EQ(complement.toByteArray(true), c.octets);
        EXPECT_EQ(complement.toByteArray(false), reversed(c.octets));
    }
}

TEST(BigNumberTwosComplement, NegativeFormMatchesMachineArithmetic) {
    for (std::int64_t v : interestingValues()) {
        if (v >= 0) continue;
        const std::uint64_t magnitude = 0 - static_cast<std::uint64_t>(v);
        int k = 0;
        while (k < 8 && (magnitude >> (8 * k)) != 0) ++k;
        const std::uint64_t complement = k == 8 ? 0 - magnitude : (std::uint64_t{1} << (8 * k)) - magnitude;
        ByteArray expected;
        for (int i = k - 1; i >= 0; --i) expected.append(static_cast<unsigned char>(complement >> (8 * i)));
        ASSERT_EQ(BigNumber(v).twosComplement().toByteArray(true), expected) << v;
    }
}

TEST(BigNumberTwosComplement, NonNegativeNumbersWithTheTopBitSetTurnNegative) {
    struct Case {
        ByteArray bigEndianOctets;
        std::int64_t value;
    };
    const Case cases[] = {
        {ByteArray({0xFF}), -1},
        {ByteArray({0x80}), -128},
        {ByteArray({0x7F}), 127},
        {ByteArray({0x00}), 0},
        {ByteArray({0xFF, 0xFF}), -1},   // the width is the octet count given
        {ByteArray({0x00, 0xFF}), 255},  // top bit of two octets clear: unchanged
        {ByteArray({0xFF, 0x00, 0xFF}), -65281},
        {ByteArray({0xFF, 0x7F}), -129},
        {ByteArray({0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}), kMin},
        {ByteArray({0xFF, 0xFF, 0xFF, 0xFF, 0xFF}), -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bigEndianOctets.toHex());
        EXPECT_EQ(BigNumber(reversed(c.bigEndianOctets), false).twosComplement(), BigNumber(c.value));
        EXPECT_EQ(BigNumber::fromBigEndian(c.bigEndianOctets).twosComplement(), BigNumber(c.value));
    }
    // Numbers not read from octets count their minimal width.
    EXPECT_EQ(BigNumber(255).twosComplement(), BigNumber(-1));
    EXPECT_EQ(BigNumber(128).twosComplement(), BigNumber(-128));
    EXPECT_EQ(BigNumber(0x8000).twosComplement(), BigNumber(-32768));
    EXPECT_EQ(BigNumber(0x7FFF).twosComplement(), BigNumber(0x7FFF));
}

TEST(BigNumberTwosComplement, IntegerContentRoundTripsThroughTheCodecSteps) {
    // -65281 is written FF 00 FF and read back, the sign octet included.
    EXPECT_EQ(integerContent(BigNumber(-65281)), ByteArray({0xFF, 0x00, 0xFF}));
    EXPECT_EQ(integerContent(BigNumber(128)), ByteArray({0x00, 0x80}));
    EXPECT_EQ(integerContent(BigNumber(0)), ByteArray({0x00}));
    for (std::int64_t v : interestingValues()) {
        const ByteArray content = integerContent(BigNumber(v));
        ASSERT_EQ(content, minimalTwosComplement(v)) << v;
        ASSERT_EQ(integerValue(content).toInt64(), v) << v;
    }
}

TEST(BigNumberTwosComplement, WideNumbersRoundTrip) {
    // 2^(8n) - 1 and its negative for widths past 64 bits: FF..FF is -1 in any width.
    for (std::size_t n = 1; n <= 40; ++n) {
        SCOPED_TRACE(n);
        const ByteArray ones(std::string(n, '\xFF'));
        const BigNumber allOnes = BigNumber::fromBigEndian(ones);
        EXPECT_EQ(allOnes.twosComplement(), BigNumber(-1));
        const BigNumber negative = -allOnes;
        ByteArray expected(std::string(n, '\x00'));
        expected[static_cast<unsigned int>(n - 1)] = 0x01;
        EXPECT_EQ(negative.twosComplement().toByteArray(true), expected);
        const ByteArray content = integerContent(negative);
        EXPECT_EQ(content.size(), n + 1);
        EXPECT_EQ(integerValue(content), negative);
    }
}

TEST(BigNumberOctets, ToByteArrayIsMinimalWithZeroAsOneOctet) {
    EXPECT_EQ(BigNumber().toByteArray(true), ByteArray({0x00}));
    EXPECT_EQ(BigNumber(0).toByteArray(false), ByteArray({0x00}));
    EXPECT_EQ(BigNumber(0x010203).toByteArray(true), ByteArray({0x01, 0x02, 0x03}));
    EXPECT_EQ(BigNumber(0x010203).toByteArray(false), ByteArray({0x03, 0x02, 0x01}));
    EXPECT_EQ(BigNumber(-0x0100).toByteArray(true), ByteArray({0x01, 0x00}));
    // Leading zero octets of the input are not written back, and do not change the value.
    const BigNumber padded(ByteArray({0x05, 0x00, 0x00}), false);
    EXPECT_EQ(padded.toByteArray(true), ByteArray({0x05}));
    EXPECT_EQ(padded, BigNumber(5));
    EXPECT_EQ(padded.byteLength(), 1u);
    EXPECT_EQ(BigNumber(ByteArray({0x01, 0x02}), true), BigNumber(-0x0201));
    EXPECT_TRUE(BigNumber(ByteArray({0x00, 0x00}), true).isZero());
    EXPECT_FALSE(BigNumber(ByteArray({0x00, 0x00}), true).isNegative());
}

TEST(BigNumberOctets, ByteLengthCountsSignificantOctets) {
    const std::pair<std::int64_t, std::size_t> cases[] = {
        {0, 0}, {1, 1}, {255, 1}, {256, 2}, {-65535, 2}, {-65536, 3}, {kMax, 8}, {kMin, 8},
    };
    for (const auto& [value, length] : cases) EXPECT_EQ(BigNumber(value).byteLength(), length) << value;
}

TEST(BigNumberText, DecimalAndHexadecimalAgree) {
    struct Case {
        const char* decimal;
        const char* hexadecimal;
    };
    const Case cases[] = {
        {"0", "0"},
        {"-1", "-1"},
        {"255", "FF"},
        {"4294967295", "FFFFFFFF"},
        {"4294967296", "100000000"},
        {"1000000000", "3B9ACA00"},
        {"999999999999999999", "DE0B6B3A763FFFF"},
        {"-9223372036854775808", "-8000000000000000"},
        {"18446744073709551616", "10000000000000000"},
        {"340282366920938463463374607431768211455", "FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.decimal);
        const BigNumber fromDecimal = BigNumber::fromDecimal(c.decimal);
        const BigNumber fromHex = BigNumber::fromHexadecimal(c.hexadecimal);
        EXPECT_EQ(fromDecimal, fromHex);
        EXPECT_EQ(fromDecimal.toDecimal(), c.decimal);
        EXPECT_EQ(fromDecimal.toHexadecimal(), c.hexadecimal);
        std::ostringstream out;
        out << fromHex;
        EXPECT_EQ(out.str(), c.decimal);
    }
    EXPECT_EQ(BigNumber::fromHexadecimal("-00aBcD"), BigNumber(-0xABCD));
    EXPECT_EQ(BigNumber::fromDecimal("000123"), BigNumber(123));
    EXPECT_FALSE(BigNumber::fromDecimal("-0").isNegative());
    EXPECT_EQ(BigNumber::fromDecimal("-0").toDecimal(), "0");
}

TEST(BigNumberText, PowersOfTwoMatchAnIndependentDecimalOracle) {
    const std::vector<std::string> powers = decimalPowersOfTwo(4000);
    for (int n = 0; n <= 4000; n += 4) {
        const std::string hexadecimal = "1" + std::string(static_cast<std::size_t>(n / 4), '0');
        const BigNumber power = BigNumber::fromHexadecimal(hexadecimal);
        ASSERT_EQ(power.toDecimal(), powers[static_cast<std::size_t>(n)]) << n;
        ASSERT_EQ(BigNumber::fromDecimal(powers[static_cast<std::size_t>(n)]).toHexadecimal(), hexadecimal)
            << n;
    }
}

TEST(BigNumberText, LongNumbersRoundTrip) {
    std::mt19937 random(7);
    std::string decimal = "-9";
    for (int i = 0; i < 5000; ++i) decimal += static_cast<char>('0' + random() % 10);
    EXPECT_EQ(BigNumber::fromDecimal(decimal).toDecimal(), decimal);
    std::string hexadecimal = "F";
    for (int i = 1; i < 5000; ++i) hexadecimal += "0123456789ABCDEF"[random() % 16];
    const BigNumber number = BigNumber::fromHexadecimal(hexadecimal);
    EXPECT_EQ(number.toHexadecimal(), hexadecimal);
    EXPECT_EQ(BigNumber::fromDecimal(number.toDecimal()), number);
    EXPECT_EQ(number.byteLength(), 2500u);
}

TEST(BigNumberText, BadTextIsRefused) {
    for (const char* text : {"", "-", "+5", " 1", "1 ", "12a", "--1", "1.5"}) {
        SCOPED_TRACE(text);
        try {
            BigNumber::fromDecimal(text);
            ADD_FAILURE() << "accepted";
        } catch (const UtilsException& e) {
            EXPECT_EQ(e.getNumber(), 6u);
            EXPECT_EQ(e.getLibrary(), Velmora::Exception::LIB_UTILS);
        }
    }
    for (const char* text : {"", "-", "0x10", "G", "12 "}) {
        SCOPED_TRACE(text);
        EXPECT_THROW(BigNumber::fromHexadecimal(text), UtilsException);
    }
}

TEST(BigNumberInt64, LimitsConvertExactly) {
    for (std::int64_t v :
         {kMin, kMin + 1, std::int64_t{-1}, std::int64_t{0}, std::int64_t{1}, kMax - 1, kMax}) {
        SCOPED_TRACE(v);
        const BigNumber number(v);
        EXPECT_TRUE(number.fitsInt64());
        EXPECT_EQ(number.toInt64(), v);
        EXPECT_EQ(number.toDecimal(), std::to_string(v));
        EXPECT_EQ(BigNumber::fromDecimal(std::to_string(v)), number);
    }
    for (const char* text : {"9223372036854775808", "-9223372036854775809", "18446744073709551616",
                             "-340282366920938463463374607431768211456"}) {
        SCOPED_TRACE(text);
        const BigNumber number = BigNumber::fromDecimal(text);
        EXPECT_FALSE(number.fitsInt64());
        try {
            (void)number.toInt64();
            ADD_FAILURE() << "converted";
        } catch (const UtilsException& e) {
            EXPECT_EQ(e.getNumber(), 7u);
        }
    }
}

TEST(BigNumberOrder, ComparisonsFollowTheValues) {
    std::vector<std::int64_t> values = {kMin, -65536, -65535, -256, -1, 0, 1, 255, 256, 4294967296, kMax};
    for (std::int64_t a : values) {
        for (std::int64_t b : values) {
            EXPECT_EQ(BigNumber(a) < BigNumber(b), a < b) << a << " < " << b;
            EXPECT_EQ(BigNumber(a) == BigNumber(b), a == b) << a << " == " << b;
        }
    }
    const BigNumber huge = BigNumber::fromHexadecimal("1" + std::string(40, '0'));
    EXPECT_TRUE(BigNumber(kMax) < huge);
    EXPECT_TRUE(-huge < BigNumber(kMin));
    EXPECT_TRUE(-huge < -BigNumber(kMax));
}

TEST(BigNumberOrder, UnaryMinusFlipsTheSignButNotOfZero) {
    EXPECT_EQ(-BigNumber(5), BigNumber(-5));
    EXPECT_EQ(-BigNumber(-5), BigNumber(5));
    EXPECT_FALSE((-BigNumber(0)).isNegative());
    EXPECT_EQ((-BigNumber(kMin)).toDecimal(), "9223372036854775808");
}
