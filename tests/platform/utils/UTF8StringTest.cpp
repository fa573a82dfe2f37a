#include <gtest/gtest.h>

#include <random>
#include <string>

#include "zentrik/platform/utils/ByteArray.h"
#include "zentrik/platform/utils/UTF8String.h"

using Velmora::ByteArray;
using Velmora::String;
using Velmora::UTF8String;

namespace {

ByteArray octets(std::string_view text) {
    return ByteArray(text.data(), text.size());
}

}  // namespace

TEST(UTF8String, EncodesTextIncludingCharactersBeyondTheBMP) {
    const String text{std::u32string{U'a', 0xE9, 0x20AC, 0x1F600, 0x10FFFF}};
    const UTF8String utf8(text);
    EXPECT_EQ(utf8.getBytes(), octets("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF"));
    EXPECT_EQ(UTF8String(utf8.getBytes()).toString(0x3F), text);
    const ByteArray& asBytes = utf8;
    EXPECT_EQ(asBytes.size(), 14u);
}

TEST(UTF8String, EachInvalidSequenceBecomesTheReplacement) {
    // One '?' for each maximal ill-formed subsequence, as the decoder of UTF8String values asks.
    struct Case {
        std::string utf8;
        const char* expected;
    };
    const Case cases[] = {
        {"\x80", "?"},  // stray continuation octet
        {"a\x80\xBF"
         "b",
         "a??b"},            // two of them
        {"\xC0\xAF", "??"},  // overlong two-octet form
        {"\xC1\xBF", "??"},
        {"\xE0\x9F\xBF", "???"},       // overlong three-octet form
        {"\xF0\x8F\xBF\xBF", "????"},  // overlong four-octet form
        {"\xED\xA0\x80", "???"},       // surrogate D800
        {"\xED\xBF\xBF", "???"},       // surrogate DFFF
        {"\xF4\x90\x80\x80", "????"},  // U+110000
        {"\xF5\x80\x80\x80", "????"},  // lead octet beyond U+10FFFF
        {"\xE2\x82", "?"},             // truncated three-octet sequence
        {"\xF0\x9F\x98", "?"},         // truncated four-octet sequence
        {"\xF0\x9F\x98"
         "A",
         "?A"},  // cut short before a new character
        {"\xC3", "?"},
        {"\xC3\xC3\xA9", "?\xC3\xA9"},  // a lead cut short by another lead
        {"\xFE\xFF", "??"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(octets(c.utf8).toHex());
        EXPECT_EQ(UTF8String(octets(c.utf8)).toString(0x3F), String(c.expected));
    }
}

TEST(UTF8String, BoundaryCharactersDecodeExactly) {
    struct Case {
        std::string utf8;
        char32_t character;
    };
    const Case cases[] = {
        {"\x7F", 0x7F},
        {"\xC2\x80", 0x80},
        {"\xDF\xBF", 0x7FF},
        {"\xE0\xA0\x80", 0x800},
        {"\xED\x9F\xBF", 0xD7FF},
        {"\xEE\x80\x80", 0xE000},
        {"\xEF\xBF\xBF", 0xFFFF},
        {"\xF0\x90\x80\x80", 0x10000},
        {"\xF4\x8F\xBF\xBF", 0x10FFFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(octets(c.utf8).toHex());
        const String text = UTF8String(octets(c.utf8)).toString(0x3F);
        ASSERT_EQ(text.length(), 1u);
        EXPECT_EQ(text[0], c.character);
        EXPECT_EQ(UTF8String(octets(c.utf8)).toEscapedString(), text);
    }
}

TEST(UTF8String, DefaultReplacementIsUFFFD) {
    EXPECT_EQ(UTF8String(octets("x\xFF")).toString().codePoints(), (std::u32string{U'x', 0xFFFD}));
}

TEST(UTF8String, StaticCodecAppendsAndDecodes) {
    std::string out = "pre:";
    UTF8String::encode(U"\u00E9\U0001F600", out);
    EXPECT_EQ(out, "pre:\xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_EQ(UTF8String::decode("\xC3\xA9\xC3", U'#'), U"\u00E9#");
}

TEST(UTF8String, EscapedDecodingKeepsEachInvalidOctet) {
    struct Case {
        std::string utf8;
        std::u32string text;
    };
    const Case cases[] = {
        {"\x80", {0xDC80}},
        {"a\x80\xBF"
         "b",
         {U'a', 0xDC80, 0xDCBF, U'b'}},
        {"\xC0\xAF", {0xDCC0, 0xDCAF}},                          // overlong form
        {"\xED\xB2\x80", {0xDCED, 0xDCB2, 0xDC80}},              // U+DC80 itself is no UTF-8
        {"\xF4\x90\x80\x80", {0xDCF4, 0xDC90, 0xDC80, 0xDC80}},  // U+110000
        {"\xF0\x9F\x98"
         "A",
         {0xDCF0, 0xDC9F, 0xDC98, U'A'}},  // cut short before a new character
        {"\xC3\xC3\xA9", {0xDCC3, 0xE9}},  // a lead cut short by another lead
        {"\xE2\x82\xAC\xFF", {0x20AC, 0xDCFF}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(octets(c.utf8).toHex());
        EXPECT_EQ(UTF8String(octets(c.utf8)).toEscapedString().codePoints(), c.text);
        EXPECT_EQ(UTF8String::decodeEscaped(c.utf8), c.text);
        EXPECT_EQ(UTF8String(String(c.text)).getBytes(), octets(c.utf8));
    }
    // The plain encoder still writes only valid UTF-8.
    std::string plain;
    UTF8String::encode(std::u32string{0xDC80, 0xDCFF}, plain);
    EXPECT_EQ(plain, "\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(UTF8String, AnyOctetsSurviveTheEscapedRoundTrip) {
    // Random octets mixed with UTF-8 of random characters, so that valid and invalid runs meet.
    std::mt19937 random(20240611);
    std::uniform_int_distribution<unsigned int> pick(0, 0x10FFFF);
    std::string input;
    while (input.size() < 1 << 16) {
        const unsigned int n = pick(random);
        if (n % 3 == 0)
            input.push_back(static_cast<char>(n >> 8));
        else
            UTF8String::encode(std::u32string(1, static_cast<char32_t>(n)), input);
    }
    const String text = UTF8String(octets(input)).toEscapedString();
    EXPECT_EQ(UTF8String(text).getBytes(), octets(input));
}
