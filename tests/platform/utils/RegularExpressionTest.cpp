#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "zentrik/platform/utils/Exception.h"
#include "zentrik/platform/utils/RegularExpression.h"

using Velmora::RegularExpression;
using Velmora::String;
using Velmora::UtilsException;

namespace {

// The field pattern of URL query strings; \r, \n and \t are the single octets.
const char kFieldPattern[] =
    "[a-zA-Z0-9%+&_-]+ *= *([-a-zA-Z0-9%+@._]+((\r\n(\t| +))|(,\r\n(\t| +))|, *| *))+";

std::vector<String> allMatches(const String& pattern, const String& text, unsigned int group = 0) {
    RegularExpression expression(pattern, text);
    std::vector<String> matches;
    while (expression.hasExpression()) matches.push_back(expression.nextMatch(group));
    return matches;
}

std::vector<String> strings(std::initializer_list<const char*> texts) {
    std::vector<String> result;
    for (const char* text : texts) result.emplace_back(text);
    return result;
}

unsigned int failureNumber(const std::function<void()>& action) {
    try {
        action();
    } catch (const UtilsException& e) {
        return e.getNumber();
    }
    return 0;
}

}  // namespace

TEST(RegularExpression, FieldPatternHasItsLength) {
    EXPECT_EQ(sizeof kFieldPattern - 1, 74u);
}

TEST(RegularExpression, FieldPatternFindsLeftmostLongestFields) {
    struct Case {
        const char* query;
        std::vector<String> matches;
    };
    const Case cases[] = {
        {"a=1&b=2", strings({"a=1", "&b=2"})},
        {"a = 1", strings({"a = 1"})},
        {"b+c=x%2fy", strings({"b+c=x%2fy"})},
        {"x=hello world&y=2", strings({"x=hello world", "&y=2"})},
        {"list=a, b,c&n=1", strings({"list=a, b,c", "&n=1"})},
        {"f=one\r\n\ttwo\r\n  three", strings({"f=one\r\n\ttwo\r\n  three"})},
        {"f=one,\r\n two&g=x", strings({"f=one,\r\n two", "&g=x"})},
        {"f=one\r\nrest", strings({"f=one"})},  // a line break without folding ends the value
        {"mail=a.b@c.d trailing", strings({"mail=a.b@c.d trailing"})},
        {"??a=1!!b=2", strings({"a=1", "b=2"})},
        {"no fields here", {}},
        {"=value", {}},
        {"name=", {}},
        {"", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.query);
        EXPECT_EQ(allMatches(kFieldPattern, c.query), c.matches);
    }
}

TEST(RegularExpression, MatchesAreLongestNotFirstAlternative) {
    struct Case {
        const char* pattern;
        const char* text;
        std::vector<String> matches;
    };
    const Case cases[] = {
        {"a|ab", "abab", strings({"ab", "ab"})},
        {"(a|ab)(c|bcd)", "abcd", strings({"abcd"})},
        {"x*", "axxb", strings({"", "xx", "", ""})},
        {"[0-9]+", "a1b22c333", strings({"1", "22", "333"})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern);
        EXPECT_EQ(allMatches(c.pattern, c.text), c.matches);
    }
}

TEST(RegularExpression, GroupsOfEachMatch) {
    RegularExpression expression("([a-z]+)=([0-9]+)(x)?", "ab=12 cd=3x");
    ASSERT_TRUE(expression.hasExpression());
    EXPECT_EQ(expression.nextMatch(2), String("12"));
    ASSERT_TRUE(expression.hasExpression());
    EXPECT_EQ(expression.nextMatch(1), String("cd"));
    EXPECT_FALSE(expression.hasExpression());

    EXPECT_EQ(allMatches("([a-z]+)=([0-9]+)(x)?", "ab=12 cd=3x", 3), strings({"", "x"}));
}

TEST(RegularExpression, NonASCIITextKeepsItsCharacters) {
    const String text{std::u32string{0xE9, U'=', 0xFC, U'&', U'x', U'=', 0x1F600}};
    const std::vector<String> matches = allMatches("[^=&]+=[^&]+", text);
    ASSERT_EQ(matches.size(), 2u);
    EXPECT_EQ(matches[0].codePoints(), (std::u32string{0xE9, U'=', 0xFC}));
    EXPECT_EQ(matches[1].codePoints(), (std::u32string{U'x', U'=', 0x1F600}));
    // An empty match steps one whole character: one empty match before each character and one at the end.
    EXPECT_EQ(allMatches("", text).size(), text.length() + 1);
}

TEST(RegularExpression, FailuresAreUtilsExceptions) {
    const String operation = "RegularExpression::RegularExpression(const String&, const String&)";
    for (const char* pattern : {"a(", "[z-a]", "a{2,1}", "(?P<x"}) {
        SCOPED_TRACE(pattern);
        try {
            RegularExpression expression(pattern, "text");
            ADD_FAILURE() << "accepted";
        } catch (const UtilsException& e) {
            EXPECT_EQ(e.getNumber(), 1u);
            EXPECT_EQ(e.getOperation(), operation);
            EXPECT_FALSE(e.getMessage().isEmpty());
        }
    }
    RegularExpression none("z", "abc");
    EXPECT_FALSE(none.hasExpression());
    EXPECT_EQ(failureNumber([&] { none.nextMatch(0); }), 2u);

    RegularExpression one("(b)", "abc");
    EXPECT_EQ(failureNumber([&] { one.nextMatch(2); }), 2u);
    EXPECT_TRUE(one.hasExpression());  // a refused group leaves the match in place
    EXPECT_EQ(one.nextMatch(1), String("b"));
    EXPECT_EQ(failureNumber([&] { one.nextMatch(0); }), 2u);
}

TEST(RegularExpression, TenMegabyteValueIsOneMatch) {
    const std::size_t valueLength = 10 * 1024 * 1024;
    std::string query = "?? name=";
    query.append(valueLength, 'v');
    query += "&n=1";
    const std::vector<String> matches = allMatches(kFieldPattern, String(query));
    ASSERT_EQ(matches.size(), 2u);
    EXPECT_EQ(matches[0].length(), 5 + valueLength);
    EXPECT_EQ(matches[0].left(6), String("name=v"));
    EXPECT_EQ(matches[1], String("&n=1"));
}

TEST(RegularExpression, ManyFieldsInALongQuery) {
    std::string query;
    const int fields = 100000;
    for (int i = 0; i < fields; ++i) query += "&f" + std::to_string(i) + "=" + std::to_string(i * 7);
    RegularExpression expression(kFieldPattern, String(query));
    int count = 0;
    while (expression.hasExpression()) {
        const String match = expression.nextMatch(0);
        if (count == fields - 1) {
            EXPECT_EQ(match, String("&f99999=699993"));
        }
        ++count;
    }
    EXPECT_EQ(count, fields);
}
