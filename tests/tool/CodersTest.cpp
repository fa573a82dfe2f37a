// base64, qp, url and code: the byte coders on the command line, checked against coreutils and Python.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ToolTestSupport.h"

namespace zcoders_test {
namespace {

std::string withoutCR(std::string text) {
    std::erase(text, '\r');
    return text;
}

class Base64OfSize : public testing::TestWithParam<std::size_t> {};

TEST_P(Base64OfSize, EncodesLikeCoreutilsAndDecodesBack) {
    if (!haveProgram("base64")) GTEST_SKIP() << "coreutils base64 is not installed";
    const std::string data = randomOctets(GetParam(), GetParam() + 11);
    TempDir dir;
    const std::string file = dir.file("data.bin", data);

    const Result lines76 = runTool({"base64", "encode", file});
    ASSERT_EQ(lines76.status, 0) << lines76.err;
    EXPECT_EQ(withoutCR(lines76.out), runShell("base64 -w 76 " + shellQuote(file)).out);
    // Every line ends with CR LF.
    EXPECT_EQ(lines76.out.size() - withoutCR(lines76.out).size(), lines(lines76.out).size());

    const Result unbroken = runTool({"base64", "encode", "--no-breaks", file});
    ASSERT_EQ(unbroken.status, 0) << unbroken.err;
    EXPECT_EQ(unbroken.out, runShell("base64 -w 0 " + shellQuote(file)).out);

    for (const std::string& text : {lines76.out, unbroken.out, withoutCR(lines76.out)}) {
        const Result decoded = runTool({"base64", "decode"}, text);
        EXPECT_EQ(decoded.status, 0) << decoded.err;
        EXPECT_EQ(decoded.out, data);
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, Base64OfSize,
                         testing::Values(0, 1, 2, 3, 56, 57, 58, 114, 1000, 65536, 200003));

TEST(Base64Command, DecodesWhatOthersWrite) {
    if (!haveProgram("base64")) GTEST_SKIP() << "coreutils base64 is not installed";
    const std::string data = randomOctets(5000, 5);
    // Lines of 64 characters ended by LF, as PEM writes them, and text without padding.
    const std::string pemLines = runShell("base64 -w 64", data).out;
    EXPECT_EQ(runTool({"base64", "decode"}, pemLines).out, data);
    EXPECT_EQ(runTool({"base64", "decode"}, "YWJj").out, "abc");
    EXPECT_EQ(runTool({"base64", "decode"}, "YWI").out, "ab");
}

TEST(QPCommand, RoundTripsAndPythonReadsTheText) {
    if (!haveProgram("python3")) GTEST_SKIP() << "python3 is not installed";
    const std::vector<std::string> inputs = {"", "plain text", "a=b \t\r\nline two\r\n",
                                             std::string(300, 'x'), randomOctets(10000, 9)};
    TempDir dir;
    std::string pairs;  // "encoded-file data-file" lines for Python to check in one run
    for (std::size_t n = 0; n < inputs.size(); ++n) {
        const std::string& data = inputs[n];
        for (const bool lf : {false, true}) {
            std::vector<std::string> arguments = {"qp", "encode"};
            if (lf) arguments.push_back("--lf");
            const Result encoded = runTool(arguments, data);
            ASSERT_EQ(encoded.status, 0) << encoded.err;
            if (lf) {
                EXPECT_EQ(encoded.out.find('\r'), std::string::npos);
            }
            // Printable ASCII, TAB and line ends only.
            EXPECT_EQ(encoded.out.find_first_not_of(
                          "\t\r\n !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`"
                          "abcdefghijklmnopqrstuvwxyz{|}~"),
                      std::string::npos);
            const std::string name = std::to_string(n) + (lf ? "lf" : "crlf");
            pairs += dir.file(name + ".qp", encoded.out) + " " + dir.file(name + ".bin", data) + "\n";
            const Result decoded = runTool({"qp", "decode"}, encoded.out);
            EXPECT_EQ(decoded.status, 0) << decoded.err;
            EXPECT_EQ(decoded.out, data);
        }
    }
    // Python's quopri reads every text back to its data.
    const Result peer =
        runShell("python3 -c " + shellQuote("import quopri,sys\n"
                                            "for line in sys.stdin:\n"
                                            "    text, data = line.split()\n"
                                            "    ok = quopri.decodestring(open(text,'rb').read()) == "
                                            "open(data,'rb').read()\n"
                                            "    print(text if not ok else 'ok')"),
                 pairs);
    ASSERT_EQ(peer.status, 0) << peer.err;
    EXPECT_EQ(peer.out, [&] {
        std::string all;
        for (std::size_t i = 0; i < 2 * inputs.size(); ++i) all += "ok\n";
        return all;
    }());
}

TEST(QPCommand, DecodesEscapesAndSoftBreaks) {
    struct Case {
        std::string text;
        std::string data;
    };
    const std::vector<Case> cases = {
        {"a=3Db", "a=b"}, {"abc=\r\ndef", "abcdef"}, {"abc=\ndef", "abcdef"}, {"=E9", "\xE9"},
        {"=4", "=4"},     {"line\r\n", "line\r\n"}};
    for (const Case& c : cases) EXPECT_EQ(runTool({"qp", "decode"}, c.text).out, c.data) << c.text;
}

TEST(URLCommand, EncodedFieldsParseInPython) {
    if (!haveProgram("python3")) GTEST_SKIP() << "python3 is not installed";
    const std::vector<std::vector<std::string>> fieldSets = {{"a=1"},
                                                             {"a=1", "b c=x/y"},
                                                             {"name=Grüße", "e=mail@example.com", "empty="},
                                                             {"k=v=w", "sym=-_.*%+&"}};
    std::string queries;
    std::string expected;
    for (const std::vector<std::string>& fields : fieldSets) {
        std::vector<std::string> arguments = {"url", "encode"};
        arguments.insert(arguments.end(), fields.begin(), fields.end());
        const Result encoded = runTool(arguments);
        ASSERT_EQ(encoded.status, 0) << encoded.err;
        ASSERT_FALSE(encoded.out.empty());
        EXPECT_EQ(encoded.out.back(), '\n');
        const std::string query = encoded.out.substr(0, encoded.out.size() - 1);
        EXPECT_EQ(
            query.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789%+=&"),
            std::string::npos)
            << query;
        queries += encoded.out;
        // Each field comes back split at its first "=".
        for (const std::string& field : fields) {
            const std::size_t equals = field.find('=');
            expected += field.substr(0, equals) + "\t" + field.substr(equals + 1) + "\n";
        }
        expected += "--\n";
    }
    const Result peer = runShell("python3 -c " + shellQuote("import sys,urllib.parse\n"
                                                            "for q in sys.stdin.read().split('\\n')[:-1]:\n"
                                                            "    for k,v in urllib.parse.parse_qsl(q, "
                                                            "keep_blank_values=True): print(k+'\\t'+v)\n"
                                                            "    print('--')"),
                                 queries);
    ASSERT_EQ(peer.status, 0) << peer.err;
    EXPECT_EQ(peer.out, expected);
}

TEST(URLCommand, DecodesQueriesMadeByPython) {
    if (!haveProgram("python3")) GTEST_SKIP() << "python3 is not installed";
    // Names and values the query pattern takes: letters, digits and escapes.
    const Result made =
        runShell("python3 -c " + shellQuote("import urllib.parse; print(urllib.parse.urlencode("
                                            "[('a','1'),('b c','x/y'),('n','Gr\\u00fc\\u00dfe')]), end='')"));
    ASSERT_EQ(made.status, 0) << made.err;
    const std::string& query = made.out;
    const Result decoded = runTool({"url", "decode", query});
    ASSERT_EQ(decoded.status, 0) << decoded.err;
    EXPECT_EQ(decoded.out, "a\t1\nb c\tx/y\nn\tGrüße\n");
}

TEST(URLCommand, BadQueryAndBadFields) {
    const Result cutEscape = runTool({"url", "decode", "a=%4"});
    EXPECT_EQ(cutEscape.status, 1);
    ASSERT_EQ(lines(cutEscape.err).size(), 1u) << cutEscape.err;
    EXPECT_EQ(cutEscape.err.rfind("zcoders: query: offset 2: the query ends inside the escape \"%4\"", 0), 0u)
        << cutEscape.err;
    EXPECT_EQ(runTool({"url", "decode", "no fields here"}).out, "");
    EXPECT_EQ(runTool({"url", "encode", "novalue"}).status, 2);
    EXPECT_EQ(runTool({"url", "encode"}).status, 2);
    EXPECT_EQ(runTool({"url"}).status, 2);
}

TEST(CodeCommand, NamesChooseTheCoder) {
    const std::string data = randomOctets(3000, 21);
    TempDir dir;
    const std::string file = dir.file("data.bin", data);
    const std::string base64 = runTool({"base64", "encode", file}).out;
    const std::string qp = runTool({"qp", "encode", file}).out;
    struct Case {
        std::string name;
        std::string encoded;
    };
    for (const Case& c :
         {Case{"base64", base64}, Case{"BASE64", base64}, Case{"Quoted-Printable", qp},
          Case{"quoted-printable", qp}, Case{"none", data}, Case{"base-64", data}, Case{"", data}}) {
        const Result encoded = runTool({"code", c.name, "encode", file});
        EXPECT_EQ(encoded.status, 0) << c.name << ": " << encoded.err;
        EXPECT_EQ(encoded.out, c.encoded) << c.name;
        const Result decoded = runTool({"code", c.name, "decode"}, c.encoded);
        EXPECT_EQ(decoded.out, data) << c.name;
    }
}

}  // namespace
}  // namespace zcoders_test
