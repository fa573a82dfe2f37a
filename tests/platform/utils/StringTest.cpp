#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "zentrik/platform/utils/ByteArray.h"
#include "zentrik/platform/utils/String.h"

using Velmora::ByteArray;
using Velmora::String;

namespace {

bool isSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

}  // namespace

TEST(StringUTF8, KnownCharactersEncodeToTheirOctets) {
    struct Case {
        char32_t character;
        std::string utf8;
    };
    const Case cases[] = {
        {U'A', "A"},
        {0x00, std::string(1, '\0')},
        {0x7F, "\x7F"},
        {0x80, "\xC2\x80"},
        {0xE9, "\xC3\xA9"},
        {0x7FF, "\xDF\xBF"},
        {0x800, "\xE0\xA0\x80"},
        {0x20AC, "\xE2\x82\xAC"},
        {0xD7FF, "\xED\x9F\xBF"},
        {0xE000, "\xEE\x80\x80"},
        {0xFFFF, "\xEF\xBF\xBF"},
        {0x10000, "\xF0\x90\x80\x80"},
        {0x1F600, "\xF0\x9F\x98\x80"},
        {0x10FFFF, "\xF4\x8F\xBF\xBF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<unsigned>(c.character));
        const String text{std::u32string(1, c.character)};
        EXPECT_EQ(text.toUTF8(), c.utf8);
        const String back = String::fromUTF8(c.utf8);
        ASSERT_EQ(back.length(), 1u);
        EXPECT_EQ(back[0], c.character);
    }
}

TEST(StringUTF8, EveryScalarValueSurvivesARoundTrip) {
    std::u32string all;
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (!isSurrogate(c)) all.push_back(c);
    }
    const String text{all};
    const std::string utf8 = text.toUTF8();
    // 128 one-octet, 1920 two-octet, 61440 three-octet and 1048576 four-octet characters.
    EXPECT_EQ(utf8.size(), 128u + 2 * 1920u + 3 * 61440u + 4 * 1048576u);
    EXPECT_EQ(String::fromUTF8(utf8), text);
    EXPECT_EQ(String(utf8), text);
}

TEST(StringUTF8, InvalidSequencesBecomeTheReplacementCharacter) {
    struct Case {
        std::string utf8;
        std::u32string expected;
    };
    const Case cases[] = {
        {"\x80", U"\uFFFD"},
        {"a\xBF"
         "b",
         U"a\uFFFDb"},
        {"\xC0\x80", U"\uFFFD\uFFFD"},                      // overlong NUL
        {"\xE0\x80\xAF", U"\uFFFD\uFFFD\uFFFD"},            // overlong '/'
        {"\xED\xA0\x80", U"\uFFFD\uFFFD\uFFFD"},            // an encoded surrogate
        {"\xF4\x90\x80\x80", U"\uFFFD\uFFFD\uFFFD\uFFFD"},  // beyond U+10FFFF
        {"\xE2\x82", U"\uFFFD"},                            // truncated at the end
        {"\xE2\x82x", U"\uFFFDx"},                          // cut short by an ASCII character
        {"\xFF\xFE", U"\uFFFD\uFFFD"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ByteArray(c.utf8.data(), c.utf8.size()).toHex());
        EXPECT_EQ(String::fromUTF8(c.utf8).codePoints(), c.expected);
    }
}

TEST(StringUTF8, CharactersWithoutUTF8FormAreWrittenAsReplacement) {
    const String text{std::u32string{U'a', 0xD800, U'b', 0x110000}};
    EXPECT_EQ(text.toUTF8(),
              "a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD");
}

TEST(StringUTF8, StreamOperatorPrintsUTF8) {
    std::ostringstream out;
    out << String{std::u32string{U'x', 0xE9, 0x1F600}};
    EXPECT_EQ(out.str(), "x\xC3\xA9\xF0\x9F\x98\x80");
}

TEST(StringLatin1, EveryOctetSurvivesARoundTrip) {
    ByteArray all;
    for (int i = 0; i < 256; ++i) all.append(static_cast<unsigned char>(i));
    const String text = String::fromASCIIByteArray(all);
    ASSERT_EQ(text.length(), 256u);
    for (std::size_t i = 0; i < 256; ++i) EXPECT_EQ(text[i], static_cast<char32_t>(i));
    EXPECT_EQ(text.toASCIIByteArray(), all);
}

TEST(StringLatin1, CharactersBeyondLatin1BecomeQuestionMarks) {
    const String text{std::u32string{U'a', 0xFF, 0x100, 0x20AC, 0x1F600, U'z'}};
    EXPECT_EQ(text.toASCIIByteArray(), ByteArray({'a', 0xFF, '?', '?', '?', 'z'}));
}

TEST(StringUCS2, CharactersBecomeBigEndianCodeUnits) {
    struct Case {
        std::u32string text;
        ByteArray octets;
    };
    const Case cases[] = {
        {U"", ByteArray()},
        {U"A", ByteArray({0x00, 0x41})},
        {U"\u00E9\u20AC", ByteArray({0x00, 0xE9, 0x20, 0xAC})},
        {U"\U00010000", ByteArray({0xD8, 0x00, 0xDC, 0x00})},
        {U"\U0001F600!", ByteArray({0xD8, 0x3D, 0xDE, 0x00, 0x00, 0x21})},
        {U"\U0010FFFF", ByteArray({0xDB, 0xFF, 0xDF, 0xFF})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.octets.toHex());
        EXPECT_EQ(String(c.text).toUCS2ByteArray(), c.octets);
        EXPECT_EQ(String::fromUCS2ByteArray(c.octets).codePoints(), c.text);
    }
}

