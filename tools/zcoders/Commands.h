#pragma once
// The commands of zcoders: each family adds its subcommands to the application and records what
// to run when one of them is chosen.

#include <functional>
#include <utility>
#include <vector>

namespace CLI {
class App;
}

namespace zcoders {

class CommandTable {
  public:
    using Action = std::function<void()>;

    void add(CLI::App* command, Action action) { entries_.emplace_back(command, std::move(action)); }
    // The action of the command that was parsed, or null.
    const Action* chosen() const;

  private:
    std::vector<std::pair<CLI::App*, Action>> entries_;
};

void addDumpCommand(CLI::App& app, CommandTable& table);       // dump
void addReencodeCommand(CLI::App& app, CommandTable& table);   // reencode
void addComponentCommand(CLI::App& app, CommandTable& table);  // component
void addBase64Command(CLI::App& app, CommandTable& table);     // base64
void addQPCommand(CLI::App& app, CommandTable& table);         // qp
void addURLCommand(CLI::App& app, CommandTable& table);        // url
void addCodeCommand(CLI::App& app, CommandTable& table);       // code
void addWalkCommand(CLI::App& app, CommandTable& table);       // walk
void addWrapCommands(CLI::App& app, CommandTable& table);      // wrap, unwrap

}  // namespace zcoders
