// dump, reencode and component: whole encodings read, printed, written again and cut apart.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "ToolTestSupport.h"

namespace zcoders_test {
namespace {

// One element line of `zcoders dump`: "OFFSET HL LENGTH: " and the element indented two spaces per
// level. Lines of hexadecimal octets (no numbers before the colon) and PEM block lines are left out.
struct DumpLine {
    std::uint64_t offset = 0;
    std::size_t headerLength = 0;
    long long length = 0;  // -1 for "inf"
    unsigned int depth = 0;
    std::string text;
};

std::vector<DumpLine> dumpLines(const std::string& out) {
    std::vector<DumpLine> parsed;
    for (const std::string& line : lines(out)) {
        const std::size_t colon = line.find(": ");
        const std::size_t first = line.find_first_not_of(' ');
        if (colon == std::string::npos || first == colon || line.rfind("PEM block", 0) == 0) continue;
        DumpLine element;
        std::size_t at = 0;
        element.offset = std::stoull(line, &at);
        element.headerLength = std::stoul(line.substr(at), &at);
        const std::string length = line.substr(line.find_last_of(' ', colon) + 1, colon - line.find_last_of(' ', colon) - 1);
        element.length = length == "inf" ? -1 : std::stoll(length);
        const std::string rest = line.substr(colon + 2);
        const std::size_t indent = rest.find_first_not_of(' ');
        element.depth = static_cast<unsigned int>(indent / 2);
        element.text = rest.substr(indent);
        parsed.push_back(element);
    }
    return parsed;
}

// The element texts of a dump, without their numbers.
std::vector<std::string> dumpTexts(const std::string& out) {
    std::vector<std::string> texts;
    for (const DumpLine& line : dumpLines(out)) texts.push_back(std::string(2 * line.depth, ' ') + line.text);
    return texts;
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
                                                              {"VISIBLESTRING", "VisibleString"},
                                                              {"EOC", "end-of-contents"}};
    if (element.type.rfind("cont [ ", 0) == 0)
        return "[" + element.type.substr(7, element.type.size() - 9) + "]";
    const auto named = kNames.find(element.type);
    return named == kNames.end() ? element.type : named->second;
}

// Every element line has the offset, header length, contents length, depth and type OpenSSL finds.
void expectElementsMatchOpenSSL(const std::string& file) {
    SCOPED_TRACE(file);
    const std::vector<ParsedElement> peer = opensslParse(file);
    ASSERT_FALSE(peer.empty()) << "openssl cannot parse " << file;
    const Result dumped = runTool({"dump", "--no-encapsulated", file});
    ASSERT_EQ(dumped.status, 0) << dumped.err;
    EXPECT_EQ(dumped.err, "");
    const std::vector<DumpLine> printed = dumpLines(dumped.out);
    ASSERT_EQ(printed.size(), peer.size()) << dumped.out;
    for (std::size_t i = 0; i < peer.size(); ++i) {
        SCOPED_TRACE("element " + std::to_string(i) + ": " + printed[i].text);
        EXPECT_EQ(printed[i].offset, peer[i].offset);
        EXPECT_EQ(printed[i].headerLength, peer[i].headerLength);
        EXPECT_EQ(printed[i].length, peer[i].length);
        EXPECT_EQ(printed[i].depth, peer[i].depth);
        EXPECT_EQ(printed[i].text.rfind(expectedTypeStart(peer[i]), 0), 0u) << "expected " << peer[i].type;
        if (peer[i].type == "UTF8STRING" || peer[i].type == "PRINTABLESTRING" || peer[i].type == "UTCTIME") {
            EXPECT_NE(printed[i].text.find("\"" + peer[i].value + "\""), std::string::npos) << peer[i].value;
        }
    }
}

// OpenSSL-made files of every common kind, in a scratch folder.
class OpenSSLFiles : public testing::Test {
  protected:
    void SetUp() override {
        if (!haveProgram("openssl")) GTEST_SKIP() << "openssl is not installed";
        const Result made = runShell(
            "cd " + shellQuote(dir_.path("").string()) +
            " && openssl req -x509 -new -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 30"
            " -subj '/CN=Test CA/O=Tool Tests' -addext 'subjectAltName=DNS:a.example,IP:10.1.2.3'"
            " -keyout ca.key -out ca.pem 2>/dev/null"
            " && openssl x509 -in ca.pem -outform DER -out cert.der"
            " && openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:1024 -outform DER -out rsa.der 2>/dev/null"
            " && openssl pkcs8 -topk8 -nocrypt -inform DER -in rsa.der -outform DER -out p8.der"
            " && openssl ec -in ca.key -outform DER -out ec.der 2>/dev/null"
            " && openssl req -new -key ca.key -subj /CN=request.example -outform DER -out csr.der"
            " && printf 'R\\t301231000000Z\\t261201000000Z,keyCompromise\\t0A\\tunknown\\t/CN=revoked\\n' > index.txt"
            " && echo 01 > crlnumber"
            " && printf '[ca]\\ndefault_ca=d\\n[d]\\ndatabase=index.txt\\ncrlnumber=crlnumber\\n"
            "default_md=sha256\\ndefault_crl_days=30\\n' > ca.cnf"
            " && openssl ca -config ca.cnf -gencrl -keyfile ca.key -cert ca.pem -out crl.pem 2>/dev/null"
            " && openssl crl -in crl.pem -outform DER -out crl.der"
            " && echo content > content.txt"
            " && openssl cms -sign -in content.txt -signer ca.pem -inkey ca.key -nodetach -outform DER -out cms.der"
            " && openssl cms -sign -in content.txt -signer ca.pem -inkey ca.key -nodetach -stream -indef"
            " -outform DER -out cms.ber");
        ASSERT_EQ(made.status, 0) << made.err;
    }
    std::string path(const std::string& name) const { return dir_.path(name).string(); }

