#include "StrictFlag.h"

#include <CLI/CLI.hpp>

namespace zcoders {

void addStrictFlag(CLI::App& command, bool& strict, const std::string& direction, const std::string& help) {
    command.add_flag("--strict", strict, help);
    command.callback([&strict, &direction] {
        if (strict && direction != "decode") throw CLI::ValidationError("--strict", "applies to decode only");
    });
}

}  // namespace zcoders