TEST(StringUCS2, IrregularCodeUnitsAreKeptOrDropped) {
    struct Case {
        ByteArray octets;
        std::u32string text;
    };
    const Case cases[] = {
        {ByteArray({0xD8, 0x00, 0x00, 0x41}), std::u32string{0xD800, U'A'}},  // high surrogate alone
        {ByteArray({0xDC, 0x00}), std::u32string{0xDC00}},                    // low surrogate alone
        {ByteArray({0xD8, 0x3D}), std::u32string{0xD83D}},                    // high surrogate at the end
        {ByteArray({0x00, 0x41, 0x00}), U"A"},                                // odd octet dropped
        {ByteArray({0x42}), U""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.octets.toHex());
        EXPECT_EQ(String::fromUCS2ByteArray(c.octets).codePoints(), c.text);
    }
    // Lone surrogates are written back as the code units they were.
    EXPECT_EQ(String::fromUCS2ByteArray(ByteArray({0xD8, 0x00, 0x00, 0x41})).toUCS2ByteArray(),
              ByteArray({0xD8, 0x00, 0x00, 0x41}));
}

TEST(StringUCS2, EveryScalarValueSurvivesARoundTrip) {
    std::u32string all;
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (!isSurrogate(c)) all.push_back(c);
    }
    const ByteArray ucs2 = String(all).toUCS2ByteArray();
    EXPECT_EQ(ucs2.size(), 2 * (0x10000u - 0x800u) + 4 * 0x100000u);
    EXPECT_EQ(String::fromUCS2ByteArray(ucs2).codePoints(), all);
}

TEST(StringUCS4, CharactersBecomeFourBigEndianOctets) {
    struct Case {
        std::u32string text;
        ByteArray octets;
    };
    const Case cases[] = {
        {U"", ByteArray()},
        {U"A\u00E9\u65E5", ByteArray::fromHex("00000041000000E9000065E5")},
        {U"\U0001F600", ByteArray::fromHex("0001F600")},
        {std::u32string{0xDC80, 0x110000, 0xFFFFFFFF}, ByteArray::fromHex("0000DC8000110000FFFFFFFF")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.octets.toHex());
        EXPECT_EQ(String(c.text).toUCS4ByteArray(), c.octets);
        EXPECT_EQ(String::fromUCS4ByteArray(c.octets).codePoints(), c.text);
    }
    EXPECT_EQ(String::fromUCS4ByteArray(ByteArray::fromHex("00000041000000")).codePoints(), U"A");
}

TEST(StringOperations, ToLowerCoversASCIIAndLatin1Letters) {
    const String text{std::u32string{U'A', U'Z', U'a', U'@', U'[', 0xC0, 0xC9, 0xD7, 0xDE, 0xDF, 0x100}};
    const std::u32string expected{U'a', U'z', U'a', U'@', U'[', 0xE0, 0xE9, 0xD7, 0xFE, 0xDF, 0x100};
    EXPECT_EQ(text.toLower().codePoints(), expected);
}

TEST(StringOperations, FindReturnsPositionsOrNpos) {
    const String text("abcabc");
    EXPECT_EQ(text.find(String("bc")), 1u);
    EXPECT_EQ(text.find(String("bc"), 2), 4u);
    EXPECT_EQ(text.find(String("cb")), String::npos);
    EXPECT_EQ(text.find(U'c'), 2u);
    EXPECT_EQ(text.find(U'c', 3), 5u);
    EXPECT_EQ(text.find(U'x'), String::npos);
}

TEST(StringOperations, PiecesAreClippedToTheText) {
    const String text("name=value");
    EXPECT_EQ(text.left(4), String("name"));
    EXPECT_EQ(text.left(40), text);
    EXPECT_EQ(text.right(5), String("value"));
    EXPECT_EQ(text.right(10), String());
    EXPECT_EQ(text.right(11), String());
    EXPECT_EQ(text.substr(2, 3), String("me="));
    EXPECT_EQ(text.substr(8), String("ue"));
    EXPECT_EQ(text.substr(20, 2), String());
}

TEST(StringOperations, WhiteSpaceAndReturnsAreRemovedAtTheirEnds) {
    struct Case {
        const char* text;
        const char* withoutLeadingWhites;
        const char* withoutTrailingReturns;
    };
    const Case cases[] = {
        {" \t\r\nab c \r\n", "ab c \r\n", " \t\r\nab c "},
        {"abc", "abc", "abc"},
        {"\r\n\r\n", "", ""},
        {"a\r\n ", "a\r\n ", "a\r\n "},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        String leading(c.text);
        EXPECT_EQ(leading.removeLeadingWhites(), String(c.withoutLeadingWhites));
        String trailing(c.text);
        EXPECT_EQ(trailing.removeTrailingReturns(), String(c.withoutTrailingReturns));
    }
}

TEST(StringOperations, ConcatenationAndEmptyString) {
    String text("ab");
    text += String("c");
    text += char32_t{0x1F600};
    EXPECT_EQ(text.codePoints(), (std::u32string{U'a', U'b', U'c', 0x1F600}));
    EXPECT_EQ(String("x") + String("yz"), String("xyz"));
    EXPECT_TRUE(String::emptyString.isEmpty());
    EXPECT_EQ(String(static_cast<const char*>(nullptr)), String::emptyString);
    EXPECT_TRUE(String("a") < String("b"));
    EXPECT_NE(String("a"), String("A"));
}
