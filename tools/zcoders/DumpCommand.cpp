// dump: every element of the input, as an indented tree with offsets or as JSON, shown as it is read.
#include <CLI/CLI.hpp>
#include <memory>
#include <string>
#include <vector>

#include "ASN1Input.h"
#include "Commands.h"
#include "DumpJsonPrinter.h"
#include "DumpTextPrinter.h"
#include "ElementWalker.h"
#include "LocatedFailure.h"
#include "OctetReader.h"
#include "PemBlocks.h"
#include "ToolSupport.h"
#include "zentrik/foundation/CoderFailures.h"
#include "zentrik/platform/utils/Exception.h"

namespace zcoders {

namespace {

// Octets looked at to tell PEM text from DER or BER.
constexpr std::size_t kPeek = 512;

struct DumpOptions {
    ASN1InputOptions input;
    bool full = false;
    bool json = false;
    bool noEncapsulated = false;
    std::vector<std::string> oidFiles;
};

std::unique_ptr<DumpSink> makePrinter(const DumpOptions& options, Velmora::OutputStream& out) {
    if (options.json) return std::make_unique<DumpJsonPrinter>(out);
    return std::make_unique<DumpTextPrinter>(out, terminalWidth(), options.full);
}

void walkPEM(OctetReader& reader, DumpSink& sink, WalkSettings& settings) {
    PemBlocks blocks(reader, settings.file);
    std::string label;
    Velmora::ByteArray data;
    unsigned int count = 0;
    const bool ber = settings.ber;
    while (blocks.next(label, data)) {
        ++count;
        settings.where = " (in PEM block " + std::to_string(count) + ", " + label + ")";
        settings.ber = ber;
        sink.pemBlock(label);
        OctetReader block(data.data(), data.size(), 0);
        ElementWalker(block, sink, settings).walkAll();
    }
    if (count == 0)
        throw LocatedFailure(settings.file, 0, "no \"-----BEGIN\" line in the input", kBadPEM, "zcoders dump");
}

void dumpInput(const DumpOptions& options, const std::string& name) {
    OidNames names;
    for (const std::string& file : options.oidFiles) names.load(file);
    Input input = openInput(options.input.file);
    Velmora::FileOutputStream out = Velmora::FileOutputStream::standardOutput();
    const std::unique_ptr<DumpSink> sink = makePrinter(options, out);
    WalkSettings settings;
    settings.file = name;
    settings.ber = options.input.ber;
    settings.encapsulated = !options.noEncapsulated;
    settings.json = options.json;
    settings.names = &names;
    const bool pem = options.input.inform == "pem" ||
                     (options.input.inform == "auto" && looksLikePEM(input.stream->peek(kPeek)));
    OctetReader reader(*input.stream);
    try {
        if (pem) {
            walkPEM(reader, *sink, settings);
        } else {
            if (reader.atEnd())
                throw LocatedFailure(name, 0, "the input holds no data", Velmora::failures::kNoData, "zcoders dump");
            ElementWalker(reader, *sink, settings).walkAll();
        }
    } catch (...) {
        sink->stop();
        throw;
    }
    sink->finish();
}

void runDump(const DumpOptions& options) {
    try {
        dumpInput(options, inputName(options.input.file));
    } catch (const Velmora::UtilsException&) {
        rethrowInputOutput(inputName(options.input.file), "standard output");
    }
}

}  // namespace

void addDumpCommand(CLI::App& app, CommandTable& table) {
    auto dump = std::make_shared<DumpOptions>();
    CLI::App* command = app.add_subcommand(
        "dump", "Print every element of the input (DER or BER, PEM blocks) with offsets, as a tree or as JSON");
    addASN1InputOptions(*command, dump->input, true);
    command->add_flag("--full", dump->full, "Show long OCTET and BIT STRINGs whole");
    command->add_flag("--json", dump->json, "Print one JSON document: an array of the top-level elements");
    command->add_flag("--no-encapsulated", dump->noEncapsulated,
                      "Do not look for DER elements inside OCTET and BIT STRINGs");
    command->add_option("--oids", dump->oidFiles, "Add names of object identifiers: lines \"DOTTED NAME\"")
        ->allow_extra_args(false);
    table.add(command, [dump] { runDump(*dump); });
}

}  // namespace zcoders
