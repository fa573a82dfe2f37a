// qp: quoted-printable encoding and decoding, stream to stream.
#include <CLI/CLI.hpp>
#include <memory>
#include <string>

#include "Commands.h"
#include "StrictFlag.h"
#include "StrictText.h"
#include "ToolSupport.h"
#include "zentrik/coders/QPCoder.h"

namespace zcoders {

namespace {

constexpr const char* kQPStrictHelp =
    "Decode only well-formed text: stop at the first \"=\" not followed by two hexadecimal digits or a "
    "line end, line end right after a soft break \"=\" LF, or octet that must be escaped (control and "
    "8-bit octets)";

struct QPOptions {
    std::string direction;
    bool lf = false;
    bool strict = false;
    std::string file = "-";
};

void runQP(const QPOptions& options) {
    Input input = openInput(options.file);
    Progress progress("qp", input.size);
    ProgressInputStream in(*input.stream, progress);
    Velmora::FileOutputStream out = Velmora::FileOutputStream::standardOutput();
    Velmora::QPCoder coder(!options.lf);
    if (options.direction == "decode" && options.strict) {
        const std::unique_ptr<TextChecker> checker = makeQPChecker(inputName(options.file));
        CheckedInputStream text(in, *checker);
        coder.decode(text, out);
        text.finish();
    } else if (options.direction == "decode") {
        coder.decode(in, out);
    } else {
        coder.encode(in, out);
    }
    progress.finish();
    out.flush();
}

}  // namespace

void addQPCommand(CLI::App& app, CommandTable& table) {
    auto options = std::make_shared<QPOptions>();
    CLI::App* command = app.add_subcommand("qp", "Quoted-printable encoding or decoding");
    command->add_option("DIRECTION", options->direction, "encode or decode")
        ->required()
        ->check(CLI::IsMember({"encode", "decode"}));
    command->add_flag("--lf", options->lf, "Encode soft line breaks as \"=\" LF instead of \"=\" CR LF");
    addStrictFlag(*command, options->strict, options->direction, kQPStrictHelp);
    command->add_option("FILE", options->file, "Input file; \"-\" or omitted for standard input");
    table.add(command, [options] { runQP(*options); });
}

}  // namespace zcoders
