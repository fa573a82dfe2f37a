// wrap: any octets as a streamed BER OCTET STRING; unwrap: the contents of one OCTET STRING.
// Both keep one piece of the data in memory at a time, whatever its size.
#include <CLI/CLI.hpp>
#include <memory>
#include <string>

#include "Commands.h"
#include "ElementPath.h"
#include "ElementStream.h"
#include "LocatedFailure.h"
#include "LocatedStep.h"
#include "ToolSupport.h"
#include "zentrik/asn1/BERCoder.h"
#include "zentrik/platform/asn1/ASN1OctetString.h"

namespace zcoders {

namespace {

constexpr std::uint32_t kOctetString = 4;

struct WrapOptions {
    std::string file = "-";
    long long explicitTag = -1;
    long long implicitTag = -1;
};

void runWrap(const WrapOptions& options) {
    Input input = openInput(options.file);
    Progress progress("wrap", input.size);
    // The string owns the stream it reads: a filter that passes the file on and reports progress.
    Ostrel::ASN1OctetString value(std::make_unique<ProgressInputStream>(*input.stream, progress));
    if (options.explicitTag >= 0) value.setExplicitTag(static_cast<unsigned int>(options.explicitTag));
    if (options.implicitTag >= 0) value.setImplicitTag(static_cast<unsigned int>(options.implicitTag));
    Velmora::FileOutputStream out = Velmora::FileOutputStream::standardOutput();
    Ostrel::BERCoder::encode(value, out);
    progress.finish();
    out.flush();
}

// Writes the contents of an OCTET STRING, its segments joined, a piece at a time.
struct UnwrapOptions {
    std::string file = "-";
    std::string path;
    bool encapsulated = false;
};

void writeString(ElementStream& elements, const ElementHeader& header, Velmora::OutputStream& out,
                 unsigned int depth) {
    if (depth >= kMaxDepth)
        fail(kTooDeep, "unwrap", "segments nest more than " + std::to_string(kMaxDepth) + " levels deep");
    if (!header.constructed())
        return elements.forEachPiece(
            header, [&out](const unsigned char* octets, std::size_t count) { out.write(octets, count); });
    elements.forEachComponent(header, [&](const ElementHeader& segment) {
        if (!segment.universal() || segment.identifier.number != kOctetString)
            fail(kNotOctetString, "unwrap", "a " + segment.name() + " among the segments of an OCTET STRING");
        writeString(elements, segment, out, depth + 1);
    });
}

// A universal OCTET STRING; a primitive tag (implicit); a constructed tag around one OCTET STRING
// (explicit) or around segments (implicit), which give the same octets.
void writeContents(ElementStream& elements, const ElementHeader& header, Velmora::OutputStream& out) {
    if (header.universal() && header.identifier.number != kOctetString)
        fail(kNotOctetString, "unwrap", "the input holds " + header.name() + ", not an OCTET STRING");
    if (header.universal() || !header.constructed()) return writeString(elements, header, out, 0);
    elements.forEachComponent(header, [&](const ElementHeader& inner) {
        if (!inner.universal() || inner.identifier.number != kOctetString)
            fail(kNotOctetString, "unwrap",
                 "the input holds " + header.name() + " around " + inner.name() + ", not an OCTET STRING");
        writeString(elements, inner, out, 1);
    });
}

void runUnwrap(const UnwrapOptions& options) {
    const std::string& file = options.file;
    Input input = located(inputName(file), 0, [&file] { return openInput(file); });
    Progress progress("unwrap", input.size);
    ElementStream elements(*input.stream, "unwrap", progress);
    Velmora::FileOutputStream out = Velmora::FileOutputStream::standardOutput();
    try {
        if (options.path.empty()) {
            writeContents(elements, elements.readHeader(), out);
        } else {
            PathFinder finder(elements, options.encapsulated);
            writeContents(elements, finder.find(pathNumbers(options.path)), out);
        }
    } catch (...) {
        out.flush();
        rethrowForReport(inputName(file), elements.currentOffset());
    }
    progress.finish();
    out.flush();
}

}  // namespace

void addWrapCommands(CLI::App& app, CommandTable& table) {
    auto wrap = std::make_shared<WrapOptions>();
    CLI::App* wrapCommand = app.add_subcommand(
        "wrap", "Write the input as a BER OCTET STRING of indefinite length, segment by segment");
    CLI::Option* explicitOption =
        wrapCommand->add_option("--explicit", wrap->explicitTag, "Tag the string explicitly with [N]")
            ->check(CLI::Range(0LL, 4294967295LL));
    CLI::Option* implicitOption =
        wrapCommand->add_option("--implicit", wrap->implicitTag, "Tag the string implicitly with [N]")
            ->check(CLI::Range(0LL, 4294967295LL));
    explicitOption->excludes(implicitOption);
    wrapCommand->add_option("FILE", wrap->file, "Input file; \"-\" or omitted for standard input");
    table.add(wrapCommand, [wrap] { runWrap(*wrap); });

    auto unwrap = std::make_shared<UnwrapOptions>();
    CLI::App* unwrapCommand = app.add_subcommand(
        "unwrap", "Write the contents of one OCTET STRING (plain, explicitly or implicitly tagged)");
    unwrapCommand->add_option("FILE", unwrap->file, "Input file; \"-\" or omitted for standard input");
    unwrapCommand
        ->add_option(
            "--path", unwrap->path,
            "The string is the element at PATH (component numbers from 0, as 1.0.2) of the first element")
        ->check(CLI::Validator(checkPath, "PATH", "path"));
    unwrapCommand->add_flag(
        "--encapsulated", unwrap->encapsulated,
        "With --path: read the contents of a primitive OCTET STRING or BIT STRING on the path "
        "as elements");
    table.add(unwrapCommand, [unwrap] { runUnwrap(*unwrap); });
}

}  // namespace zcoders
