// The manual page names every command and every option the tool's help shows.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>

#include "ToolTestSupport.h"

namespace zcoders_test {
namespace {

// The words of a help text that match `pattern` (its first group).
std::set<std::string> matches(const std::string& text, const std::regex& pattern) {
    std::set<std::string> found;
    for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it)
        found.insert((*it)[1]);
    return found;
}

TEST(ManualPage, DescribesEveryCommandAndOption) {
    std::string manual =
        readFile(std::filesystem::path(samplesDir()) / ".." / "tools" / "zcoders" / "zcoders.1");
    ASSERT_FALSE(manual.empty());
    manual = std::regex_replace(manual, std::regex(R"(\\-)"), "-");
    const Result help = runTool({"--help"});
    const std::set<std::string> commands = matches(help.out, std::regex(R"(\n  ([a-z0-9]+) +[A-Z])"));
    ASSERT_GE(commands.size(), 10u) << help.out;
    for (const std::string& command : commands) {
        EXPECT_NE(manual.find(".SS \"" + command), std::string::npos) << command;
        for (const std::string& option :
             matches(runTool({command, "--help"}).out, std::regex(R"((--[a-z-]+))")))
            EXPECT_NE(manual.find(option), std::string::npos) << command << " " << option;
    }
}

}  // namespace
}  // namespace zcoders_test
