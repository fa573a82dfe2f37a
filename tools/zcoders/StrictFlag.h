#pragma once
// The --strict flag of the decoding commands.
#include <string>

namespace CLI {
class App;
}

namespace zcoders {

// Adds --strict to a command whose DIRECTION is "encode" or "decode"; with "encode" it is a usage error.
void addStrictFlag(CLI::App& command, bool& strict, const std::string& direction, const std::string& help);

}  // namespace zcoders
