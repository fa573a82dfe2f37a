// base64: Base64 encoding and decoding in bounded memory, through the library's Base64 streams.
#include <CLI/CLI.hpp>
#include <memory>
#include <string>

#include "Commands.h"
#include "StrictFlag.h"
#include "StrictText.h"
#include "ToolSupport.h"
#include "zentrik/coders/Base64Coder.h"
#include "zentrik/coders/Base64InputStream.h"
#include "zentrik/coders/Base64OutputStream.h"

namespace zcoders {

namespace {

constexpr const char* kBase64StrictHelp =
    "Decode only well-formed text: stop at the first character outside the alphabet, misplaced or "
    "excess \"=\", text after the padding, a final lone character (lines may end with LF or CR LF)";

struct Base64Options {
    std::string direction;
    bool noBreaks = false;
    bool strict = false;
    std::string file = "-";
};

// Lines of 76 characters, each ended by CR LF, through a Base64OutputStream.
void encodeInLines(Velmora::InputStream& in, Velmora::OutputStream& out, Progress& progress) {
    Velmora::Base64OutputStream text(out);
    Velmora::ByteArray chunk;
    while (in.hasData()) {
        in >> chunk;
        text << chunk;
        progress.update(in.getCount());
    }
    text.flush();
}

// One unbroken line: whole groups of three octets are encoded as they come, the rest at the end.
void encodeUnbroken(Velmora::InputStream& in, Velmora::OutputStream& out, Progress& progress) {
    Velmora::Base64Coder coder(false);
    Velmora::ByteArray pending;
    Velmora::ByteArray chunk;
    while (in.hasData()) {
        in >> chunk;
        pending += chunk;
        const std::size_t whole = pending.size() / 3 * 3;
        out << coder.encode(pending.subBytes(0, whole));
        pending = pending.right(whole);
        progress.update(in.getCount());
    }
    out << coder.encode(pending);
}

// Any Base64 text, with or without line breaks, through a Base64InputStream.
void decode(Velmora::InputStream& in, Velmora::OutputStream& out, Progress& progress) {
    Velmora::Base64InputStream octets(in);
    Velmora::ByteArray piece;
    while (octets.hasData()) {
        octets >> piece;
        out << piece;
        progress.update(in.getCount());
    }
}

// The same, once the text has passed the checks of --strict on its way in.
void decodeStrictly(Velmora::InputStream& in, const std::string& name, Velmora::OutputStream& out,
                    Progress& progress) {
    const std::unique_ptr<TextChecker> checker = makeBase64Checker(name);
    CheckedInputStream text(in, *checker);
    decode(text, out, progress);
    text.finish();
}

void runBase64(const Base64Options& options) {
    Input input = openInput(options.file);
    Progress progress("base64", input.size);
    Velmora::FileOutputStream out = Velmora::FileOutputStream::standardOutput();
    if (options.direction == "decode" && options.strict)
        decodeStrictly(*input.stream, inputName(options.file), out, progress);
    else if (options.direction == "decode")
        decode(*input.stream, out, progress);
    else if (options.noBreaks)
        encodeUnbroken(*input.stream, out, progress);
    else
        encodeInLines(*input.stream, out, progress);
    progress.finish();
    out.flush();
}

}  // namespace

void addBase64Command(CLI::App& app, CommandTable& table) {
    auto options = std::make_shared<Base64Options>();
    CLI::App* command =
        app.add_subcommand("base64", "Base64 encoding (lines of 76 characters and CR LF) or decoding");
    command->add_option("DIRECTION", options->direction, "encode or decode")
        ->required()
        ->check(CLI::IsMember({"encode", "decode"}));
    command->add_flag("--no-breaks", options->noBreaks,
                      "Encode as one unbroken line (decoding takes either form)");
    addStrictFlag(*command, options->strict, options->direction, kBase64StrictHelp);
    command->add_option("FILE", options->file, "Input file; \"-\" or omitted for standard input");
    table.add(command, [options] { runBase64(*options); });
}

}  // namespace zcoders
