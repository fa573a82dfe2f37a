// code: the byte coder that the library hands out for a name.
#include <CLI/CLI.hpp>
#include <memory>
#include <string>

#include "Commands.h"
#include "ToolSupport.h"
#include "zentrik/coders/Coder.h"

namespace zcoders {

namespace {

struct CodeOptions {
    std::string name;
    std::string direction;
    std::string file = "-";
};

void runCode(const CodeOptions& options) {
    Input input = openInput(options.file);
    const Velmora::ByteArray data = readAll(*input.stream);
    Velmora::SmartPointer<Velmora::Coder> coder = Velmora::Coder::getInstance(Velmora::String(options.name));
    Velmora::FileOutputStream out = Velmora::FileOutputStream::standardOutput();
    out << (options.direction == "decode" ? coder->decode(data) : coder->encode(data));
    out.flush();
}

}  // namespace

void addCodeCommand(CLI::App& app, CommandTable& table) {
    auto options = std::make_shared<CodeOptions>();
    CLI::App* command = app.add_subcommand(
        "code",
        "Encode or decode with the coder registered under NAME (base64, quoted-printable; others copy)");
    command->add_option("NAME", options->name, "Coder name, in any case")->required();
    command->add_option("DIRECTION", options->direction, "encode or decode")
        ->required()
        ->check(CLI::IsMember({"encode", "decode"}));
    command->add_option("FILE", options->file, "Input file; \"-\" or omitted for standard input");
    table.add(command, [options] { runCode(*options); });
}

}  // namespace zcoders
