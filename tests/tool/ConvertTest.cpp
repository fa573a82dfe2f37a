// reencode and component on BER: true DER at every depth, component paths, located failures.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ToolTestSupport.h"

namespace zcoders_test {
namespace {

TEST(ReencodeToDER, StreamedCMSBecomesOpenSSLsOwnDERAndStillVerifies) {
    if (!haveProgram("openssl")) GTEST_SKIP() << "openssl is not installed";
    TempDir dir;
    writeFile(dir.path("data.bin"), randomOctets(20000, 7));
    const Result made = runShell(
        "cd " + shellQuote(dir.path("").string()) +
        " && openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -subj /CN=convert -days "
        "2"
        " && openssl cms -sign -stream -binary -nodetach -in data.bin -signer cert.pem -inkey key.pem"
        " -outform DER -out signed.ber && openssl cms -cmsout -inform DER -in signed.ber -outform DER -out "
        "openssl.der");
    ASSERT_EQ(made.status, 0) << made.err;
    ASSERT_EQ(toHex(readFile(dir.path("signed.ber")).substr(0, 2)), "3080");  // indefinite lengths
    const Result converted = runTool({"reencode", dir.path("signed.ber").string()});
    ASSERT_EQ(converted.status, 0) << converted.err;
    EXPECT_EQ(converted.out, readFile(dir.path("openssl.der")));
    writeFile(dir.path("signed.der"), converted.out);
    const Result verified =
        runShell("cd " + shellQuote(dir.path("").string()) +
                 " && openssl cms -verify -binary -inform DER -in signed.der -CAfile cert.pem"
                 " -out out.bin && openssl asn1parse -inform DER -in signed.der > /dev/null");
    EXPECT_EQ(verified.status, 0) << verified.err;
    EXPECT_EQ(readFile(dir.path("out.bin")), readFile(dir.path("data.bin")));
}

TEST(ReencodeToDER, KeepTaggedWritesTaggedContentsAsRead) {
    const std::string ber = fromHex("30 80 A0 80 24 80 04 01 41 00 00 00 00 00 00");
    EXPECT_EQ(toHex(runTool({"reencode"}, ber).out), "3005A003040141");
    EXPECT_EQ(toHex(runTool({"reencode", "--ber", "--keep-tagged"}, ber).out), "300BA080248004014100000000");
}

TEST(ReencodeToDER, FailuresNameTheFileAndTheElementsOffset) {
    TempDir dir;
    const std::string file = dir.file("bad.ber", fromHex("30 80 30 80 01 02 00 00"));
    const Result result = runTool({"reencode", file});
    ASSERT_NO_FATAL_FAILURE(expectErrorReport(result, "error 8"));
    EXPECT_EQ(lines(result.err)[0].rfind("zcoders: " + file + ": offset 4: ", 0), 0u) << result.err;
    expectErrorReport(runTool({"reencode"}, fromHex("30 05 04 09 41")), "standard input: offset 2: ");
}

TEST(ComponentPath, ElementsWhereOpenSSLFindsThem) {
    if (!haveProgram("openssl")) GTEST_SKIP() << "openssl is not installed";
    const std::string certificate = readFile(sampleDER());
    const std::vector<ParsedElement> peer = opensslParse(sampleDER());
    ASSERT_GT(peer.size(), 12u);
    // 0.1 the serial number, 0.2.0 the signature algorithm's OID, 0.3.0.0 the first name attribute.
    for (const auto& [path, index] : std::vector<std::pair<std::string, std::size_t>>{
             {"0.1", 4}, {"0.2.0", 6}, {"0.3.0.0", 10}, {"2", peer.size() - 1}}) {
        const ParsedElement& element = peer[index];
        const Result result = runTool({"component", path, sampleDER()});
        EXPECT_EQ(result.status, 0) << path << ": " << result.err;
        EXPECT_EQ(toHex(result.out),
                  toHex(certificate.substr(element.offset,
                                           element.headerLength + static_cast<std::size_t>(element.length))))
            << path;
    }
}

TEST(ComponentPath, BERApplicationClassAndEncapsulatedContents) {
    const std::string ber =
        fromHex("30 80 61 80 02 01 05 24 80 04 01 41 00 00 00 00 04 04 30 02 05 00 00 00");
    EXPECT_EQ(toHex(runTool({"component", "0.1"}, ber).out), "040141");
    EXPECT_EQ(toHex(runTool({"component", "1"}, ber).out), "040430020500");
    EXPECT_EQ(toHex(runTool({"component", "--encapsulated", "1.0.0"}, ber).out), "0500");
    EXPECT_EQ(toHex(runTool({"component", "--encapsulated", "0"}, fromHex("03 04 00 02 01 07")).out),
              "020107");
    expectErrorReport(runTool({"component", "1.0"}, ber), "offset 16: the OCTET STRING is primitive");
    expectErrorReport(runTool({"component", "0.2"}, ber),
                      "offset 2: the [APPLICATION 1] at offset 2 has 2 components");
    EXPECT_EQ(runTool({"component", "1..2"}, ber).status, 2);
}

TEST(LocatedCommands, AFileThatCannotBeOpenedIsNamed) {
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"walk"}, {"unwrap"}, {"reencode"}, {"component", "0"}}) {
        std::vector<std::string> arguments = command;
        arguments.push_back("/nonexistent/zcoders-input");
        const Result result = runTool(arguments);
        EXPECT_EQ(result.status, 1) << command[0];
        EXPECT_EQ(result.err, "zcoders: cannot open /nonexistent/zcoders-input: No such file or directory\n");
    }
}

}  // namespace
}  // namespace zcoders_test
