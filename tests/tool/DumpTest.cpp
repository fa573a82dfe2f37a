// dump, reencode and component: whole encodings read, printed, written again and cut apart.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "ToolTestSupport.h"

namespace zcoders_test {
namespace {

// Depth of a dump line: two spaces per level.
unsigned int dumpDepth(const std::string& line) {
    return static_cast<unsigned int>(line.find_first_not_of(' ') / 2);
}

// Hexadecimal digits in pairs separated by spaces.
std::string spaced(const std::string& hex) {
    std::string text;
    for (std::size_t i = 0; i < hex.size(); i += 2) text += (i ? " " : "") + hex.substr(i, 2);
    return text;
}

// Our name for the type on an `openssl asn1parse` line.
std::string expectedTypeStart(const ParsedElement& element) {
    static const std::map<std::string, std::string> kNames = {{"OBJECT", "OBJECT IDENTIFIER"},
                                                              {"PRINTABLESTRING", "PrintableString"},
                                                              {"UTF8STRING", "UTF8String"},
                                                              {"IA5STRING", "IA5String"},
                                                              {"UTCTIME", "UTCTime"},
                                                              {"GENERALIZEDTIME", "GeneralizedTime"},
                                                              {"T61STRING", "TeletexString"},
                                                              {"BMPSTRING", "BMPString"},
                                                              {"VISIBLESTRING", "VisibleString"}};
    if (element.type.rfind("cont [ ", 0) == 0)
        return "[" + element.type.substr(7, element.type.size() - 9) + "]";
    const auto named = kNames.find(element.type);
    return named == kNames.end() ? element.type : named->second;
}

// The printed tree has one line per element, at the depth and with the type that OpenSSL finds.
void expectTreeMatchesOpenSSL(const std::string& file, const std::vector<std::string>& extra = {}) {
    const std::vector<ParsedElement> peer = opensslParse(file);
    ASSERT_FALSE(peer.empty()) << "openssl cannot parse " << file;
    std::vector<std::string> arguments = {"dump"};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    arguments.push_back(file);
    const Result dumped = runTool(arguments);
    ASSERT_EQ(dumped.status, 0) << dumped.err;
    EXPECT_EQ(dumped.err, "");
    const std::vector<std::string> printed = lines(dumped.out);
    ASSERT_EQ(printed.size(), peer.size()) << dumped.out;
    for (std::size_t i = 0; i < peer.size(); ++i) {
        SCOPED_TRACE("element " + std::to_string(i) + ": " + printed[i]);
        EXPECT_EQ(dumpDepth(printed[i]), peer[i].depth);
        const std::string text = printed[i].substr(printed[i].find_first_not_of(' '));
        EXPECT_EQ(text.rfind(expectedTypeStart(peer[i]), 0), 0u) << "expected " << peer[i].type;
        if (peer[i].type == "UTF8STRING" || peer[i].type == "PRINTABLESTRING" || peer[i].type == "UTCTIME" ||
            peer[i].type == "IA5STRING") {
            EXPECT_NE(text.find(peer[i].value), std::string::npos) << "value " << peer[i].value;
        }
        if (peer[i].type == "INTEGER" && peer[i].value.size() > 16) {
            std::string hex = peer[i].value;
            hex.erase(0, hex.find_first_not_of('0'));
            EXPECT_NE(text.find("(0x" + hex + ")"), std::string::npos);
        }
        if (peer[i].type == "OCTET STRING" && peer[i].value.size() <= 64) {
            const std::string octets = fromHex(peer[i].value);
            EXPECT_EQ(text,
                      "OCTET STRING, " + std::to_string(octets.size()) + " octets: " + spaced(toHex(octets)));
        }
        if (peer[i].type == "INTEGER" && peer[i].value.size() <= 8) {
            EXPECT_EQ(text, "INTEGER " + std::to_string(std::stoll(peer[i].value, nullptr, 16)));
        }
    }
}

TEST(DumpCommand, SampleCertificateMatchesOpenSSLParse) {
    if (!haveProgram("openssl")) GTEST_SKIP() << "openssl is not installed";
    expectTreeMatchesOpenSSL(sampleDER());
    expectTreeMatchesOpenSSL(sampleDER(), {"--ber"});
}

TEST(DumpCommand, CertificateMadeNowMatchesOpenSSLParse) {
    if (!haveProgram("openssl")) GTEST_SKIP() << "openssl is not installed";
    TempDir dir;
    const std::string key = dir.path("key.pem").string();
    const std::string certificate = dir.path("cert.der").string();
    const Result made = runShell(
        "openssl req -x509 -new -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 30 -subj "
        "'/CN=test.example/O=Tool Tests' -addext 'subjectAltName=DNS:a.example,IP:10.1.2.3' -keyout " +
        shellQuote(key) + " -outform DER -out " + shellQuote(certificate));
    ASSERT_EQ(made.status, 0) << made.err;
    expectTreeMatchesOpenSSL(certificate);
}

TEST(DumpCommand, PEMGivesTheSameTreeAsDER) {
    const Result fromDER = runTool({"dump", sampleDER()});
    ASSERT_EQ(fromDER.status, 0) << fromDER.err;
    const Result fromPEM = runTool({"dump", samplePEM()});
    EXPECT_EQ(fromPEM.status, 0) << fromPEM.err;
    EXPECT_EQ(fromPEM.out, fromDER.out);
    const Result fromStandardInput = runTool({"dump"}, readFile(samplePEM()));
    EXPECT_EQ(fromStandardInput.out, fromDER.out);
    const Result fromDash = runTool({"dump", "-"}, readFile(sampleDER()));
    EXPECT_EQ(fromDash.out, fromDER.out);
    // With --inform pem a block is found after other text too.
    const Result afterText =
        runTool({"dump", "--inform", "pem"}, "Certificate:\n  text first\n" + readFile(samplePEM()));
    EXPECT_EQ(afterText.status, 0) << afterText.err;
    EXPECT_EQ(afterText.out, fromDER.out);
}

// One value made by `openssl asn1parse -genstr` and the line it must print as.
struct GeneratedValue {
    std::string generator;
    std::vector<std::string> expected;  // the lines of the dump
};

void PrintTo(const GeneratedValue& value, std::ostream* out) {
    *out << value.generator;
}

class DumpOfGeneratedValue : public testing::TestWithParam<GeneratedValue> {};

TEST_P(DumpOfGeneratedValue, PrintsTypeTaggingAndValue) {
    if (!haveProgram("openssl")) GTEST_SKIP() << "openssl is not installed";
    TempDir dir;
    const std::string file = dir.path("value.der").string();
    const Result made = runShell("openssl asn1parse -genstr " + shellQuote(GetParam().generator) + " -out " +
                                 shellQuote(file) + " > /dev/null");
    ASSERT_EQ(made.status, 0) << made.err;
    const Result dumped = runTool({"dump", file});
    EXPECT_EQ(dumped.status, 0) << dumped.err;
    EXPECT_EQ(lines(dumped.out), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, DumpOfGeneratedValue,
    testing::Values(
        GeneratedValue{"INTEGER:65537", {"INTEGER 65537"}}, GeneratedValue{"INTEGER:-129", {"INTEGER -129"}},
        GeneratedValue{"INTEGER:0", {"INTEGER 0"}},
        GeneratedValue{"INTEGER:0x10000000000000000", {"INTEGER 18446744073709551616 (0x10000000000000000)"}},
        GeneratedValue{"BOOLEAN:TRUE", {"BOOLEAN TRUE"}}, GeneratedValue{"BOOLEAN:FALSE", {"BOOLEAN FALSE"}},
        GeneratedValue{"NULL", {"NULL"}},
        GeneratedValue{"OID:1.2.840.113549.1.1.11", {"OBJECT IDENTIFIER 1.2.840.113549.1.1.11"}},
        GeneratedValue{"OID:2.999.3", {"OBJECT IDENTIFIER 2.999.3"}},
        GeneratedValue{"ENUMERATED:3", {"ENUMERATED 3"}},
        GeneratedValue{"FORMAT:UTF8,UTF8String:Grüße", {"UTF8String \"Grüße\""}},
        GeneratedValue{"PRINTABLESTRING:Hello World", {"PrintableString \"Hello World\""}},
        GeneratedValue{"IA5STRING:a\"b\\c", {"IA5String \"a\\\"b\\\\c\""}},
        GeneratedValue{"BMPSTRING:abc", {"BMPString \"abc\""}},
        GeneratedValue{"NUMERICSTRING:123 45", {"NumericString \"123 45\""}},
        GeneratedValue{"UTCTIME:261207215440Z", {"UTCTime 261207215440Z"}},
        GeneratedValue{"GENTIME:20261207215440Z", {"GeneralizedTime 20261207215440Z"}},
        GeneratedValue{"FORMAT:HEX,OCTETSTRING:DEADBEEF", {"OCTET STRING, 4 octets: DE AD BE EF"}},
        GeneratedValue{"FORMAT:HEX,BITSTRING:0A0B", {"BIT STRING, 0 unused bits, 2 octets: 0A 0B"}},
        GeneratedValue{"EXPLICIT:0,INTEGER:5", {"[0] constructed, 3 octets", "  INTEGER 5"}},
        GeneratedValue{"EXPLICIT:40,NULL", {"[40] constructed, 2 octets", "  NULL"}},
        GeneratedValue{"IMPLICIT:2,IA5STRING:example.com", {"[2] primitive, 11 octets: \"example.com\""}},
        GeneratedValue{"IMPLICIT:7,FORMAT:HEX,OCTETSTRING:C0000207",
                       {"[7] primitive, 4 octets: C0 00 02 07"}},
        GeneratedValue{"IMPLICIT:3P,INTEGER:1", {"[PRIVATE 3] primitive, 1 octet: 01"}}));

TEST(DumpCommand, StructuresFromAConfigurationFile) {
    if (!haveProgram("openssl")) GTEST_SKIP() << "openssl is not installed";
    TempDir dir;
    const std::string configuration = dir.file("values.cnf",
                                               "asn1 = SEQUENCE:top\n"
                                               "[top]\n"
                                               "number = INTEGER:7\n"
                                               "names = IMPLICIT:0,SEQUENCE:names\n"
                                               "set = SET:members\n"
                                               "[names]\n"
                                               "first = UTF8String:one\n"
                                               "second = UTF8String:two\n"
                                               "[members]\n"
                                               "a = BOOLEAN:TRUE\n");
    const std::string file = dir.path("values.der").string();
    const Result made = runShell("openssl asn1parse -genconf " + shellQuote(configuration) + " -out " +
                                 shellQuote(file) + " > /dev/null");
    ASSERT_EQ(made.status, 0) << made.err;
    const Result dumped = runTool({"dump", file});
    ASSERT_EQ(dumped.status, 0) << dumped.err;
    const std::vector<std::string> expected = {"SEQUENCE, 3 components",
                                               "  INTEGER 7",
                                               "  [0] constructed, 10 octets",
                                               "    UTF8String \"one\"",
                                               "    UTF8String \"two\"",
                                               "  SET, 1 component",
                                               "    BOOLEAN TRUE"};
    EXPECT_EQ(lines(dumped.out), expected);
}

TEST(DumpCommand, LongStringsAreCutShortUnlessFull) {
    TempDir dir;
    const std::string contents = randomOctets(100, 7);
    const std::string file = dir.file("long.der", der(0x04, contents));
    const Result shortForm = runTool({"dump", file});
    ASSERT_EQ(shortForm.status, 0) << shortForm.err;
    const std::string first32 = toHex(contents.substr(0, 32));
    const std::vector<std::string> shown = lines(shortForm.out);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].rfind("OCTET STRING, 100 octets: ", 0), 0u);
    EXPECT_EQ(shown[0].substr(shown[0].size() - 4), " ...");
    std::string digits = shown[0].substr(std::string("OCTET STRING, 100 octets: ").size());
    digits.resize(digits.size() - 4);
    EXPECT_EQ(toHex(fromHex(digits)), first32);

