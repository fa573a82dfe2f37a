// component: the DER encoding of one element found by a path of component numbers in BER or DER.
#include <CLI/CLI.hpp>
#include <memory>
#include <string>

#include "ASN1Input.h"
#include "Commands.h"
#include "ElementPath.h"
#include "ElementStream.h"
#include "LocatedFailure.h"
#include "LocatedStep.h"
#include "ToolSupport.h"
#include "zentrik/asn1/BERToDER.h"

namespace zcoders {

namespace {

struct ComponentOptions {
    ASN1InputOptions input;
    std::string path;
    bool encapsulated = false;
};

void runComponent(const ComponentOptions& options) {
    const std::string file = inputName(options.input.file);
    const Velmora::ByteArray octets =
        located(file, 0, [&] { return readASN1Input(options.input, "component"); });
    Velmora::ByteArrayInputStream in(octets.data(), octets.size());
    Progress quiet("component", -1);
    ElementStream elements(in, "component", quiet);
    Velmora::ByteArray component;
    try {
        PathFinder finder(elements, options.encapsulated);
        const ElementHeader found = finder.find(pathNumbers(options.path));
        finder.skip(found);
        component = Ostrel::berToDER(octets.subBytes(static_cast<std::size_t>(found.offset),
                                                     static_cast<std::size_t>(in.getCount() - found.offset)));
    } catch (...) {
        rethrowForReport(file, elements.currentOffset());
    }
    Velmora::FileOutputStream out = Velmora::FileOutputStream::standardOutput();
    out << component;
    out.flush();
}

}  // namespace

void addComponentCommand(CLI::App& app, CommandTable& table) {
    auto options = std::make_shared<ComponentOptions>();
    CLI::App* command = app.add_subcommand(
        "component",
        "Write the DER encoding of the element at PATH (component numbers from 0, as 1.0.2) of the "
        "element at the start of the input (BER or DER)");
    command
        ->add_option("PATH", options->path,
                     "Component numbers from 0 separated by dots; \"1\" is component 1")
        ->required()
        ->check(CLI::Validator(checkPath, "PATH", "path"));
    command->add_flag("--encapsulated", options->encapsulated,
                      "Read the contents of a primitive OCTET STRING or BIT STRING on the path as elements");
    addASN1InputOptions(*command, options->input, false);
    table.add(command, [options] { runComponent(*options); });
}

}  // namespace zcoders
