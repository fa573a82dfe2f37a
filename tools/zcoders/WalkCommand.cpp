// walk: streams through BER or DER data, one line (or one JSON object) per element, in bounded memory.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <memory>
#include <string>

#include "Commands.h"
#include "ElementStream.h"
#include "JsonText.h"
#include "LocatedFailure.h"
#include "LocatedStep.h"
#include "ToolSupport.h"
#include "ValueText.h"
#include "zentrik/asn1/BERCoder.h"
#include "zentrik/asn1/BERToDER.h"
#include "zentrik/foundation/CoderException.h"
#include "zentrik/foundation/CoderFailures.h"

namespace zcoders {

namespace {

// Primitive contents up to this length are decoded and shown.
constexpr std::int64_t kShownLength = 64 * 1024;

struct WalkOptions {
    std::string file = "-";
    bool json = false;
};

// What is shown after an element's type and length.
struct Shown {
    std::string text;          // ": 5", ", 0 unused bits, ...", "" for nothing
    bool string = false;       // an OCTET STRING or a segmented string, counted below
    std::uint64_t octets = 0;  // contents of a string, its segments joined
    std::uint64_t segments = 0;
};

const char* className(unsigned char classBits) {
    static constexpr const char* kNames[4] = {"universal", "application", "context", "private"};
    return kNames[classBits >> 6];
}

class Walker {
  public:
    Walker(ElementStream& elements, Velmora::OutputStream& out, bool json)
        : elements_(elements), out_(out), json_(json) {}

    void walkStream() {
        while (!elements_.atEnd()) walk(elements_.readHeader(), 0);
    }

  private:
    void walk(const ElementHeader& header, unsigned int depth) {
        if (depth >= kMaxDepth)
            fail(kTooDeep, "walk", "elements nest more than " + std::to_string(kMaxDepth) + " levels deep");
        const bool segmented = header.universal() && Ostrel::isStringType(header.identifier.number);
        if (header.constructed() && !segmented) {
            report(header, depth, {});
            elements_.forEachComponent(header,
                                       [&](const ElementHeader& component) { walk(component, depth + 1); });
            return;
        }
        if (!header.constructed()) return report(header, depth, primitive(header));
        Shown shown;
        shown.string = true;
        countSegments(header, depth, shown);
        report(header, depth, shown);
    }

    // The segments of a constructed string, counted and skipped.
    void countSegments(const ElementHeader& header, unsigned int depth, Shown& shown) {
        if (depth >= kMaxDepth)
            fail(kTooDeep, "walk", "segments nest more than " + std::to_string(kMaxDepth) + " levels deep");
        elements_.forEachComponent(header, [&](const ElementHeader& segment) {
            if (!segment.universal() || segment.identifier.number != header.identifier.number)
                throw Velmora::CoderException(
                    Velmora::Exception::LIB_CODERS, Velmora::failures::kBadSegment, elements_.operation(),
                    "a " + segment.name() + " among the segments of a " + header.name());
            if (segment.constructed()) return countSegments(segment, depth + 1, shown);
            elements_.skipContents(segment);
            shown.octets += static_cast<std::uint64_t>(segment.length);
            ++shown.segments;
        });
    }

    Shown primitive(const ElementHeader& header) {
        Shown shown;
        if (header.universal() && header.identifier.number == 4) {
            elements_.skipContents(header);
            shown.octets = static_cast<std::uint64_t>(header.length);
            shown.string = true;
            shown.segments = 1;
            return shown;
        }
        // Long contents are passed over; short ones are shown.
        Velmora::ByteArray contents;
        const bool kept = header.length <= kShownLength;
        elements_.forEachPiece(header, [&](const unsigned char* octets, std::size_t count) {
            if (kept) contents.append(octets, count);
        });
        if (kept) shown.text = header.universal() ? universalValue(header, contents) : taggedValue(contents);
        return shown;
    }

