// Progress on standard error: shown on a terminal for long work on a file of known size, never otherwise.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "ToolTestSupport.h"

namespace zcoders_test {
namespace {

// Runs zcoders with its standard error on a pseudo-terminal (standard output goes to /dev/null) and
// returns what appeared on the terminal; `status` receives the exit status.
std::string runOnTerminal(const std::vector<std::string>& arguments, int& status) {
    int terminal = -1;
    const pid_t child = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    if (child < 0) return "forkpty failed";
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        std::vector<std::string> words = {zcodersPath()};
        words.insert(words.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& word : words) argv.push_back(word.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    std::string seen;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(terminal, buffer, sizeof buffer);
        if (got > 0) {
            seen.append(buffer, static_cast<std::size_t>(got));
        } else if (got < 0 && errno == EINTR) {
            continue;
        } else {
            break;  // EIO once the child has closed the terminal
        }
    }
    ::close(terminal);
    int raw = 0;
    ::waitpid(child, &raw, 0);
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return seen;
}

struct ProgressCase {
    std::vector<std::string> arguments;  // the input file is added at the end
    std::string label;
};

TEST(Progress, ShownOnATerminalForLongWork) {
    TempDir dir;
    const std::string data = dir.file("data.bin", randomOctets(6 * 1024 * 1024, 4));
    const std::string wrapped = dir.file("data.ber", runTool({"wrap", data}).out);
    const std::string text = dir.file("data.b64", runTool({"base64", "encode", data}).out);
    const std::vector<ProgressCase> cases = {{{"wrap"}, "zcoders wrap:"},
                                             {{"walk"}, "zcoders walk:"},
                                             {{"unwrap"}, "zcoders unwrap:"},
                                             {{"base64", "encode"}, "zcoders base64:"},
                                             {{"qp", "encode"}, "zcoders qp:"}};
    for (const ProgressCase& c : cases) {
        std::vector<std::string> arguments = c.arguments;
        const bool encoded = c.label == "zcoders walk:" || c.label == "zcoders unwrap:";
        arguments.push_back(encoded ? wrapped : data);
        int status = -1;
        const std::string seen = runOnTerminal(arguments, status);
        EXPECT_EQ(status, 0) << c.label << ": " << seen;
        EXPECT_NE(seen.find(c.label), std::string::npos) << seen;
        EXPECT_NE(seen.find('%'), std::string::npos) << seen;
        EXPECT_NE(seen.find("MiB"), std::string::npos) << seen;
    }
    int status = -1;
    const std::string decoding = runOnTerminal({"base64", "decode", text}, status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(decoding.find("zcoders base64:"), std::string::npos) << decoding;
}

TEST(Progress, NotShownForSmallFilesOrStandardInput) {
    TempDir dir;
    const std::string small = dir.file("small.bin", randomOctets(4096, 2));
    int status = -1;
    EXPECT_EQ(runOnTerminal({"wrap", small}, status), "");
    EXPECT_EQ(status, 0);
    // Standard input of unknown size: a pipe.
    const Result piped = runShell("cat " + shellQuote(small) + " | " + shellQuote(zcodersPath()) + " wrap");
    EXPECT_EQ(piped.status, 0);
    EXPECT_EQ(piped.err, "");
}

TEST(Progress, NeverShownWhenStandardErrorIsNotATerminal) {
    TempDir dir;
    const std::string data = dir.file("data.bin", randomOctets(6 * 1024 * 1024, 5));
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"wrap", data}, std::vector<std::string>{"base64", "encode", data},
          std::vector<std::string>{"qp", "encode", data}}) {
        const Result result = runTool(command);
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.err, "") << command[0];
    }
}

}  // namespace
}  // namespace zcoders_test
