// wrap: any octets as a streamed BER OCTET STRING; unwrap: the contents of one OCTET STRING.
// Both keep one piece of the data in memory at a time, whatever its size.
#include <CLI/CLI.hpp>
#include <memory>
#include <string>

#include "Commands.h"
#include "ElementReaders.h"
#include "ToolSupport.h"
#include "ValueText.h"
#include "zentrik/asn1/BERCoder.h"
#include "zentrik/platform/asn1/ASN1OctetString.h"

namespace zcoders {

namespace {

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

std::string describe(const NextElement& next) {
    const PeekedHeader& outer = next.outer;
    if (outer.identifier & 0xC0) {
        std::string text = tagText(outer.identifier, outer.tagNumber);
        if (next.kind == ReaderKind::Explicit) text += " EXPLICIT " + universalTypeName(next.inner.tagNumber);
        return text;
    }
    return universalTypeName(outer.tagNumber);
}

void runUnwrap(const std::string& file) {
    Input input = openInput(file);
    Progress progress("unwrap", input.size);
    Velmora::InputStream& in = *input.stream;
    const NextElement next = peekNextElement(in, "unwrap");
    Velmora::SmartPointer<Ostrel::ASN1IOUObject> reader = openReader(in, next.kind);
    // An empty constructed tag (what wrap makes of no data) holds an empty string.
    if (!readsOctetString(*reader, next.kind) && !next.empty) {
        reader->abandonIOU();
        fail(kNotOctetString, "unwrap", "the input holds " + describe(next) + ", not an OCTET STRING");
    }
    Velmora::FileOutputStream out = Velmora::FileOutputStream::standardOutput();
    readOctetString(*reader, in, &out, progress);
    endReader(*reader, next, in, "unwrap");
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

    auto file = std::make_shared<std::string>("-");
    CLI::App* unwrapCommand = app.add_subcommand(
        "unwrap", "Write the contents of one OCTET STRING (plain, explicitly or implicitly tagged)");
    unwrapCommand->add_option("FILE", *file, "Input file; \"-\" or omitted for standard input");
    table.add(unwrapCommand, [file] { runUnwrap(*file); });
}

}  // namespace zcoders
