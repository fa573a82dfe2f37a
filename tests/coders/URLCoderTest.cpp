#include <gtest/gtest.h>

#include <random>
#include <string>

#include "CoderTestSupport.h"
#include "support/Failures.h"
#include "zentrik/coders/URLCoder.h"
#include "zentrik/foundation/CoderException.h"
#include "zentrik/platform/utils/IndexOutOfRange.h"

using namespace Velmora;

namespace {

URLNameValues fieldsOf(std::initializer_list<std::pair<String, String>> pairs) {
    URLNameValues fields;
    for (const auto& [name, body] : pairs) fields.addURLNameValueField(URLNameValueField(name, body));
    return fields;
}

String latin1(const ByteArray& bytes) {
    return String::fromASCIIByteArray(bytes);
}

}  // namespace

TEST(URLCoderTest, EncodeExamples) {
    URLCoder coder;
    EXPECT_EQ(coder.encode(fieldsOf({{"a", "1"}, {"b c", "x/y"}})), String("a=1&b+c=x%2fy"));
    EXPECT_EQ(coder.encode(fieldsOf({{"v", latin1(ByteArray{0xE9})}})), String("v=%e9"));
    EXPECT_EQ(coder.encode(fieldsOf({{"k", "-_.*%+"}})), String("k=%2d%5f%2e%2a%25%2b"));
    EXPECT_EQ(coder.encode(URLNameValues()), String(""));
    EXPECT_EQ(coder.encode(fieldsOf({{"", ""}})), String("="));
    EXPECT_EQ(coder.encode(fieldsOf({{"a", ""}, {"", "b"}, {"c", "d"}})), String("a=&=b&c=d"));
    EXPECT_EQ(coder.encode(fieldsOf({{"Zz09", std::string("\x01\x7F", 2)}})), String("Zz09=%01%7f"));
}

TEST(URLCoderTest, CharactersBeyondLatin1AreEscapedAsTheirUTF8Octets) {
    URLCoder coder;
    EXPECT_EQ(coder.encode(fieldsOf({{"e", "\xE2\x82\xAC"}})), String("e=%e2%82%ac"));  // U+20AC
}

TEST(URLCoderTest, DecodeExamples) {
    URLCoder coder;
    const std::pair<std::string, URLNameValues> cases[] = {
        {"a=1&b=2", fieldsOf({{"a", "1"}, {"b", "2"}})},
        {"b+c=x%2fy", fieldsOf({{"b c", "x/y"}})},
        {"a = 1", fieldsOf({{"a ", "1"}})},
        {"no fields here", URLNameValues()},
        {"", URLNameValues()},
        {"=1", URLNameValues()},
        {"=1&=2", fieldsOf({{"1", "2"}})},  // "&" belongs to a name
        {"a=&b=2", fieldsOf({{"b", "2"}})},
        {"  x=1", fieldsOf({{"x", "1"}})},
        {"a=one two", fieldsOf({{"a", "one two"}})},
        {"a=x, y,z", fieldsOf({{"a", "x, y,z"}})},
        {"a=x,\r\n\ty&b=2", fieldsOf({{"a", "x,\r\n\ty"}, {"b", "2"}})},
        {"a=x\r\n  y", fieldsOf({{"a", "x\r\n  y"}})},
        {"mail=me@example.com&q=%41%4a%4A", fieldsOf({{"mail", "me@example.com"}, {"q", "AJJ"}})},
        {"a=1&&b=2", fieldsOf({{"a", "1"}, {"b", "2"}})},
        {"n%3dm=v", fieldsOf({{"n", "m=v"}})},
        {"n=a%26b%3dc", fieldsOf({{"n", "a&b=c"}})},
    };
    for (const auto& [query, expected] : cases) EXPECT_EQ(coder.decode(query), expected) << query;
}