    TempDir dir_;
};

TEST_F(OpenSSLFiles, EveryElementMatchesOpenSSLParse) {
    expectElementsMatchOpenSSL(sampleDER());
    for (const char* name : {"cert.der", "rsa.der", "p8.der", "ec.der", "csr.der", "crl.der", "cms.der", "cms.ber"})
        expectElementsMatchOpenSSL(path(name));
}

// The elements inside an OCTET STRING are where OpenSSL finds them when told to parse the string,
// with offsets counted from the start of the input.
TEST_F(OpenSSLFiles, EncapsulatedElementsMatchOpenSSLStrparse) {
    const Result dumped = runTool({"dump", path("p8.der")});
    ASSERT_EQ(dumped.status, 0) << dumped.err;
    const std::vector<DumpLine> printed = dumpLines(dumped.out);
    std::size_t string = 0;
    while (string < printed.size() && printed[string].text != "OCTET STRING, encapsulates:") ++string;
    ASSERT_LT(string, printed.size()) << dumped.out;
    const std::vector<ParsedElement> inner =
        opensslParse(path("p8.der"), "-strparse " + std::to_string(printed[string].offset));
    ASSERT_EQ(inner.size(), 10u);  // SEQUENCE and the nine INTEGERs of an RSA private key
    const std::uint64_t base = printed[string].offset + printed[string].headerLength;
    for (std::size_t i = 0; i < inner.size(); ++i) {
        const DumpLine& line = printed.at(string + 1 + i);
        EXPECT_EQ(line.offset, base + inner[i].offset);
        EXPECT_EQ(line.length, inner[i].length);
        EXPECT_EQ(line.depth, printed[string].depth + 1 + inner[i].depth);
    }
}

// The JSON document parses with Python's json module and holds the same elements as the text, with
// the members its schema promises.
TEST_F(OpenSSLFiles, JsonParsesAndHoldsTheSameElements) {
    if (!haveProgram("python3")) GTEST_SKIP() << "python3 is not installed";
    const std::string script = dir_.file("flatten.py",
                                         "import json, sys\n"
                                         "def walk(nodes):\n"
                                         "    for n in nodes:\n"
                                         "        assert n['class'] in ('universal', 'application', 'context', 'private')\n"
                                         "        assert ('children' in n) == n['constructed']\n"
                                         "        length = 'inf' if n['length'] is None else n['length']\n"
                                         "        print(n['offset'], n['header_length'], length, n['depth'], n['type'])\n"
                                         "        walk(n.get('encapsulated', []))\n"
                                         "        walk(n.get('children', []))\n"
                                         "walk(json.load(sys.stdin))\n");
    for (const char* name : {"cert.der", "crl.der", "cms.ber"}) {
        SCOPED_TRACE(name);
        const Result json = runTool({"dump", "--json", path(name)});
        ASSERT_EQ(json.status, 0) << json.err;
        const Result flat = runShell("python3 " + shellQuote(script), json.out);
        ASSERT_EQ(flat.status, 0) << flat.err;
        std::vector<std::string> expected;
        for (const DumpLine& line : dumpLines(runTool({"dump", path(name)}).out)) {
            if (line.text == "end-of-contents") continue;
            expected.push_back(std::to_string(line.offset) + " " + std::to_string(line.headerLength) + " " +
                               (line.length < 0 ? "inf" : std::to_string(line.length)) + " " +
                               std::to_string(line.depth) + " ");
        }
        const std::vector<std::string> got = lines(flat.out);
        ASSERT_EQ(got.size(), expected.size()) << flat.out;
        for (std::size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i].rfind(expected[i], 0), 0u) << got[i];
    }
}

