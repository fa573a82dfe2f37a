// base64: Base64 encoding and decoding in bounded memory, through the library's Base64 streams.
#include <CLI/CLI.hpp>
#include <memory>
#include <string>

#include "Commands.h"
#include "ToolSupport.h"
#include "zentrik/coders/Base64Coder.h"
#include "zentrik/coders/Base64InputStream.h"
#include "zentrik/coders/Base64OutputStream.h"

namespace zcoders {

namespace {

struct Base64Options {
    std::string direction;
    bool noBreaks = false;
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

void runBase64(const Base64Options& options) {
    Input input = openInput(options.file);
    Progress progress("base64", input.size);
    Velmora::FileOutputStream out = Velmora::FileOutputStream::standardOutput();
    if (options.direction == "decode")
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
    command->add_option("FILE", options->file, "Input file; \"-\" or omitted for standard input");
    table.add(command, [options] { runBase64(*options); });
}

}  // namespace zcoders
