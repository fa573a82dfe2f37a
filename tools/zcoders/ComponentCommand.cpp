// component: the encoding of one component of the constructed element at the start of the input.
#include <CLI/CLI.hpp>
#include <memory>

#include "ASN1Input.h"
#include "Commands.h"
#include "ToolSupport.h"
#include "zentrik/asn1/DERCoder.h"

namespace zcoders {

namespace {

struct ComponentOptions {
    ASN1InputOptions input;
    unsigned int index = 0;
};

void runComponent(const ComponentOptions& options) {
    const Velmora::ByteArray octets = readASN1Input(options.input, "component");
    const Velmora::ByteArray component = Ostrel::DERCoder::getComponent(octets, options.index);
    Velmora::FileOutputStream out = Velmora::FileOutputStream::standardOutput();
    out << component;
    out.flush();
}

}  // namespace

void addComponentCommand(CLI::App& app, CommandTable& table) {
    auto options = std::make_shared<ComponentOptions>();
    CLI::App* command = app.add_subcommand("component",
                                           "Write the DER encoding of component INDEX (from 0) of the "
                                           "SEQUENCE or SET at the start of the input");
    command->add_option("INDEX", options->index, "Component number, counting from 0")->required();
    addASN1InputOptions(*command, options->input, false);
    table.add(command, [options] { runComponent(*options); });
}

}  // namespace zcoders