    const Result full = runTool({"dump", "--full", file});
    std::string all = lines(full.out).at(0).substr(std::string("OCTET STRING, 100 octets: ").size());
    EXPECT_EQ(fromHex(all), contents);
}

TEST(DumpCommand, BERIndefiniteLengthsAndSegments) {
    // SEQUENCE (indefinite) { INTEGER 5, OCTET STRING in two segments, [1] (indefinite) { INTEGER 7 } }
    const std::string ber =
        fromHex("30 80 02 01 05 24 80 04 01 41 04 02 42 43 00 00 A1 80 02 01 07 00 00 00 00");
    const Result dumped = runTool({"dump", "--ber"}, ber);
    ASSERT_EQ(dumped.status, 0) << dumped.err;
    const std::vector<std::string> expected = {"SEQUENCE, 3 components", "  INTEGER 5",
                                               "  OCTET STRING, 2 segments, 3 octets: 41 42 43",
                                               "  [1] constructed, indefinite length", "    INTEGER 7"};
    EXPECT_EQ(lines(dumped.out), expected);
    // The DER decoder refuses the indefinite form.
    const Result strict = runTool({"dump"}, ber);
    EXPECT_EQ(strict.status, 1);
    EXPECT_EQ(strict.out, "");
}

// Inputs that cannot be decoded: status 1, nothing on standard output, and a report whose first line
// names the failure, the others its causes.
class DumpOfBadInput : public testing::TestWithParam<BadInput> {};

TEST_P(DumpOfBadInput, FailsWithOneClearLine) {
    const Result result = runTool(GetParam().arguments, GetParam().input);
    ASSERT_NO_FATAL_FAILURE(expectErrorReport(result, GetParam().reportPart));
    EXPECT_EQ(result.out, "");
    const std::vector<std::string> report = lines(result.err);
    for (std::size_t i = 1; i < report.size(); ++i)
        EXPECT_EQ(report[i].rfind("  caused by: ", 0), 0u) << result.err;
}

std::string deeplyTagged(int levels) {
    std::string element = fromHex("02 01 05");
    for (int i = 0; i < levels; ++i) element = der(0xA0, element);
    return element;
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, DumpOfBadInput,
    testing::Values(
        BadInput{"Empty", {"dump"}, "", "no data"},
        BadInput{"Truncated", {"dump"}, fromHex("30 06 02 01 05 02"), "error"},
        BadInput{"IndefiniteInDER", {"dump"}, fromHex("30 80 02 01 05 00 00"), "error 20"},
        BadInput{"UnknownUniversalType", {"dump"}, fromHex("07 01 00"), "error 7"},
        BadInput{"ApplicationClass", {"dump"}, fromHex("61 03 01 01 FF"), "error 7"},
        BadInput{"HugeClaimedLength", {"dump"}, fromHex("04 84 7F FF FF FF 41 42"), "error"},
        BadInput{"MissingEndOfContents", {"dump", "--ber"}, fromHex("30 80 02 01 05"), "error"},
        BadInput{"TaggedContentsNotElements", {"dump"}, fromHex("A0 02 30 05"), "error"},
        BadInput{"DeeplyTagged", {"dump"}, deeplyTagged(400), "nest"},
        BadInput{"PEMWithoutEnd", {"dump"}, "-----BEGIN CERTIFICATE-----\nMIIB\n", "END"},
        BadInput{"PEMWithoutData", {"dump"}, "-----BEGIN X-----\n-----END X-----\n", "no data"},
        BadInput{"NoPEMBlock", {"dump", "--inform", "pem"}, "just text\n", "BEGIN"},
        BadInput{"PEMReadAsDER",
                 {"dump", "--inform", "der"},
                 "-----BEGIN X-----\nAAAA\n-----END X-----\n",
                 "error"},
        BadInput{"MissingFile", {"dump", "/nonexistent/zcoders-input"}, "", "cannot open"},
        BadInput{"ReencodeTruncated", {"reencode"}, fromHex("30 03 02 01"), "error"},
        BadInput{"ComponentPastTheEnd", {"component", "2"}, fromHex("30 06 02 01 05 02 01 07"), "error 20"}),
    [](const testing::TestParamInfo<BadInput>& info) { return info.param.name; });

TEST(ReencodeCommand, DERComesBackUnchanged) {
    const std::string original = readFile(sampleDER());
    for (const std::string& file : {sampleDER(), samplePEM()}) {
        const Result result = runTool({"reencode", file});
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out, original) << file;
    }
}