TEST(DumpCommand, PEMGivesTheSameTreeAsDERAndBundlesShowEveryBlock) {
    const Result fromDER = runTool({"dump", sampleDER()});
    ASSERT_EQ(fromDER.status, 0) << fromDER.err;
    const std::string pemHeading = "PEM block 1, CERTIFICATE:\n";
    EXPECT_EQ(runTool({"dump", samplePEM()}).out, pemHeading + fromDER.out);
    EXPECT_EQ(runTool({"dump"}, readFile(samplePEM())).out, pemHeading + fromDER.out);
    EXPECT_EQ(runTool({"dump", "-"}, readFile(sampleDER())).out, fromDER.out);
    // A bundle with text between its blocks: each block from offset 0 of its own data.
    const std::string bundle = readFile(samplePEM()) + "text between blocks\n" + readFile(samplePEM());
    const Result both = runTool({"dump"}, bundle);
    ASSERT_EQ(both.status, 0) << both.err;
    EXPECT_EQ(both.out, pemHeading + fromDER.out + "PEM block 2, CERTIFICATE:\n" + fromDER.out);
    const Result afterText = runTool({"dump", "--inform", "pem"}, "Certificate:\n  text first\n" + readFile(samplePEM()));
    EXPECT_EQ(afterText.out, pemHeading + fromDER.out);
}

TEST(DumpCommand, ConcatenatedElementsOfEveryClass) {
    // [APPLICATION 1] { BOOLEAN }, [PRIVATE 3] primitive, [2] "example", then BER after DER.
    const std::string input = fromHex("61 03 01 01 FF  C3 01 01  82 07 65 78 61 6D 70 6C 65  30 80 05 00 00 00");
    const Result dumped = runTool({"dump"}, input);
    ASSERT_EQ(dumped.status, 0) << dumped.err;
    const std::vector<std::string> expected = {"[APPLICATION 1]", "  BOOLEAN TRUE", "[PRIVATE 3] 01",
                                               "[2] \"example\"",  "SEQUENCE",       "  NULL",
                                               "  end-of-contents"};
    EXPECT_EQ(dumpTexts(dumped.out), expected);
    const std::vector<DumpLine> numbers = dumpLines(dumped.out);
    ASSERT_EQ(numbers.size(), expected.size());
    EXPECT_EQ(numbers[4].offset, 17u);
    EXPECT_EQ(numbers[4].length, -1);
    const Result json = runTool({"dump", "--json"}, fromHex("C3 01 01"));
    EXPECT_EQ(json.out,
              "[\n{\"offset\":0,\"depth\":0,\"header_length\":2,\"length\":1,\"class\":\"private\",\"tag\":3,"
              "\"constructed\":false,\"type\":null,\"value\":\"01\"}\n]\n");
}

