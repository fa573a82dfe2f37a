// walk, wrap and unwrap: BER and DER read and written element by element.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ToolTestSupport.h"

namespace zcoders_test {
namespace {

// Identifier octets of a constructed context-specific tag [n].
std::string contextTag(unsigned int n) {
    if (n < 31) return std::string(1, static_cast<char>(0xA0 | n));
    std::string digits;
    for (unsigned int rest = n; rest; rest >>= 7)
        digits.insert(digits.begin(), static_cast<char>((rest & 0x7F) | (digits.empty() ? 0 : 0x80)));
    return "\xBF" + digits;
}

// The segments of a run of primitive OCTET STRINGs with definite lengths, up to the first 00 00.
struct Segments {
    std::vector<std::string> contents;
    std::size_t end = 0;  // where the end-of-contents octets start
};
Segments readSegments(const std::string& octets, std::size_t at) {
    Segments segments;
    while (at + 2 <= octets.size() && !(octets[at] == 0 && octets[at + 1] == 0)) {
        EXPECT_EQ(static_cast<unsigned char>(octets[at]), 0x04) << "segment identifier at " << at;
        std::size_t length = static_cast<unsigned char>(octets[at + 1]);
        std::size_t header = 2;
        if (length & 0x80) {
            const std::size_t count = length & 0x7F;
            length = 0;
            for (std::size_t i = 0; i < count; ++i)
                length = length * 256 + static_cast<unsigned char>(octets[at + 2 + i]);
            header += count;
        }
        segments.contents.push_back(octets.substr(at + header, length));
        at += header + length;
    }
    segments.end = at;
    return segments;
}

enum class Tagging { None, Explicit, Implicit };

struct WrapCase {
    std::size_t size;
    Tagging tagging;
    unsigned int tag;
};

void PrintTo(const WrapCase& c, std::ostream* out) {
    *out << c.size << " octets, "
         << (c.tagging == Tagging::None       ? "untagged"
             : c.tagging == Tagging::Explicit ? "explicit"
                                              : "implicit")
         << " " << c.tag;
}

class WrapRoundTrip : public testing::TestWithParam<WrapCase> {};

TEST_P(WrapRoundTrip, StreamedFormWalkAndUnwrap) {
    const WrapCase& c = GetParam();
    TempDir dir;
    const std::string data = randomOctets(c.size, c.size + c.tag);
    const std::string input = dir.file("data.bin", data);
    std::vector<std::string> arguments = {"wrap"};
    if (c.tagging == Tagging::Explicit)
        arguments.insert(arguments.end(), {"--explicit", std::to_string(c.tag)});
    if (c.tagging == Tagging::Implicit)
        arguments.insert(arguments.end(), {"--implicit", std::to_string(c.tag)});
    arguments.push_back(input);
    const Result wrapped = runTool(arguments);
    ASSERT_EQ(wrapped.status, 0) << wrapped.err;
    EXPECT_EQ(wrapped.err, "");

    // Header, segments, end-of-contents.
    std::string header;
    if (c.tagging == Tagging::None) header = fromHex("24 80");
    if (c.tagging == Tagging::Explicit) header = contextTag(c.tag) + fromHex("80 24 80");
    if (c.tagging == Tagging::Implicit) header = contextTag(c.tag) + fromHex("80");
    ASSERT_EQ(toHex(wrapped.out.substr(0, header.size())), toHex(header));
    const Segments segments = readSegments(wrapped.out, header.size());
    std::string joined;
    for (const std::string& segment : segments.contents) joined += segment;
    EXPECT_EQ(joined, data);
    const std::size_t endLength = c.tagging == Tagging::Explicit ? 4 : 2;
    EXPECT_EQ(toHex(wrapped.out.substr(segments.end)), std::string(2 * endLength, '0'));

    // OpenSSL reads the same segments.
    if (haveProgram("openssl")) {
        const std::string file = dir.file("wrapped.ber", wrapped.out);
        std::size_t peerOctets = 0;
        std::size_t peerSegments = 0;
        for (const ParsedElement& element : opensslParse(file)) {
            if (element.type == "OCTET STRING" && !element.constructed) {
                peerOctets += static_cast<std::size_t>(element.length);
                ++peerSegments;
            }
        }
        EXPECT_EQ(peerOctets, data.size());
        EXPECT_EQ(peerSegments, segments.contents.size());
    }

    // walk reports the octets and segments; unwrap gives the data back.
    const std::string file = dir.file("wrapped.ber", wrapped.out);
    const Result walked = runTool({"walk", file});
    ASSERT_EQ(walked.status, 0) << walked.err;
    const std::vector<std::string> report = lines(walked.out);
    ASSERT_FALSE(report.empty());
    // An implicitly tagged string is shown as its tag around the segments.
    if (c.tagging == Tagging::Implicit) {
        EXPECT_EQ(report[0], "0 0 [" + std::to_string(c.tag) + "] constructed (indefinite length)");
        EXPECT_EQ(report.size(), 1 + segments.contents.size()) << walked.out;
    } else {
        const std::string summary = std::to_string(data.size()) +
                                    (data.size() == 1 ? " octet in " : " octets in ") +
                                    std::to_string(segments.contents.size()) +
                                    (segments.contents.size() == 1 ? " segment" : " segments");
        EXPECT_EQ(report.back().substr(report.back().size() - summary.size()), summary) << walked.out;
        EXPECT_EQ(report.size(), c.tagging == Tagging::Explicit ? 2u : 1u) << walked.out;
    }
    const Result unwrapped = runTool({"unwrap", file});
    ASSERT_EQ(unwrapped.status, 0) << unwrapped.err;
    EXPECT_EQ(unwrapped.out, data);
    // The same through standard input.
    EXPECT_EQ(runTool({"unwrap"}, wrapped.out).out, data);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, WrapRoundTrip,
    testing::Values(WrapCase{0, Tagging::None, 0}, WrapCase{1, Tagging::None, 0},
                    WrapCase{100, Tagging::None, 0}, WrapCase{65536, Tagging::None, 0},
                    WrapCase{200001, Tagging::None, 0}, WrapCase{100, Tagging::Explicit, 0},
                    WrapCase{70000, Tagging::Explicit, 5}, WrapCase{100, Tagging::Explicit, 31},
                    WrapCase{10, Tagging::Implicit, 1}, WrapCase{70000, Tagging::Implicit, 7},
                    WrapCase{10, Tagging::Implicit, 200}, WrapCase{0, Tagging::Implicit, 2}));

TEST(WalkCommand, SampleCertificateMatchesOpenSSLParseAsTextAndJSON) {
    if (!haveProgram("openssl") || !haveProgram("python3"))
        GTEST_SKIP() << "openssl or python3 is not installed";
    const std::vector<ParsedElement> peer = opensslParse(sampleDER());
    const Result walked = runTool({"walk", sampleDER()});
    ASSERT_EQ(walked.status, 0) << walked.err;
    const std::vector<std::string> report = lines(walked.out);
    ASSERT_EQ(report.size(), peer.size());
    const Result json = runShell(
        "python3 -c 'import json, sys\nfor line in sys.stdin: "
        "e = json.loads(line); print(e[\"offset\"], e[\"depth\"], e[\"header_length\"], "
        "e[\"length\"], e[\"constructed\"])'",
        runTool({"walk", "--json", sampleDER()}).out);
    ASSERT_EQ(json.status, 0) << json.err;
    const std::vector<std::string> objects = lines(json.out);
    ASSERT_EQ(objects.size(), peer.size());
    for (std::size_t i = 0; i < peer.size(); ++i) {
        SCOPED_TRACE(report[i]);
        EXPECT_EQ(
            report[i].rfind(std::to_string(peer[i].offset) + " " + std::to_string(peer[i].depth) + " ", 0),
            0u);
        EXPECT_NE(report[i].find("(" + std::to_string(peer[i].length) +
                                 (peer[i].length == 1 ? " octet)" : " octets)")),
                  std::string::npos);
        EXPECT_EQ(objects[i], std::to_string(peer[i].offset) + " " + std::to_string(peer[i].depth) + " " +
                                  std::to_string(peer[i].headerLength) + " " +
                                  std::to_string(peer[i].length) + " " +
                                  (peer[i].constructed ? "True" : "False"));
    }
}

struct WalkCase {
    std::string name;
    std::string input;
    std::vector<std::string> expected;
};

void PrintTo(const WalkCase& c, std::ostream* out) {
    *out << c.name;
}

class WalkOfHandMadeInput : public testing::TestWithParam<WalkCase> {};

TEST_P(WalkOfHandMadeInput, OneLinePerElement) {
    const Result walked = runTool({"walk"}, fromHex(GetParam().input));
    EXPECT_EQ(walked.status, 0) << walked.err;
    EXPECT_EQ(walked.err, "");
    EXPECT_EQ(lines(walked.out), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, WalkOfHandMadeInput,
    testing::Values(
        WalkCase{"IndefiniteSequence",
                 "30 80 02 01 05 24 80 04 01 41 04 02 42 43 00 00 A1 80 02 01 07 00 00 A2 03 01 01 FF 00 00",
                 {"0 0 SEQUENCE (indefinite length)", "2 1   INTEGER (1 octet): 5",
                  "5 1   OCTET STRING constructed (indefinite length): 3 octets in 2 segments",
                  "16 1   [1] constructed (indefinite length)", "18 2     INTEGER (1 octet): 7",
                  "23 1   [2] constructed (3 octets)", "25 2     BOOLEAN (1 octet): TRUE"}},
        WalkCase{"TaggedElementsOfEveryClass",
                 "7F 21 80 A3 05 04 03 41 42 43 DF 22 01 AA 00 00 82 03 41 42 43",
                 {"0 0 [APPLICATION 33] constructed (indefinite length)", "3 1   [3] constructed (5 octets)",
                  "5 2     OCTET STRING (3 octets): 3 octets in 1 segment",
                  "10 1   [PRIVATE 34] primitive (1 octet): AA", "16 0 [2] primitive (3 octets): 41 42 43"}},
        WalkCase{"EmptyTags",
                 "A4 00 A4 80 00 00",
                 {"0 0 [4] constructed (0 octets)", "2 0 [4] constructed (indefinite length)"}},
        WalkCase{"EmptyConstructedString",
                 "24 00",
                 {"0 0 OCTET STRING constructed (0 octets): 0 octets in 0 segments"}},
        WalkCase{"BitStringAndText",
                 "03 03 00 0A 0B 0C 02 68 69",
                 {"0 0 BIT STRING (3 octets), 0 unused bits, 2 octets: 0A 0B",
                  "5 0 UTF8String (2 octets): \"hi\""}},
        WalkCase{"NestedDefinite",
                 "30 09 31 07 06 03 2A 03 04 05 00",
                 {"0 0 SEQUENCE (9 octets)", "2 1   SET (7 octets)",
                  "4 2     OBJECT IDENTIFIER (3 octets): 1.2.3.4", "9 2     NULL (0 octets)"}}),
    [](const testing::TestParamInfo<WalkCase>& info) { return info.param.name; });

class StreamingOfBadInput : public testing::TestWithParam<BadInput> {};

TEST_P(StreamingOfBadInput, FailsWithOneClearLine) {
    expectErrorReport(runTool(GetParam().arguments, GetParam().input), GetParam().reportPart);
}

std::string nestedIndefinite(int levels) {
    std::string octets;
    for (int i = 0; i < levels; ++i) octets += fromHex("30 80");
    octets += fromHex("05 00");
    for (int i = 0; i < levels; ++i) octets += fromHex("00 00");
    return octets;
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, StreamingOfBadInput,
    testing::Values(
        BadInput{"WalkMissingEndOfContents", {"walk"}, fromHex("30 80 02 01 05"), "end-of-contents"},
        BadInput{"WalkTruncatedElement", {"walk"}, fromHex("30 05 02 01 05 02"), "error"},
        BadInput{"WalkTruncatedString", {"walk"}, fromHex("24 80 04 05 41 42"), "offset 2: the contents end"},
        BadInput{"WalkComponentPastItsSequence", {"walk"}, fromHex("30 03 02 05 01 02 03 04 05"), "error 28"},
        BadInput{"WalkLengthBeyond63Bits", {"walk"}, fromHex("04 88 80 00 00 00 00 00 00 00"), "error 27"},
        BadInput{"WalkDeepNesting", {"walk"}, nestedIndefinite(1000), "nest"},
        BadInput{"WalkTrailingOctet", {"walk"}, fromHex("02 01 05 30"), "error"},
        BadInput{"UnwrapInteger", {"unwrap"}, fromHex("02 01 05"), "INTEGER, not an OCTET STRING"},
        BadInput{"UnwrapSequence", {"unwrap"}, fromHex("30 03 02 01 05"), "SEQUENCE, not an OCTET STRING"},
        BadInput{
            "UnwrapExplicitInteger", {"unwrap"}, fromHex("A0 03 02 01 05"), "[0] around INTEGER, not an"},
        BadInput{"UnwrapEmpty", {"unwrap"}, "", "error"},
        BadInput{"UnwrapTruncated", {"unwrap"}, fromHex("24 80 04 02 41 42 04 05 43"), "error"}),
    [](const testing::TestParamInfo<BadInput>& info) { return info.param.name; });

TEST(UnwrapCommand, OctetStringsMadeByOpenSSL) {
    if (!haveProgram("openssl")) GTEST_SKIP() << "openssl is not installed";
    const std::string contents = "zentrik unwrap test";
    const std::string hex = toHex(contents);
    for (const std::string& generator :
         {"FORMAT:HEX,OCTETSTRING:" + hex, "EXPLICIT:0,FORMAT:HEX,OCTETSTRING:" + hex,
          "IMPLICIT:3,FORMAT:HEX,OCTETSTRING:" + hex, "EXPLICIT:45,FORMAT:HEX,OCTETSTRING:" + hex}) {
        TempDir dir;
        const std::string file = dir.path("string.der").string();
        const Result made = runShell("openssl asn1parse -genstr " + shellQuote(generator) + " -out " +
                                     shellQuote(file) + " >/dev/null");
        ASSERT_EQ(made.status, 0) << made.err;
        const Result unwrapped = runTool({"unwrap", file});
        EXPECT_EQ(unwrapped.status, 0) << generator << ": " << unwrapped.err;
        EXPECT_EQ(unwrapped.out, contents) << generator;
    }
}

TEST(UnwrapCommand, LongPrimitiveStrings) {
    // Beyond one piece of the implicit reader, and a plain DER string of the same size.
    const std::string data = randomOctets(200000, 3);
    EXPECT_EQ(runTool({"unwrap"}, der(0x04, data)).out, data);
    EXPECT_EQ(runTool({"unwrap"}, der(0x85, data)).out, data);
    EXPECT_EQ(runTool({"unwrap"}, der(0xA5, der(0x04, data))).out, data);
    EXPECT_EQ(runTool({"unwrap", "--path", "1"}, der(0x30, der(0x02, "\x05") + der(0x04, data))).out, data);
    const Result walked = runTool({"walk"}, der(0x85, data));
    EXPECT_EQ(lines(walked.out), std::vector<std::string>{"0 0 [5] primitive (200000 octets)"});
}

}  // namespace
}  // namespace zcoders_test
