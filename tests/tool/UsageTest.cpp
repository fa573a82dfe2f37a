// The command line itself: help, version, usage errors, and no crash on any input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ToolTestSupport.h"

namespace zcoders_test {
namespace {

const std::vector<std::string> kCommands = {"dump",   "reencode", "component", "walk", "wrap",
                                            "unwrap", "base64",   "qp",        "url",  "code"};

TEST(Usage, HelpForTheToolAndEveryCommand) {
    const Result tool = runTool({"--help"});
    EXPECT_EQ(tool.status, 0);
    EXPECT_NE(tool.out.find("Usage: zcoders"), std::string::npos) << tool.out;
    for (const std::string& command : kCommands) {
        EXPECT_NE(tool.out.find(command), std::string::npos) << command;
        const Result help = runTool({command, "--help"});
        EXPECT_EQ(help.status, 0) << command;
        EXPECT_NE(help.out.find("Usage:"), std::string::npos) << command << ": " << help.out;
        EXPECT_NE(help.out.find(command), std::string::npos) << command;
        EXPECT_EQ(help.err, "") << command;
    }
    EXPECT_EQ(runTool({"url", "encode", "--help"}).status, 0);
}

TEST(Usage, Version) {
    const Result version = runTool({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("zcoders ") + ZCODERS_VERSION + "\n");
}

class UsageError : public testing::TestWithParam<std::vector<std::string>> {};

TEST_P(UsageError, ExitsWithTwoAndWritesNothingToStandardOutput) {
    const Result result = runTool(GetParam(), fromHex("02 01 05"));
    ASSERT_TRUE(result.exited);
    EXPECT_EQ(result.status, 2) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_FALSE(result.err.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, UsageError,
    testing::Values(
        std::vector<std::string>{}, std::vector<std::string>{"frobnicate"},
        std::vector<std::string>{"--bogus"}, std::vector<std::string>{"dump", "--bogus"},
        std::vector<std::string>{"dump", "--inform", "xml"}, std::vector<std::string>{"dump", "a", "b"},
        std::vector<std::string>{"reencode", "--to", "cer"}, std::vector<std::string>{"component"},
        std::vector<std::string>{"component", "first"}, std::vector<std::string>{"component", "-1"},
        std::vector<std::string>{"walk", "--ber"}, std::vector<std::string>{"wrap", "--explicit"},
        std::vector<std::string>{"wrap", "--explicit", "x"},
        std::vector<std::string>{"wrap", "--explicit", "1", "--implicit", "2"},
        std::vector<std::string>{"wrap", "--implicit", "4294967296"},
        std::vector<std::string>{"unwrap", "a", "b"}, std::vector<std::string>{"base64"},
        std::vector<std::string>{"base64", "sideways"}, std::vector<std::string>{"qp", "encode", "--crlf"},
        std::vector<std::string>{"url", "mangle"}, std::vector<std::string>{"url", "decode"},
        std::vector<std::string>{"code", "base64"}, std::vector<std::string>{"code", "base64", "up"},
        std::vector<std::string>{"base64", "encode", "--strict"},
        std::vector<std::string>{"qp", "encode", "--strict"},
        std::vector<std::string>{"url", "encode", "--strict", "a=1"}));

// Mangled encodings fed to every command that reads ASN.1 or coded text: the tool ends with 0 or 1,
// never by a signal, and a failure is reported on standard error.
TEST(Robustness, MangledInputsNeverCrash) {
    const std::string certificate = readFile(samplesDir() + "/certificate.der");
    const std::string wrapped = runTool({"wrap", "--explicit", "3"}, randomOctets(3000, 1)).out;
    ASSERT_FALSE(wrapped.empty());
    std::vector<std::string> inputs = {"",
                                       fromHex("00"),
                                       fromHex("FF FF FF FF"),
                                       fromHex("30 84 FF FF FF FF"),
                                       fromHex("24 80 04 84 7F FF FF FF 41"),
                                       fromHex("BF 8F FF FF FF 7F 00"),
                                       fromHex("A0 80 A0 80 A0 80"),
                                       randomOctets(500, 77)};
    for (int i = 0; i < 14; ++i) {
        const std::string& base = i % 2 ? certificate : wrapped;
        std::string mangled = base;
        const std::string noise = randomOctets(8, 1000 + i);
        const std::size_t at = static_cast<unsigned char>(noise[0]) * base.size() / 256;
        switch (i % 4) {
            case 0:
                mangled[at] = static_cast<char>(mangled[at] ^ noise[1]);
                break;  // flip bits
            case 1:
                mangled.resize(at);
                break;  // cut short
            case 2:
                mangled.insert(at, noise);
                break;  // insert octets
            case 3:
                mangled.replace(at, std::min<std::size_t>(4, base.size() - at), "\x84\xFF\xFF\xFF");
                break;
        }
        inputs.push_back(mangled);
    }
    const std::vector<std::vector<std::string>> commands = {{"dump"},
                                                            {"dump", "--ber"},
                                                            {"reencode", "--ber", "--to", "ber"},
                                                            {"component", "1"},
                                                            {"walk"},
                                                            {"unwrap"},
                                                            {"base64", "decode"},
                                                            {"base64", "decode", "--strict"},
                                                            {"qp", "decode"},
                                                            {"qp", "decode", "--strict"}};
    for (std::size_t n = 0; n < inputs.size(); ++n) {
        for (const std::vector<std::string>& command : commands) {
            const Result result = runTool(command, inputs[n]);
            SCOPED_TRACE(command[0] + " on input " + std::to_string(n) + ": " + result.err);
            ASSERT_TRUE(result.exited);
            EXPECT_TRUE(result.status == 0 || result.status == 1);
            if (result.status == 1) {
                EXPECT_EQ(result.err.rfind("zcoders: ", 0), 0u);
                const std::vector<std::string> report = lines(result.err);
                for (std::size_t i = 1; i < report.size(); ++i)
                    EXPECT_EQ(report[i].rfind("  caused by: ", 0), 0u);
            } else {
                EXPECT_EQ(result.err, "");
            }
        }
    }
}

}  // namespace
}  // namespace zcoders_test