// One value made by `openssl asn1parse -genstr` and the element text it must print as.
struct GeneratedValue {
    std::string generator;
    std::vector<std::string> expected;  // the element texts of the dump
};

void PrintTo(const GeneratedValue& value, std::ostream* out) {
    *out << value.generator;
}

class DumpOfGeneratedValue : public testing::TestWithParam<GeneratedValue> {};

TEST_P(DumpOfGeneratedValue, PrintsTypeAndValue) {
    if (!haveProgram("openssl")) GTEST_SKIP() << "openssl is not installed";
    TempDir dir;
    const std::string file = dir.path("value.der").string();
    const Result made = runShell("openssl asn1parse -genstr " + shellQuote(GetParam().generator) + " -out " +
                                 shellQuote(file) + " > /dev/null");
    ASSERT_EQ(made.status, 0) << made.err;
    const Result dumped = runTool({"dump", file});
    EXPECT_EQ(dumped.status, 0) << dumped.err;
    EXPECT_EQ(dumpTexts(dumped.out), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, DumpOfGeneratedValue,
    testing::Values(
        GeneratedValue{"INTEGER:65537", {"INTEGER 65537"}}, GeneratedValue{"INTEGER:-129", {"INTEGER -129"}},
        GeneratedValue{"INTEGER:0x10000000000000000", {"INTEGER"}},
        GeneratedValue{"BOOLEAN:FALSE", {"BOOLEAN FALSE"}}, GeneratedValue{"NULL", {"NULL"}},
        GeneratedValue{"OID:2.999.3", {"OBJECT IDENTIFIER 2.999.3"}},
        GeneratedValue{"ENUMERATED:3", {"ENUMERATED 3"}},
        GeneratedValue{"FORMAT:UTF8,UTF8String:Grüße", {"UTF8String \"Grüße\""}},
        GeneratedValue{"IA5STRING:a\"b\\c", {"IA5String \"a\\\"b\\\\c\""}},
        GeneratedValue{"FORMAT:UTF8,BMPSTRING:Grüße", {"BMPString \"Grüße\""}},
        GeneratedValue{"UTCTIME:991231235959Z", {"UTCTime \"991231235959Z\" (1999-12-31T23:59:59Z)"}},
        GeneratedValue{"UTCTIME:2612072154+0130", {"UTCTime \"2612072154+0130\" (2026-12-07T21:54+01:30)"}},
        GeneratedValue{"GENTIME:20240229120000.25Z", {"GeneralizedTime \"20240229120000.25Z\" (2024-02-29T12:00:00.25Z)"}},
        GeneratedValue{"FORMAT:HEX,OCTETSTRING:DEADBEEF", {"OCTET STRING DE AD BE EF"}},
        GeneratedValue{"FORMAT:HEX,OCTETSTRING:020105", {"OCTET STRING, encapsulates:", "  INTEGER 5"}},
        GeneratedValue{"FORMAT:HEX,BITSTRING:0A0B", {"BIT STRING (0 unused bits) 0A 0B"}},
        GeneratedValue{"EXPLICIT:40,NULL", {"[40]", "  NULL"}},
        GeneratedValue{"IMPLICIT:7,FORMAT:HEX,OCTETSTRING:C0000207", {"[7] C0 00 02 07"}}));

TEST(DumpCommand, NamesOfIdentifiersAndTimesInBothOutputs) {
    TempDir dir;
    const std::string names = dir.file("names.txt", "# local names\n1.3.6.1.4.1.99999.1 example arc\n");
    const std::string input = der(0x30, fromHex("06 03 55 04 03  06 09 2B 06 01 04 01 86 8D 1F 01") +
                                             der(0x17, "261207215440Z"));
    const Result text = runTool({"dump", "--oids", names}, input);
    ASSERT_EQ(text.status, 0) << text.err;
    const std::vector<std::string> expected = {"SEQUENCE", "  OBJECT IDENTIFIER 2.5.4.3 (commonName)",
                                               "  OBJECT IDENTIFIER 1.3.6.1.4.1.99999.1 (example arc)",
                                               "  UTCTime \"261207215440Z\" (2026-12-07T21:54:40Z)"};
    EXPECT_EQ(dumpTexts(text.out), expected);
    EXPECT_EQ(dumpTexts(runTool({"dump"}, input).out).at(2), "  OBJECT IDENTIFIER 1.3.6.1.4.1.99999.1");
    const Result json = runTool({"dump", "--json", "--oids", names}, input);
    EXPECT_NE(json.out.find("\"value\":\"2.5.4.3\",\"name\":\"commonName\""), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"name\":\"example arc\""), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"value\":\"261207215440Z\",\"iso\":\"2026-12-07T21:54:40Z\""), std::string::npos);
}

