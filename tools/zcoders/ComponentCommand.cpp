// component: the DER encoding of one element found by a path of component numbers in BER or DER.
#include <CLI/CLI.hpp>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ASN1Input.h"
#include "Commands.h"
#include "ElementStream.h"
#include "LocatedFailure.h"
#include "ToolSupport.h"
#include "zentrik/asn1/BERToDER.h"
#include "zentrik/foundation/CoderException.h"
#include "zentrik/foundation/CoderFailures.h"

namespace zcoders {

namespace {

constexpr std::uint32_t kBitString = 3;
constexpr std::uint32_t kOctetString = 4;

struct ComponentOptions {
    ASN1InputOptions input;
    std::string path;
    bool encapsulated = false;
};

// "1.0.2" as numbers; CLI11 has checked its form.
std::vector<std::uint32_t> pathNumbers(const std::string& path) {
    std::vector<std::uint32_t> numbers;
    for (std::size_t at = 0; at <= path.size();) {
        const std::size_t dot = std::min(path.find('.', at), path.size());
        numbers.push_back(static_cast<std::uint32_t>(std::stoul(path.substr(at, dot - at))));
        at = dot + 1;
    }
    return numbers;
}

std::string checkPath(const std::string& path) {
    std::size_t digits = 0;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i < path.size() && path[i] >= '0' && path[i] <= '9') {
            if (++digits > 9) return "a component number of the path is too large";
        } else if (digits == 0 || (i < path.size() && path[i] != '.')) {
            return "the path is component numbers from 0 separated by dots, as 1.0.2";
        } else {
            digits = 0;
        }
    }
    return "";
}

// Reads elements from the input in memory and finds the one a path leads to.
class PathFinder {
  public:
    PathFinder(ElementStream& elements, bool encapsulated)
        : elements_(elements), encapsulated_(encapsulated) {}

    // The header of the element at the end of the path; the stream is then at its contents.
    ElementHeader find(const std::vector<std::uint32_t>& path) {
        ElementHeader at = elements_.readHeader();
        for (std::size_t step = 0; step < path.size(); ++step) at = component(container(at), path[step]);
        return at;
    }

    // Reads the rest of an element whose header was read.
    void skip(const ElementHeader& header) {
        if (header.constructed())
            elements_.forEachComponent(header, [this](const ElementHeader& inner) { skip(inner); });
        else
            elements_.forEachPiece(header, [](const Velmora::ByteArray&) {});
    }

  private:
    // The element as a holder of components: a constructed one, or with --encapsulated the contents
    // of a primitive OCTET STRING or BIT STRING (after its unused-bit octet, which must be 0).
    ElementHeader container(const ElementHeader& header) {
        if (header.constructed()) return header;
        const bool string = header.universal() && (header.identifier.number == kOctetString ||
                                                   header.identifier.number == kBitString);
        if (!encapsulated_ || !string)
            fail(kUnsupportedElement, "component",
                 "the " + header.name() + " is primitive and holds no components" +
                     (string ? " (--encapsulated reads its contents as elements)" : ""));
        if (header.identifier.number == kOctetString) return header;
        ElementHeader bits = header;
        Velmora::ByteArray unused;
        if (header.length > 0)
            elements_.forEachPiece(oneOctet(header), [&](const Velmora::ByteArray& p) { unused = p; });
        if (unused.size() != 1 || unused[0u] != 0)
            fail(kUnsupportedElement, "component",
                 "the BIT STRING holds no whole octets to read as elements");
        ++bits.headerLength;
        --bits.length;
        return bits;
    }

    static ElementHeader oneOctet(const ElementHeader& header) {
        ElementHeader first = header;
        first.length = 1;
        return first;
    }

    ElementHeader component(const ElementHeader& parent, std::uint32_t number) {
        std::uint32_t seen = 0;
        while (elements_.nextComponentFollows(parent)) {
            const ElementHeader inner = elements_.readComponentHeader(parent);
            if (seen++ == number) return inner;
            skip(inner);
            elements_.checkInside(inner, parent);
        }
        throw Velmora::CoderException(
            Velmora::Exception::LIB_CODERS, Velmora::failures::kBadLength, "zcoders component",
            "the " + parent.name() + " at offset " + std::to_string(parent.offset) + " has " +
                countOf(seen, "component", "components") + ", no component " + std::to_string(number));
    }

    ElementStream& elements_;
    bool encapsulated_;
};

void runComponent(const ComponentOptions& options) {
    const std::string file = inputName(options.input.file);
    Velmora::ByteArray octets;
    try {
        octets = readASN1Input(options.input, "component");
    } catch (...) {
        rethrowLocated(file, 0);
    }
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
        rethrowLocated(file, elements.currentOffset());
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
