// The manual page names every command and every option the tool's help shows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ToolTestSupport.h"

namespace zcoders_test {
namespace {

// The commands listed under "Subcommands:" in the tool's help.
std::vector<std::string> commandsOf(const std::string& help) {
    std::vector<std::string> commands;
    bool listed = false;
    for (const std::string& line : lines(help)) {
        if (line == "Subcommands:")
            listed = true;
        else if (listed && line.rfind("  ", 0) == 0)
            commands.push_back(line.substr(2, line.find(' ', 2) - 2));
        else if (listed)
            break;
    }
    return commands;
}

// Every "--option" a command's help names.
std::vector<std::string> optionsOf(const std::string& help) {
    std::vector<std::string> options;
    for (std::size_t at = help.find("--"); at != std::string::npos; at = help.find("--", at + 2)) {
        const std::size_t end = help.find_first_not_of("abcdefghijklmnopqrstuvwxyz-", at + 2);
        options.push_back(help.substr(at, end - at));
    }
    return options;
}

TEST(ManualPage, DescribesEveryCommandAndOption) {
    const std::string source =
        readFile(std::filesystem::path(samplesDir()) / ".." / "tools" / "zcoders" / "zcoders.1");
    ASSERT_FALSE(source.empty());
    std::string manual;  // with roff's "\-" read as "-"
    for (std::size_t i = 0; i < source.size(); ++i)
        if (!(source[i] == '\\' && i + 1 < source.size() && source[i + 1] == '-')) manual += source[i];
    const std::vector<std::string> commands = commandsOf(runTool({"--help"}).out);
    ASSERT_GE(commands.size(), 10u);
    for (const std::string& command : commands) {
        EXPECT_NE(manual.find(".SS \"" + command), std::string::npos) << command;
        for (const std::string& option : optionsOf(runTool({command, "--help"}).out))
            EXPECT_NE(manual.find(option), std::string::npos) << command << " " << option;
    }
}

}  // namespace
}  // namespace zcoders_test