TEST(DumpCommand, OctetsThatAreNoValidTextOrTime) {
    const std::string input = der(0x0C, "A\xFF" "B") + der(0x16, "A\xE9") + der(0x17, "261307215440Z") +
                              der(0x18, "20230229120000Z") + der(0x1E, std::string("\xD8\x00", 2));
    const Result dumped = runTool({"dump"}, input);
    ASSERT_EQ(dumped.status, 0) << dumped.err;
    const std::vector<std::string> expected = {"UTF8String \"A\\xFFB\"", "IA5String \"A\\xE9\"",
                                               "UTCTime \"261307215440Z\" (not a valid time)",
                                               "GeneralizedTime \"20230229120000Z\" (not a valid time)",
                                               "BMPString \"\\uD800\""};
    EXPECT_EQ(dumpTexts(dumped.out), expected);
    const Result json = runTool({"dump", "--json"}, input.substr(0, 5));
    EXPECT_NE(json.out.find("\"value\":\"A\xEF\xBF\xBD" "B\""), std::string::npos) << json.out;
}

TEST(DumpCommand, LongValuesInHexWrappedToTheWidth) {
    TempDir dir;
    const std::string contents = randomOctets(300, 7);
    const std::string file = dir.file("long.der", der(0x04, contents) + der(0x02, "\x7F" + contents));
    const auto hexOf = [](const std::string& out, std::size_t width) {
        std::string hex;
        for (const std::string& line : lines(out)) {
            EXPECT_LE(line.size(), width) << line;
            const std::size_t colon = line.find(": ");
            if (line.find_first_not_of(' ') == colon && line.find("...") == std::string::npos)
                hex += line.substr(colon + 2);
        }
        return fromHex(hex);
    };
    const Result cut = runShell("COLUMNS=60 " + shellQuote(zcodersPath()) + " dump " + shellQuote(file));
    ASSERT_EQ(cut.status, 0) << cut.err;
    // Without --full a string shows its first 96 octets; an INTEGER shows all of them.
    EXPECT_EQ(hexOf(cut.out, 60), contents.substr(0, 96) + "\x7F" + contents);
    EXPECT_NE(cut.out.find("... 204 more octets"), std::string::npos);
    const Result full = runShell("COLUMNS=100 " + shellQuote(zcodersPath()) + " dump --full " + shellQuote(file));
    EXPECT_EQ(hexOf(full.out, 100), contents + "\x7F" + contents);
}

// Located reports: "zcoders: FILE: offset N: MESSAGE [error NUMBER, OPERATION]", and the tree up to
// the failing element still printed.
struct LocatedCase {
    std::string name;
    std::string input;
    std::string report;  // the whole first line after "zcoders: standard input: "
    std::size_t linesBefore;  // element lines printed before the failure
};

void PrintTo(const LocatedCase& value, std::ostream* out) {
    *out << value.name;
}

class DumpOfBadInput : public testing::TestWithParam<LocatedCase> {};

TEST_P(DumpOfBadInput, NamesTheOffsetAndTheFault) {
    const Result result = runTool({"dump"}, GetParam().input);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "zcoders: standard input: " + GetParam().report + "\n");
    EXPECT_EQ(dumpLines(result.out).size(), GetParam().linesBefore) << result.out;
}

