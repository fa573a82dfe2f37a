// A few hundred MiB through wrap, walk and unwrap (and Base64, quoted-printable) with the peak memory
// of each run measured from outside by /usr/bin/time: it must stay far below the size of the data.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "ToolTestSupport.h"

namespace zcoders_test {
namespace {

constexpr std::size_t kMiB = 1024 * 1024;
// Under AddressSanitizer the runs are slower and their memory is the sanitizer's: less data, no bound.
constexpr std::size_t kLargeSize = (kSanitized ? 48 : 320) * kMiB;
constexpr std::size_t kCoderSize = (kSanitized ? 8 : 32) * kMiB;
constexpr long kPeakLimitKiB = 32 * 1024;
constexpr const char* kTime = "/usr/bin/time";

// Writes `size` pseudo-random octets a MiB at a time.
void writeLargeFile(const std::string& path, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (std::size_t done = 0, block = 0; done < size; done += kMiB, ++block) {
        const std::string chunk = randomOctets(std::min(kMiB, size - done), block);
        out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    }
    ASSERT_TRUE(out.good());
}

// Whether two files hold the same octets, read a MiB at a time.
bool sameFiles(const std::string& a, const std::string& b) {
    std::ifstream first(a, std::ios::binary), second(b, std::ios::binary);
    std::string x(kMiB, '\0'), y(kMiB, '\0');
    for (;;) {
        first.read(x.data(), static_cast<std::streamsize>(x.size()));
        second.read(y.data(), static_cast<std::streamsize>(y.size()));
        if (first.gcount() != second.gcount()) return false;
        if (x.compare(0, static_cast<std::size_t>(first.gcount()), y, 0,
                      static_cast<std::size_t>(second.gcount())) != 0)
            return false;
        if (first.gcount() == 0) return true;
    }
}

class LargeInput : public testing::Test {
  protected:
    void SetUp() override {
        if (!haveProgram(kTime)) GTEST_SKIP() << kTime << " is not installed (Debian package time)";
    }

    // Runs `zcoders ARGUMENTS < input > output` under /usr/bin/time and returns the peak resident set in KiB.
    long run(const std::string& arguments, const std::string& input, const std::string& output) {
        const std::string memory = dir_.path("peak.txt").string();
        const Result result = runShell(std::string(kTime) + " -f %M -o " + shellQuote(memory) + " " +
                                       shellQuote(zcodersPath()) + " " + arguments + " < " +
                                       shellQuote(input) + " > " + shellQuote(output));
        EXPECT_EQ(result.status, 0) << arguments << ": " << result.err;
        EXPECT_EQ(result.err, "") << arguments;  // no progress: standard error is not a terminal
        const long peak = std::stol(readFile(memory));
        if (!kSanitized) {
            EXPECT_LT(peak, kPeakLimitKiB) << arguments << " used " << peak << " KiB at most";
        }
        return peak;
    }

    std::string path(const std::string& name) const { return dir_.path(name).string(); }

    TempDir dir_;
};

TEST_F(LargeInput, WrapWalkUnwrapInBoundedMemory) {
    const std::string data = path("data.bin");
    writeLargeFile(data, kLargeSize);
    run("wrap", data, path("wrapped.ber"));
    run("walk", path("wrapped.ber"), path("walk.txt"));
    const std::vector<std::string> report = lines(readFile(path("walk.txt")));
    ASSERT_EQ(report.size(), 1u);
    // The file is read in chunks of 64 KiB, each written as one segment.
    const std::string summary =
        std::to_string(kLargeSize) + " octets in " + std::to_string(kLargeSize / (64 * 1024)) + " segments";
    EXPECT_NE(report[0].find(summary), std::string::npos) << report[0];
    run("unwrap", path("wrapped.ber"), path("unwrapped.bin"));
    EXPECT_TRUE(sameFiles(data, path("unwrapped.bin")));
}

TEST_F(LargeInput, TaggedFormsInBoundedMemory) {
    const std::string data = path("data.bin");
    writeLargeFile(data, kLargeSize / 4);
    for (const std::string tagging : {"--explicit 9", "--implicit 12"}) {
        SCOPED_TRACE(tagging);
        run("wrap " + tagging, data, path("wrapped.ber"));
        run("walk", path("wrapped.ber"), path("walk.txt"));
        run("unwrap", path("wrapped.ber"), path("unwrapped.bin"));
        EXPECT_TRUE(sameFiles(data, path("unwrapped.bin")));
    }
}

// An OCTET STRING of 2^31 + 16 octets inside a definite SEQUENCE, in a sparse file: lengths of 2^31
// and more are read, and the contents pass in pieces. unwrap takes the same length and reports the
// contents it lacks (a full run of it is measured by hand: one pass over 2 GiB is enough for CI).
TEST_F(LargeInput, LengthsBeyond31BitsFromSparseFiles) {
    const std::uint64_t length = (std::uint64_t{1} << 31) + 16;
    const auto sparse = [&](const std::string& name, const std::string& header) {
        std::ofstream out(path(name), std::ios::binary);
        out << header;
        out.seekp(static_cast<std::streamoff>(header.size() + length - 1));
        out << '!';
        EXPECT_TRUE(out.good());
        return path(name);
    };
    run("walk", sparse("sequence.ber", fromHex("30 84 80 00 00 16 04 84 80 00 00 10")), path("walk.txt"));
    EXPECT_EQ(lines(readFile(path("walk.txt"))),
              (std::vector<std::string>{"0 0 SEQUENCE (2147483670 octets)",
                                        "6 1   OCTET STRING (2147483664 octets): 2147483664 octets in 1 segment"}));
    expectErrorReport(runTool({"unwrap"}, fromHex("04 84 80 00 00 10 41 42")),
                      "offset 0: the contents end after 2 of 2147483664 octets [error 26");
}

TEST_F(LargeInput, Base64AndQuotedPrintableInBoundedMemory) {
    const std::string data = path("data.bin");
    writeLargeFile(data, kCoderSize);
    for (const std::string options : {"", "--no-breaks "}) {
        run("base64 encode " + options, data, path("text.b64"));
        for (const std::string strict : {"", "--strict "}) {
            run("base64 decode " + strict, path("text.b64"), path("back.bin"));
            EXPECT_TRUE(sameFiles(data, path("back.bin"))) << options << strict;
        }
    }
    run("qp encode", data, path("text.qp"));
    for (const std::string strict : {"", "--strict "}) {
        run("qp decode " + strict, path("text.qp"), path("back.bin"));
        EXPECT_TRUE(sameFiles(data, path("back.bin"))) << strict;
    }
}

}  // namespace
}  // namespace zcoders_test
