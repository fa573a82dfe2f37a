// walk: streams through BER or DER data with the IOU readers, one line per element.
#include <CLI/CLI.hpp>
#include <memory>
#include <string>

#include "Commands.h"
#include "ElementReaders.h"
#include "ToolSupport.h"
#include "ValueText.h"

namespace zcoders {

namespace {

using Ostrel::ASN1IOUObject;

// Prints "DEPTH  <indent>TYPE (LENGTH)..." for every element, reading contents a piece at a time.
class Walker {
  public:
    Walker(Velmora::InputStream& in, Velmora::OutputStream& out, Progress& progress)
        : in_(in), out_(out), progress_(progress) {}

    // Every element of the stream, one after the other.
    void walkStream() {
        while (in_.hasData()) {
            const NextElement next = peekNextElement(in_, "walk");
            Velmora::SmartPointer<ASN1IOUObject> reader = openReader(in_, next.kind);
            walk(*reader, next, 0);
            progress_.update(in_.getCount());
        }
    }

  private:
    void walk(ASN1IOUObject& reader, const NextElement& next, unsigned int depth) {
        const PeekedHeader& outer = next.outer;
        switch (next.kind) {
            case ReaderKind::Plain:
                walkElement(reader, next.kind, typeOf(reader), depth);
                break;
            case ReaderKind::Explicit:
                line(depth, tagText(outer.identifier, outer.tagNumber) + " EXPLICIT (" +
                                lengthText(outer.length) + ")");
                walkElement(reader, next.kind, typeOf(reader), depth + 1);
                break;
            case ReaderKind::ImplicitOctetString:
                walkElement(reader, next.kind,
                            tagText(outer.identifier, outer.tagNumber) + " IMPLICIT OCTET STRING", depth);
                break;
            case ReaderKind::Container:
                walkElement(reader, next.kind, tagText(outer.identifier, outer.tagNumber) + " constructed",
                            depth);
                break;
        }
        endReader(reader, next, in_, "walk");
    }

    // One element: its line, then its components, its segments or its value.
    void walkElement(ASN1IOUObject& reader, ReaderKind kind, const std::string& type, unsigned int depth) {
        if (depth >= kMaxDepth)
            fail(kTooDeep, "walk", "elements nest more than " + std::to_string(kMaxDepth) + " levels deep");
        const std::string head = type + " (" + lengthText(reader.getLength()) + ")";
        if (readsOctetString(reader, kind)) {
            const OctetsRead read = readOctetString(reader, in_, nullptr, progress_);
            line(depth, head + ": " + countOf(read.octets, "octet", "octets") + " in " +
                            countOf(read.segments, "segment", "segments"));
        } else if (reader.isConstructed()) {
            line(depth, head);
            walkComponents(reader, depth + 1);
        } else {
            const Ostrel::ASN1Object* value = reader.getValue();
            std::string shown = value ? valueText(*value, false) : "";
            if (!shown.empty() && shown[0] == ' ') shown.insert(0, ":");
            line(depth, head + shown);
        }
    }

    void walkComponents(ASN1IOUObject& parent, unsigned int depth) {
        while (parent.hasNextComponent()) {
            const NextElement next = peekNextElement(in_, "walk");
            Velmora::SmartPointer<ASN1IOUObject> component = openComponent(parent, next.kind);
            if (!component) break;
            walk(*component, next, depth);
            progress_.update(in_.getCount());
        }
    }

    // The type named by a plain reader's identifier, or by an explicit reader's inner identifier.
    static std::string typeOf(const ASN1IOUObject& reader) {
        const unsigned int identifier = reader.getIdentifier();
        const unsigned int tagNumber = reader.getTagNumber();
        if (identifier & 0xC0)
            return tagText(static_cast<unsigned char>(identifier), tagNumber) +
                   (reader.isConstructed() ? " constructed" : " primitive");
        std::string type = universalTypeName(tagNumber);
        if (reader.isConstructed() && tagNumber != 16 && tagNumber != 17) type += " constructed";
        return type;
    }

    void line(unsigned int depth, const std::string& text) {
        writeText(out_, std::to_string(depth) + " " + std::string(2 * depth, ' ') + text + "\n");
    }

    Velmora::InputStream& in_;
    Velmora::OutputStream& out_;
    Progress& progress_;
};

void runWalk(const std::string& file) {
    Input input = openInput(file);
    Progress progress("walk", input.size);
    Velmora::FileOutputStream out = Velmora::FileOutputStream::standardOutput();
    Walker(*input.stream, out, progress).walkStream();
    progress.finish();
    out.flush();
}

}  // namespace

void addWalkCommand(CLI::App& app, CommandTable& table) {
    auto file = std::make_shared<std::string>("-");
    CLI::App* walk = app.add_subcommand(
        "walk", "Stream through BER or DER data element by element, in bounded memory, one line per element");
    walk->add_option("FILE", *file, "Input file; \"-\" or omitted for standard input");
    table.add(walk, [file] { runWalk(*file); });
}

}  // namespace zcoders
