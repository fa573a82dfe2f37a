// --strict on base64, qp and url decode: the first fault and its offset, and well-formed text from
// coreutils and Python decoded exactly as without the option.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ToolTestSupport.h"

namespace zcoders_test {
namespace {

const std::vector<std::string> kBase64 = {"base64", "decode", "--strict"};
const std::vector<std::string> kQP = {"qp", "decode", "--strict"};
std::vector<std::string> query(const std::string& text) {
    return {"url", "decode", "--strict", text};
}

const std::string kBadEscape = "'=' is not followed by two hexadecimal digits or a line break";

// The text with each LF preceded by CR.
std::string withCRLF(const std::string& text) {
    std::string lines;
    for (const char c : text) lines += c == '\n' ? "\r\n" : std::string(1, c);
    return lines;
}

class StrictFault : public testing::TestWithParam<BadInput> {};

// reportPart is the whole line after "zcoders: ".
TEST_P(StrictFault, OneLineWithTheOffset) {
    const Result result = runTool(GetParam().arguments, GetParam().input);
    ASSERT_TRUE(result.exited);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "zcoders: " + GetParam().reportPart + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, StrictFault,
    testing::Values(
        BadInput{"B64Star", kBase64, "aGV*bG8=", "standard input: offset 3: '*' is not a Base64 character"},
        BadInput{"B64PEM", kBase64, "-----BEGIN X-----\nYWJj\n",
                 "standard input: offset 0: '-' is not a Base64 character"},
        BadInput{"B64Tab", kBase64, "YWJj\tYWJj",
                 "standard input: offset 4: octet 0x09 is not a Base64 character"},
        BadInput{"B64LoneCR", kBase64, "YWJj\rYWJj", "standard input: offset 4: CR not followed by LF"},
        BadInput{"B64FinalCR", kBase64, "YWJj\r", "standard input: offset 4: CR not followed by LF"},
        BadInput{"B64PadFirst", kBase64, "YWJj=YWJj",
                 "standard input: offset 4: misplaced padding: '=' cannot start a group of four characters"},
        BadInput{"B64PadSecond", kBase64, "Y===",
                 "standard input: offset 1: misplaced padding: '=' after the first character of a group"},
        BadInput{"B64Excess", kBase64,
                 "YQ===", "standard input: offset 4: excess padding: '=' after the padding is complete"},
        BadInput{"B64AfterPad", kBase64, "YQ==\nYWJj",
                 "standard input: offset 5: 'Y' after the padding, which ends the text"},
        BadInput{"B64HalfPad", kBase64,
                 "YQ=", "standard input: offset 3: incomplete padding: a second '=' is missing"},
        BadInput{"B64HalfPadThenText", kBase64, "YQ=Y",
                 "standard input: offset 3: incomplete padding: 'Y' where a second '=' belongs"},
        BadInput{"B64LoneChar", kBase64, "YWJj\nY\n",
                 "standard input: offset 5: a final group of one character holds no octet"},
        BadInput{"B64Bits2", kBase64, "YR==",
                 "standard input: offset 1: 'R' carries bits that no octet takes (an encoder writes 'Q')"},
        BadInput{"B64Bits3", kBase64, "YWJ",
                 "standard input: offset 2: 'J' carries bits that no octet takes (an encoder writes 'I')"},
        BadInput{"QPNotHex", kQP, "=ZZ", std::string("standard input: offset 0: ") + kBadEscape},
        BadInput{"QPCut", kQP, "ab=4", std::string("standard input: offset 2: ") + kBadEscape},
        BadInput{"QPSpace", kQP, "a= \nb", std::string("standard input: offset 1: ") + kBadEscape},
        BadInput{"QPEquals", kQP, "a==41", std::string("standard input: offset 1: ") + kBadEscape},
        BadInput{"QPSoftThenLF", kQP, "a=\n\nb",
                 "standard input: offset 3: a line end right after a soft line break ('=' LF) would be taken "
                 "as part of it"},
        BadInput{"QPEightBit", kQP, "caf\xE9",
                 "standard input: offset 3: octet 0xE9 cannot stand for itself in quoted-printable text "
                 "(write =E9)"},
        BadInput{"QPNul", kQP, std::string("a\0b", 3),
                 "standard input: offset 1: octet 0x00 cannot stand for itself in quoted-printable text "
                 "(write =00)"},
        BadInput{"QPSoftCR", kQP, "a=\rb", "standard input: offset 1: " + kBadEscape},
        BadInput{"URLCut", query("a=%4"), "",
                 "query: offset 2: '%' is not followed by two hexadecimal digits"},
        BadInput{"URLNotHex", query("a=1&b=%ZZ"), "",
                 "query: offset 6: '%' is not followed by two hexadecimal digits"},
        BadInput{"URLDotInName", query("a.b=1"), "",
                 "query: offset 1: '.' in a name is dropped by the decoder (write %2E)"},
        BadInput{"URLSlash", query("a=x/y"), "",
                 "query: offset 3: '/' in a value is dropped by the decoder (write %2F)"},
        BadInput{"URLSecondEquals", query("a=b=c"), "",
                 "query: offset 3: '=' in a value is dropped by the decoder (write %3D)"},
        BadInput{"URLEmptyValue", query("a=1&e=&b=2"), "",
                 "query: offset 4: a field with an empty value is dropped by the decoder"},
        BadInput{"URLNoEquals", query("a=1&flag"), "",
                 "query: offset 4: a field without '=' is dropped by the decoder"},
        BadInput{"URLEmptyName", query("=1"), "", "query: offset 0: a field with an empty name"},
        BadInput{"URLLeadingSpace", query("a=%20x"), "",
                 "query: offset 2: white space at the start of a value is dropped by the decoder"},
        BadInput{"URLTrailingLineEnd", query("a=x%0D%0A"), "",
                 "query: offset 3: line ends at the end of a value are dropped by the decoder"},
        BadInput{"URLEscapedEquals", query("a%3Db=1"), "",
                 "query: offset 1: an escaped '=' in a name splits the field there once decoded"}));

TEST(Strict, NamesTheFileAndCountsAcrossChunks) {
    TempDir dir;
    // A fault past the first 64 KiB chunk, after an escape and a CR LF that straddle the chunk boundary.
    const std::string fine = std::string(65535, 'x') + "=41" + std::string(65533, 'y') + "\r\nz";
    const std::string qp = fine + "=G1";
    const std::string file = dir.file("text.qp", qp);
    const Result result = runTool({"qp", "decode", "--strict", file});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "zcoders: " + file + ": offset 131074: " + kBadEscape + "\n");
    const Result decoded = runTool({"qp", "decode", "--strict", "-"}, fine);
    EXPECT_EQ(decoded.status, 0) << decoded.err;
    EXPECT_EQ(decoded.out, std::string(65535, 'x') + "A" + std::string(65533, 'y') + "\r\nz");
}

TEST(Strict, WithoutTheOptionNothingChanges) {
    EXPECT_EQ(toHex(runTool({"base64", "decode"}, "aGV*bG8=").out), "68655B1B");
    const Result pem = runTool({"base64", "decode"}, "-----BEGIN X-----\nYWJj\n");
    EXPECT_EQ(pem.status, 0);
    EXPECT_FALSE(pem.out.empty());
    EXPECT_EQ(toHex(runTool({"qp", "decode"}, "=ZZ").out), "FF");
    EXPECT_EQ(runTool({"url", "decode", "a.b=1"}).out, "b\t1\n");
}

TEST(Strict, Base64FromCoreutilsDecodesAsWithout) {
    if (!haveProgram("base64")) GTEST_SKIP() << "coreutils base64 is not installed";
    for (const std::size_t size : {0, 1, 2, 3, 100, 70001}) {
        const std::string data = randomOctets(size, size + 3);
        for (const std::string width : {"0", "7", "64", "76"}) {
            const std::string text = runShell("base64 -w " + width, data).out;
            for (const std::string& form : {text, withCRLF(text)}) {
                const Result strict = runTool(kBase64, form);
                EXPECT_EQ(strict.status, 0) << size << " octets, width " << width << ": " << strict.err;
                EXPECT_EQ(strict.out, data) << size << " octets, width " << width;
                EXPECT_EQ(runTool({"base64", "decode"}, form).out, data);
            }
        }
    }
}

TEST(Strict, QuotedPrintableFromPythonDecodesAsPythonDoes) {
    if (!haveProgram("python3")) GTEST_SKIP() << "python3 is not installed";
    const std::vector<std::string> inputs = {"", "plain\n", "caf\xC3\xA9 = 1 \t\nnext line\r\nlast",
                                             std::string(200, 'w') + "\n", randomOctets(3000, 4)};
    for (const std::string& data : inputs) {
        TempDir dir;
        const std::string file = dir.file("data", data);
        const std::string script =
            "import quopri,sys; t=quopri.encodestring(open(sys.argv[1],'rb').read()); "
            "sys.stdout.buffer.write(t if sys.argv[2]=='e' else quopri.decodestring(t))";
        const std::string text = runShell("python3 -c " + shellQuote(script) + " " + file + " e").out;
        const std::string expected = runShell("python3 -c " + shellQuote(script) + " " + file + " d").out;
        const Result strict = runTool(kQP, text);
        EXPECT_EQ(strict.status, 0) << strict.err;
        EXPECT_EQ(strict.out, expected);
        EXPECT_EQ(runTool({"qp", "decode"}, text).out, expected);
        for (const std::vector<std::string>& encode :
             {std::vector<std::string>{"qp", "encode"}, {"qp", "encode", "--lf"}})
            EXPECT_EQ(runTool(kQP, runTool(encode, data).out).out, data);
    }
}

TEST(Strict, QueriesFromPythonDecodeAsPythonParsesThem) {
    if (!haveProgram("python3")) GTEST_SKIP() << "python3 is not installed";
    const std::string script =
        "import urllib.parse as u\n"
        "q = u.urlencode([('a','1'), ('b c','x/y=z&w'), ('n-1','Gr\\u00fc\\u00dfe'), "
        "('e','mail@example.com')])\n"
        "print(q); print(''.join(k + '\\t' + v + '\\n' for k, v in u.parse_qsl(q)), end='')";
    const std::vector<std::string> made = lines(runShell("python3 -c " + shellQuote(script)).out);
    ASSERT_EQ(made.size(), 5u);
    const Result strict = runTool(query(made[0]));
    EXPECT_EQ(strict.status, 0) << strict.err;
    EXPECT_EQ(strict.out, made[1] + "\n" + made[2] + "\n" + made[3] + "\n" + made[4] + "\n");
    EXPECT_EQ(runTool({"url", "decode", made[0]}).out, strict.out);
}

}  // namespace
}  // namespace zcoders_test