TEST(ReencodeCommand, BERBecomesDER) {
    struct Case {
        std::string ber;
        std::string der;
    };
    const std::vector<Case> cases = {
        {"30 80 02 01 05 00 00", "30 03 02 01 05"},
        {"30 81 03 02 01 05", "30 03 02 01 05"},
        {"31 80 01 01 FF 02 01 01 00 00", "31 06 01 01 FF 02 01 01"},
        {"30 80 30 80 05 00 00 00 00 00", "30 04 30 02 05 00"},
    };
    for (const Case& c : cases) {
        const Result result = runTool({"reencode", "--ber"}, fromHex(c.ber));
        EXPECT_EQ(result.status, 0) << c.ber << ": " << result.err;
        EXPECT_EQ(toHex(result.out), toHex(fromHex(c.der))) << c.ber;
    }
}

TEST(ReencodeCommand, BEROutputDecodesBackToTheSameValue) {
    const Result ber = runTool({"reencode", "--to", "ber", sampleDER()});
    ASSERT_EQ(ber.status, 0) << ber.err;
    const Result back = runTool({"reencode", "--ber"}, ber.out);
    ASSERT_EQ(back.status, 0) << back.err;
    EXPECT_EQ(back.out, readFile(sampleDER()));
}

TEST(ComponentCommand, ComponentsAreTheOctetsOpenSSLFinds) {
    if (!haveProgram("openssl")) GTEST_SKIP() << "openssl is not installed";
    const std::string certificate = readFile(sampleDER());
    std::vector<ParsedElement> topLevel;
    for (const ParsedElement& element : opensslParse(sampleDER()))
        if (element.depth == 1) topLevel.push_back(element);
    ASSERT_EQ(topLevel.size(), 3u);
    for (std::size_t i = 0; i < topLevel.size(); ++i) {
        const std::string expected = certificate.substr(
            topLevel[i].offset, topLevel[i].headerLength + static_cast<std::size_t>(topLevel[i].length));
        const Result result = runTool({"component", std::to_string(i), sampleDER()});
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out, expected) << "component " << i;
        const Result fromPEM = runTool({"component", std::to_string(i), samplePEM()});
        EXPECT_EQ(fromPEM.out, expected) << "component " << i << " from PEM";
    }
}

TEST(ComponentCommand, HandMadeSequence) {
    const std::string sequence = fromHex("30 06 02 01 05 02 01 07");
    EXPECT_EQ(toHex(runTool({"component", "0"}, sequence).out), "020105");
    EXPECT_EQ(toHex(runTool({"component", "1"}, sequence).out), "020107");
    // Long-form length octets come out in the minimal form.
    EXPECT_EQ(toHex(runTool({"component", "0"}, fromHex("30 04 04 81 01 41")).out), "040141");
}

}  // namespace
}  // namespace zcoders_test
