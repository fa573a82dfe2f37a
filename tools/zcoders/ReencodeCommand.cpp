// reencode: the first element of the input decoded and written again in DER or BER.
#include <CLI/CLI.hpp>
#include <memory>
#include <string>

#include "ASN1Input.h"
#include "Commands.h"
#include "ToolSupport.h"
#include "zentrik/asn1/BERCoder.h"
#include "zentrik/asn1/DERCoder.h"

namespace zcoders {

namespace {

using Ostrel::ASN1Object;

struct ReencodeOptions {
    ASN1InputOptions input;
    std::string to = "der";
};

void runReencode(const ReencodeOptions& options) {
    const Velmora::ByteArray octets = readASN1Input(options.input, "reencode");
    const Velmora::SmartPointer<ASN1Object> value = decodeFirstElement(octets, options.input.ber);
    Velmora::FileOutputStream out = Velmora::FileOutputStream::standardOutput();
    if (options.to == "ber")
        Ostrel::BERCoder::encode(value.get(), out);
    else
        Ostrel::DERCoder::encode(value.get(), out);
    out.flush();
}

}  // namespace

void addReencodeCommand(CLI::App& app, CommandTable& table) {
    auto reencode = std::make_shared<ReencodeOptions>();
    CLI::App* reencodeCommand = app.add_subcommand(
        "reencode", "Decode the first element of the input and write it again in DER or BER");
    addASN1InputOptions(*reencodeCommand, reencode->input, true);
    reencodeCommand->add_option("--to", reencode->to, "Output encoding: der (default) or ber")
        ->check(CLI::IsMember({"der", "ber"}));
    table.add(reencodeCommand, [reencode] { runReencode(*reencode); });
}

}  // namespace zcoders
