// reencode: the first element of the input written again in DER or BER.
#include <CLI/CLI.hpp>
#include <memory>
#include <string>

#include "ASN1Input.h"
#include "Commands.h"
#include "LocatedFailure.h"
#include "LocatedStep.h"
#include "ToolSupport.h"
#include "zentrik/asn1/BERCoder.h"
#include "zentrik/asn1/BERToDER.h"
#include "zentrik/asn1/DERCoder.h"

namespace zcoders {

namespace {

using Ostrel::ASN1Object;

struct ReencodeOptions {
    ASN1InputOptions input;
    std::string to = "der";
    bool keepTagged = false;
};

// Decoded into values and encoded again: tagged elements are written as they were read.
void throughValues(const ReencodeOptions& options, const Velmora::ByteArray& octets,
                   Velmora::OutputStream& out) {
    const Velmora::SmartPointer<ASN1Object> value = decodeFirstElement(octets, options.input.ber);
    if (options.to == "ber")
        Ostrel::BERCoder::encode(value.get(), out);
    else
        Ostrel::DERCoder::encode(value.get(), out);
}

void runReencode(const ReencodeOptions& options) {
    const std::string file = inputName(options.input.file);
    const Velmora::ByteArray octets =
        located(file, 0, [&] { return readASN1Input(options.input, "reencode"); });
    Velmora::FileOutputStream out = Velmora::FileOutputStream::standardOutput();
    if (options.to == "der" && !options.keepTagged) {
        Velmora::ByteArrayInputStream in(octets.data(), octets.size());
        Ostrel::BERToDER converter(in);
        try {
            converter.convert(out);
        } catch (...) {
            rethrowForReport(file, converter.failedOffset());
        }
    } else {
        located(file, 0, [&] { throughValues(options, octets, out); });
    }
    out.flush();
}

}  // namespace

void addReencodeCommand(CLI::App& app, CommandTable& table) {
    auto reencode = std::make_shared<ReencodeOptions>();
    CLI::App* reencodeCommand = app.add_subcommand(
        "reencode", "Write the first element of the input again in DER (at every depth) or BER");
    addASN1InputOptions(*reencodeCommand, reencode->input, true);
    reencodeCommand->add_option("--to", reencode->to, "Output encoding: der (default) or ber")
        ->check(CLI::IsMember({"der", "ber"}));
    reencodeCommand->add_flag("--keep-tagged", reencode->keepTagged,
                              "With --to der: decode into values and encode them again, writing the "
                              "contents of tagged elements as they were read");
    table.add(reencodeCommand, [reencode] { runReencode(*reencode); });
}

}  // namespace zcoders