    static std::string universalValue(const ElementHeader& header, const Velmora::ByteArray& contents) {
        Velmora::SmartPointer<Ostrel::ASN1Object> value;
        try {
            value = Ostrel::BERCoder::decode(header.octets + contents);
        } catch (const Velmora::Exception& failure) {
            // A universal type the library has no class for is shown without a value.
            if (failure.getNumber() == Velmora::failures::kUnsupportedIdentifier) return "";
            throw;
        }
        std::string text = valueText(*value, false);
        if (!text.empty() && text[0] == ' ') text.insert(0, ":");
        return text;
    }

    static std::string taggedValue(const Velmora::ByteArray& contents) {
        if (contents.isEmpty()) return "";
        const std::size_t shown = std::min(contents.size(), kShortOctets);
        return ": " + hexOctets(contents.data(), shown) + (shown < contents.size() ? " ..." : "");
    }

    static std::string typeOf(const ElementHeader& header) {
        const Ostrel::octets::Identifier& identifier = header.identifier;
        if (!header.universal())
            return tagText(identifier.first, identifier.number) +
                   (header.constructed() ? " constructed" : " primitive");
        std::string type = universalTypeName(identifier.number);
        if (header.constructed() && identifier.number != 16 && identifier.number != 17)
            type += " constructed";
        return type;
    }

    void report(const ElementHeader& header, unsigned int depth, const Shown& shown) {
        writeText(out_, json_ ? jsonLine(header, depth, shown) : textLine(header, depth, shown));
    }

    static std::string textLine(const ElementHeader& header, unsigned int depth, const Shown& shown) {
        std::string text = std::to_string(header.offset) + " " + std::to_string(depth) + " " +
                           std::string(2 * depth, ' ') + typeOf(header) + " (" + lengthText(header.length) +
                           ")";
        if (shown.string)
            text += ": " + countOf(shown.octets, "octet", "octets") + " in " +
                    countOf(shown.segments, "segment", "segments");
        return text + shown.text + "\n";
    }

    static std::string jsonLine(const ElementHeader& header, unsigned int depth, const Shown& shown) {
        const Ostrel::octets::Identifier& identifier = header.identifier;
        const char* name = header.universal() ? Ostrel::octets::universalName(identifier.number) : nullptr;
        std::string text =
            "{\"offset\":" + std::to_string(header.offset) + ",\"depth\":" + std::to_string(depth) +
            ",\"header_length\":" + std::to_string(header.headerLength) +
            ",\"length\":" + (header.indefinite() ? std::string("null") : std::to_string(header.length)) +
            ",\"class\":\"" + className(identifier.classBits()) +
            "\",\"constructed\":" + (header.constructed() ? "true" : "false") +
            ",\"tag\":" + std::to_string(identifier.number) +
            ",\"type\":" + (name ? jsonString(name) : std::string("null"));
        if (shown.string)
            text += ",\"octets\":" + std::to_string(shown.octets) +
                    ",\"segments\":" + std::to_string(shown.segments);
        const std::size_t start = shown.text.find_first_not_of(":, ");
        if (start != std::string::npos) text += ",\"value\":" + jsonString(shown.text.substr(start));
        return text + "}\n";
    }

    ElementStream& elements_;
    Velmora::OutputStream& out_;
    bool json_;
};

void runWalk(const WalkOptions& options) {
    Input input = located(inputName(options.file), 0, [&options] { return openInput(options.file); });
    Progress progress("walk", input.size);
    Velmora::FileOutputStream out = Velmora::FileOutputStream::standardOutput();
    ElementStream elements(*input.stream, "walk", progress);
    try {
        Walker(elements, out, options.json).walkStream();
    } catch (...) {
        out.flush();
        rethrowForReport(inputName(options.file), elements.currentOffset());
    }
    progress.finish();
    out.flush();
}

}  // namespace

void addWalkCommand(CLI::App& app, CommandTable& table) {
    auto options = std::make_shared<WalkOptions>();
    CLI::App* walk = app.add_subcommand(
        "walk", "Stream through BER or DER data element by element, in bounded memory, one line per element");
    walk->add_option("FILE", options->file, "Input file; \"-\" or omitted for standard input");
    walk->add_flag("--json", options->json, "One JSON object per element and line");
    table.add(walk, [options] { runWalk(*options); });
}

}  // namespace zcoders