std::string deeplyTagged(int levels) {
    std::string element = fromHex("02 01 05");
    for (int i = 0; i < levels; ++i) element = fromHex("A0 80") + element + fromHex("00 00");
    return element;
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, DumpOfBadInput,
    testing::Values(
        LocatedCase{"Empty", "", "offset 0: the input holds no data [error 13, zcoders dump]", 0},
        LocatedCase{"ContentsCutShort", fromHex("30 80 02 01 05 03 82 01 0E 00 41"),
                    "offset 5: the BIT STRING at offset 5 needs 270 contents octets, the input ends after 2 "
                    "[error 26, zcoders dump]",
                    2},
        LocatedCase{"TrailingOctets", fromHex("02 01 05 04"),
                    "offset 3: the octets from offset 3 on, after the last element, form no element: the input "
                    "ends inside the length octets of the OCTET STRING at offset 3 [error 26, zcoders dump]",
                    1},
        LocatedCase{"PastItsParent", fromHex("30 03 02 02 05 07"),
                    "offset 2: the INTEGER at offset 2 ends at offset 6, past the end of the SEQUENCE at offset 0, "
                    "which ends at offset 5 [error 28, zcoders dump]",
                    1},
        LocatedCase{"NoEndOfContents", fromHex("30 80 02 01 05"),
                    "offset 0: the SEQUENCE at offset 0 has the indefinite length, and the input ends at offset 5 "
                    "before its end-of-contents octets [error 26, zcoders dump]",
                    2},
        LocatedCase{"PrimitiveIndefinite", fromHex("04 80 00 00"),
                    "offset 0: the OCTET STRING at offset 0 is primitive but has the indefinite length "
                    "[error 20, zcoders dump]",
                    0},
        LocatedCase{"HugeLength", fromHex("04 89 01 00 00 00 00 00 00 00 00"),
                    "offset 0: the OCTET STRING at offset 0 has a length beyond 2^63 - 1 [error 27, zcoders dump]", 0},
        LocatedCase{"BadBoolean", fromHex("30 03 01 01 05"),
                    "offset 2: the BOOLEAN at offset 2: BOOLEAN contents must be one octet, 00 for FALSE or FF for "
                    "TRUE [error 8, DERCoder::decodeBoolean(ASN1Boolean, char*)]",
                    1},
        LocatedCase{"DeeplyTagged", deeplyTagged(300),
                    "offset 512: elements nest more than 256 levels deep [error 102, zcoders dump]", 256}),
    [](const testing::TestParamInfo<LocatedCase>& info) { return info.param.name; });

TEST(DumpCommand, FileFailuresAreNotDataFailures) {
    const Result missing = runTool({"dump", "/nonexistent/zcoders-input"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "zcoders: cannot open /nonexistent/zcoders-input: No such file or directory\n");
    const Result folder = runTool({"dump", "/"});
    EXPECT_EQ(folder.status, 1);
    EXPECT_EQ(folder.err, "zcoders: cannot read /: Is a directory\n");
    const Result full = runShell(shellQuote(zcodersPath()) + " dump " + shellQuote(sampleDER()) + " > /dev/full");
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.err, "zcoders: cannot write standard output: No space left on device\n");
    const Result pem = runTool({"dump"}, "\n-----BEGIN CERTIFICATE-----\nMIIB\n");
    EXPECT_EQ(pem.status, 1);
    EXPECT_EQ(pem.err,
              "zcoders: standard input: offset 1: the PEM block CERTIFICATE has no END line [error 101, zcoders dump]\n");
}

// Reports of the other commands: status 1, nothing on standard output, and a report whose first line
// names the failure, the others its causes.
class OtherCommandsOfBadInput : public testing::TestWithParam<BadInput> {};

TEST_P(OtherCommandsOfBadInput, FailWithOneClearLine) {
    const Result result = runTool(GetParam().arguments, GetParam().input);
    ASSERT_NO_FATAL_FAILURE(expectErrorReport(result, GetParam().reportPart));
    EXPECT_EQ(result.out, "");
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, OtherCommandsOfBadInput,
    testing::Values(BadInput{"ReencodeTruncated", {"reencode"}, fromHex("30 03 02 01"), "error"},
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