TEST(URLCoderTest, DecodeStringExamples) {
    URLCoder coder;
    const std::pair<String, String> cases[] = {
        {"%41%4a%4A", "AJJ"},
        {"a&b", "ab"},
        {"a+b", "a b"},
        {"%2B", "+"},
        {"%26", "&"},
        {"%e9", latin1(ByteArray{0xE9})},
        {"", ""},
        {"plain", "plain"},
        {"%zz",
         latin1(ByteArray{static_cast<std::uint8_t>(((('z' & 0xDF) - 0x37) << 4) + (('z' & 0xDF) - 0x37))})},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(coder.decodeString(text), expected) << text;
}

TEST(URLCoderTest, CutEscapeThrowsIndexOutOfRange) {
    URLCoder coder;
    for (const char* text : {"%4", "%", "abc%", "abc%1"}) {
        EXPECT_THROW(coder.decodeString(text), IndexOutOfRange) << text;
    }
    // The same escape at the end of a match passes through decode unchanged, not as a CoderException.
    zentrik_test::expectIndexOutOfRange([&] { coder.decode("a=1&b=x%4"); });
}

TEST(URLCoderTest, RoundTripsLettersAndDigits) {
    std::mt19937 rng(40);
    const std::string alnum = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    URLCoder coder;
    for (int round = 0; round < 200; ++round) {
        URLNameValues fields;
        const int count = round % 6;
        for (int f = 0; f < count; ++f) {
            fields.addURLNameValueField(
                URLNameValueField(latin1(coders_test::randomFrom(rng, 1 + rng() % 12, alnum)),
                                  latin1(coders_test::randomFrom(rng, 1 + rng() % 40, alnum))));
        }
        EXPECT_EQ(coder.decode(coder.encode(fields)), fields);
    }
}

// Names and values of any octets come back, except where the format cannot carry them: an empty
// name or value, an "=" in a name, white space at the front, line ends at the end of a value.
TEST(URLCoderTest, RoundTripsAnyOctetsTheFormatCanCarry) {
    std::mt19937 rng(41);
    URLCoder coder;
    auto piece = [&](bool isName) {
        for (;;) {
            ByteArray bytes = coders_test::randomBytes(rng, 1 + rng() % 20);
            const std::string s = coders_test::stringOf(bytes);
            if (std::string(" \t\r\n").find(s.front()) != std::string::npos) continue;
            if (isName && s.find('=') != std::string::npos) continue;
            if (!isName && (s.back() == '\r' || s.back() == '\n')) continue;
            return latin1(bytes);
        }
    };
    for (int round = 0; round < 300; ++round) {
        URLNameValues fields;
        for (int f = 0; f < 1 + round % 4; ++f)
            fields.addURLNameValueField(URLNameValueField(piece(true), piece(false)));
        EXPECT_EQ(coder.decode(coder.encode(fields)), fields);
    }
}

TEST(URLCoderTest, LongSingleValueDoesNotCrash) {
    URLCoder coder;
    std::string query = "name=";
    query.append(10 * 1024 * 1024, 'v');
    const URLNameValues fields = coder.decode(String(query));
    ASSERT_EQ(fields.getNumberOfFields(), 1u);
    EXPECT_EQ(fields.getURLFields()[0].getFieldName(), String("name"));
    EXPECT_EQ(fields.getURLFields()[0].getFieldBody().length(), 10u * 1024 * 1024);
}

TEST(URLCoderTest, PythonPeerParsesOursAndWeParseItsQueries) {
    if (!coders_test::havePython()) GTEST_SKIP() << "python3 is not available";
    std::mt19937 rng(42);
    URLCoder coder;
    // Each input: one field, name and value as Latin-1 octets separated by a zero octet.
    std::vector<ByteArray> inputs;
    std::vector<std::pair<String, String>> fields;
    for (int i = 0; i < 200; ++i) {
        ByteArray name, value;
        do name = coders_test::randomBytes(rng, 1 + rng() % 10);
        while (std::string(coders_test::stringOf(name)).find_first_of(std::string("\0= \t\r\n", 6)) !=
               std::string::npos);
        do value = coders_test::randomBytes(rng, 1 + rng() % 30);
        while (std::string(coders_test::stringOf(value)).find_first_of(std::string("\0 \t\r\n", 5)) !=
               std::string::npos);
        ByteArray row = name;
        row.append(0);
        row += value;
        inputs.push_back(row);
        fields.emplace_back(latin1(name), latin1(value));
    }
    // Python's query, stricter than its default: it leaves "." and "~" unescaped, which our names do not
    // accept.
    const auto theirs = coders_test::python(
        "    from urllib.parse import quote_plus\n"
        "    n, v = data.split(b'\\0', 1)\n"
        "    q = lambda s: quote_plus(s, safe='').replace('.', '%2E').replace('~', '%7E')\n"
        "    return (q(n) + '=' + q(v)).encode()",
        inputs);
    ASSERT_EQ(theirs.size(), inputs.size());
    std::vector<ByteArray> ours;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        const URLNameValues expected = fieldsOf({fields[i]});
        EXPECT_EQ(coder.decode(latin1(theirs[i])), expected) << i;
        ours.push_back(coder.encode(expected).toASCIIByteArray());
    }
    const auto back = coders_test::python(
        "    from urllib.parse import parse_qsl\n"
        "    (n, v), = parse_qsl(data.decode('ascii'), keep_blank_values=True, encoding='latin-1', "
        "strict_parsing=True)\n"
        "    return n.encode('latin-1') + b'\\0' + v.encode('latin-1')",
        ours);
    ASSERT_EQ(back.size(), inputs.size());
    for (std::size_t i = 0; i < inputs.size(); ++i) EXPECT_EQ(back[i], inputs[i]) << i;
}
