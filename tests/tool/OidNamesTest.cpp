// The names of object identifiers: built-in lookups, files that add and override names, bad files,
// a built-in table of well-formed unique keys, and a sample of keys that OpenSSL also knows.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "OidNames.h"
#include "ToolTestSupport.h"

namespace zcoders_test {
namespace {

using zcoders::OidNames;

// The contents octets of an identifier in dotted form: the first two arcs joined, then each arc in
// base 128, most significant group first.
std::string oidContents(const std::string& dotted) {
    std::vector<unsigned long long> arcs;
    for (std::size_t start = 0; start <= dotted.size();) {
        const std::size_t dot = std::min(dotted.find('.', start), dotted.size());
        arcs.push_back(std::stoull(dotted.substr(start, dot - start)));
        start = dot + 1;
    }
    arcs[1] += arcs[0] * 40;
    std::string octets;
    for (std::size_t i = 1; i < arcs.size(); ++i) {
        std::string groups(1, static_cast<char>(arcs[i] & 0x7F));
        for (unsigned long long rest = arcs[i] >> 7; rest != 0; rest >>= 7)
            groups.insert(groups.begin(), static_cast<char>(0x80 | (rest & 0x7F)));
        octets += groups;
    }
    return octets;
}

// What loading `path` throws, or "no failure".
std::string failureOf(const std::string& path) {
    OidNames names;
    try {
        names.load(path);
    } catch (const std::runtime_error& failure) {
        return failure.what();
    }
    return "no failure";
}

// The failure of loading a file holding `text`, with the file's path replaced by "FILE".
std::string loadFailure(const std::string& text) {
    TempDir dir;
    const std::string path = dir.file("names.txt", text);
    std::string report = failureOf(path);
    if (report.rfind(path, 0) == 0) report.replace(0, path.size(), "FILE");
    return report;
}

TEST(OidNames, FindsBuiltInNamesAndNothingForUnknownOnes) {
    const OidNames names;
    EXPECT_EQ(names.find("2.5.4.3"), "commonName");
    EXPECT_EQ(names.find("2.5.29.19"), "basicConstraints");
    EXPECT_EQ(names.find("1.2.840.113549.1.1.11"), "sha256WithRSAEncryption");
    EXPECT_EQ(names.find("1.2.840.10045.3.1.7"), "prime256v1");
    EXPECT_EQ(names.find("1.3.36.3.3.2.8.1.1.13"), "brainpoolP512r1");
    EXPECT_EQ(names.find("1.3.6.1.4.1.311.60.2.1.3"), "jurisdictionOfIncorporationCountryName");
    EXPECT_EQ(names.find("0.9.2342.19200300.100.1.25"), "domainComponent");
    for (const char* unknown : {"2.5.4", "2.5.4.3.0", "2.5.4.03", "1.2.3.4.5", "", "commonName"})
        EXPECT_EQ(names.find(unknown), "") << unknown;
}

TEST(OidNames, LoadedNamesAddAndOverrideAndTheLastLoadWins) {
    TempDir dir;
    OidNames names;
    names.load(
        dir.file("first.txt",
                 "# local names\n\n  \t\n2.5.4.3 Common Name\r\n1.3.6.1.4.1.99999.1\tour private arc  \n"
                 "   # indented comment\n1.3.6.1.4.1.99999.2 first\n"));
    EXPECT_EQ(names.find("2.5.4.3"), "Common Name");
    EXPECT_EQ(names.find("1.3.6.1.4.1.99999.1"), "our private arc");
    EXPECT_EQ(names.find("2.5.4.6"), "countryName");
    names.load(dir.file("second.txt", "1.3.6.1.4.1.99999.2 second"));
    EXPECT_EQ(names.find("1.3.6.1.4.1.99999.2"), "second");
    EXPECT_EQ(names.find("1.3.6.1.4.1.99999.1"), "our private arc");
}

TEST(OidNames, BadLinesAndUnreadableFilesFailNamingFileAndLine) {
    const std::string notDotted = "' is not an object identifier in dotted form";
    EXPECT_EQ(loadFailure("2.5.4.3 x\n2.5..4 y\n"), "FILE: line 2: '2.5..4" + notDotted);
    EXPECT_EQ(loadFailure("# c\n\n3.1 x\n"), "FILE: line 3: '3.1" + notDotted);
    EXPECT_EQ(loadFailure("1.02 x"), "FILE: line 1: '1.02" + notDotted);
    EXPECT_EQ(loadFailure("1.40 x"), "FILE: line 1: '1.40" + notDotted);
    EXPECT_EQ(loadFailure("2 x"), "FILE: line 1: '2" + notDotted);
    EXPECT_EQ(loadFailure("2.5.4.3. x"), "FILE: line 1: '2.5.4.3." + notDotted);
    EXPECT_EQ(loadFailure("commonName 2.5.4.3"), "FILE: line 1: 'commonName" + notDotted);
    EXPECT_EQ(loadFailure("2.5.4.3 x\n2.5.4.4   \n"), "FILE: line 2: no name after '2.5.4.4'");
    EXPECT_EQ(loadFailure("1." + std::string(100, '1') + "x y"),
              "FILE: line 1: '1." + std::string(38, '1') + "..." + notDotted);

    TempDir dir;
    const std::string missing = dir.path("missing.txt").string();
    EXPECT_EQ(failureOf(missing), missing + ": cannot be read: No such file or directory");
    const std::string folder = dir.path("").string();
    EXPECT_EQ(failureOf(folder), folder + ": cannot be read: Is a directory");
}

TEST(OidNames, BuiltInKeysAreWellFormedAndUnique) {
    std::set<std::string_view> seen;
    for (const zcoders::OidEntry& entry : zcoders::builtinOids()) {
        EXPECT_TRUE(zcoders::isDottedOid(entry.dotted)) << entry.dotted;
        EXPECT_FALSE(entry.name.empty()) << entry.dotted;
        EXPECT_EQ(entry.name.find_first_of(" \t\r\n"), std::string_view::npos) << entry.dotted;
        EXPECT_TRUE(seen.insert(entry.dotted).second) << entry.dotted << " appears twice";
    }
    EXPECT_GT(seen.size(), 500U);
}

// Each sampled key, encoded and read back by OpenSSL, is an identifier OpenSSL has a name for.
TEST(OidNames, SampledKeysAreIdentifiersOpenSSLKnows) {
    if (!haveProgram("openssl")) GTEST_SKIP() << "openssl is not installed";
    const std::vector<std::string> sample = {"2.5.4.3",
                                             "2.5.4.6",
                                             "2.5.4.97",
                                             "2.5.29.14",
                                             "2.5.29.17",
                                             "2.5.29.32.0",
                                             "2.5.29.37",
                                             "1.3.6.1.5.5.7.1.1",
                                             "1.3.6.1.5.5.7.3.1",
                                             "1.3.6.1.5.5.7.3.9",
                                             "1.3.6.1.5.5.7.48.1",
                                             "1.3.6.1.5.5.7.48.2",
                                             "1.3.6.1.5.5.7.2.1",
                                             "1.2.840.113549.1.1.1",
                                             "1.2.840.113549.1.1.10",
                                             "1.2.840.113549.1.1.13",
                                             "1.2.840.113549.1.5.13",
                                             "1.2.840.113549.1.7.2",
                                             "1.2.840.113549.1.9.16.2.47",
                                             "1.2.840.113549.1.12.10.1.2",
                                             "2.16.840.1.101.3.4.2.1",
                                             "2.16.840.1.101.3.4.2.10",
                                             "2.16.840.1.101.3.4.1.46",
                                             "1.2.840.10045.2.1",
                                             "1.2.840.10045.4.3.3",
                                             "1.3.132.0.35",
                                             "1.3.36.3.3.2.8.1.1.7",
                                             "1.3.101.112",
                                             "0.9.2342.19200300.100.1.1",
                                             "2.16.840.1.113730.1.1",
                                             "1.3.6.1.4.1.311.20.2.3",
                                             "1.3.6.1.4.1.11129.2.4.2"};
    const OidNames names;
    std::string identifiers;
    for (const std::string& dotted : sample) {
        EXPECT_NE(names.find(dotted), "") << dotted;
        identifiers += der(0x06, oidContents(dotted));
    }
    TempDir dir;
    const std::vector<ParsedElement> parsed = opensslParse(dir.file("sample.der", der(0x30, identifiers)));
    ASSERT_EQ(parsed.size(), sample.size() + 1);
    for (std::size_t i = 0; i < sample.size(); ++i) {
        EXPECT_EQ(parsed[i + 1].type, "OBJECT") << sample[i];
        EXPECT_EQ(parsed[i + 1].value.find_first_not_of("0123456789."), 0U)
            << sample[i] << " is unknown to OpenSSL: " << parsed[i + 1].value;
    }
}

}  // namespace
}  // namespace zcoders_test
