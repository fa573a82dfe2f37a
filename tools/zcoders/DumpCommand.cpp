// dump: the first element of the input as an indented tree.
#include <CLI/CLI.hpp>
#include <memory>
#include <string>

#include "ASN1Input.h"
#include "Commands.h"
#include "ToolSupport.h"
#include "ValueText.h"
#include "zentrik/asn1/BERCoder.h"
#include "zentrik/asn1/DERCoder.h"
#include "zentrik/platform/asn1/ASN1.h"

namespace zcoders {

namespace {

using Ostrel::ASN1Object;
using Ostrel::ASNTag;

// Prints a decoded value and everything inside it, one line per value, two spaces per level. The text
// is gathered first, so that a failure deep inside leaves no partial tree behind.
class TreePrinter {
  public:
    TreePrinter(bool ber, bool full) : ber_(ber), full_(full) {}

    const std::string& text() const { return text_; }

    void print(const ASN1Object& value, unsigned int depth) {
        if (depth >= kMaxDepth)
            fail(kTooDeep, "dump", "elements nest more than " + std::to_string(kMaxDepth) + " levels deep");
        switch (value.getTagValue()) {
            case ASNTag::SEQUENCE:
            case ASNTag::SET:
            case ASNTag::SORTED_STRUCTURE:
                printStructure(value, depth);
                break;
            case ASNTag::TAGGED:
                printTagged(value, depth);
                break;
            case ASNTag::ANY:
            case ASNTag::CHOICE:
                printHolder(value, depth);
                break;
            default:
                line(depth, typeName(value) + taggingText(value) + valueText(value, full_));
        }
    }

  private:
    void line(unsigned int depth, const std::string& text) {
        text_.append(2 * depth, ' ');
        text_ += text;
        text_ += '\n';
    }

    void printStructure(const ASN1Object& value, unsigned int depth) {
        const auto* structure = Ostrel::asn1_const_cast<Ostrel::ASNStructured>(&value);
        const unsigned int count = structure->getNumberOfComponents();
        line(depth, typeName(value) + taggingText(value) + ", " + countOf(count, "component", "components"));
        for (unsigned int i = 0; i < count; ++i) print(*structure->getComponent(i), depth + 1);
    }

    void printHolder(const ASN1Object& value, unsigned int depth) {
        const auto* holder = dynamic_cast<const Ostrel::ASN1ValueHolder*>(&value);
        line(depth, typeName(value) + taggingText(value));
        if (holder && holder->getValue()) print(*holder->getValue(), depth + 1);
    }

    // A tagged element holds its encoding: the contents after its header are shown as text or octets
    // when it is primitive, and decoded as a sequence of elements when it is constructed.
    void printTagged(const ASN1Object& value, unsigned int depth) {
        const Velmora::ByteArray& encoding = value.getDERBytes();
        Velmora::ByteArrayInputStream header(encoding.data(), encoding.size());
        const unsigned int tagNumber = Ostrel::DERCoder::getTaggedValue(header);
        const int length = Ostrel::BERCoder::getLength(header);
        const std::size_t start = static_cast<std::size_t>(header.getCount());
        std::size_t size = encoding.size() - start;
        if (length < 0) size = size >= 2 ? size - 2 : 0;  // without its end-of-contents octets
        const unsigned char identifier = encoding.data()[0];
        std::string text = tagText(identifier, tagNumber);
        if (identifier & 0x20) {
            text += " constructed, " + (length < 0 ? "indefinite length" : countOf(size, "octet", "octets"));
            line(depth, text);
            Velmora::ByteArrayInputStream contents(encoding.data() + start, size);
            while (contents.hasData()) {
                Velmora::SmartPointer<ASN1Object> inner =
                    ber_ ? Ostrel::BERCoder::decode(contents) : Ostrel::DERCoder::decode(contents);
                print(*inner, depth + 1);
            }
        } else {
            const Velmora::ByteArray octets = encoding.subBytes(start, size);
            text += " primitive, ";
            text += isPrintable(octets) && (full_ || octets.size() <= 2 * kShortOctets)
                        ? countOf(octets.size(), "octet", "octets") + ": " + quoted(octets)
                        : octetsText(octets, full_);
            line(depth, text);
        }
    }

    std::string text_;
    bool ber_;
    bool full_;
};

struct DumpOptions {
    ASN1InputOptions input;
    bool full = false;
};

void runDump(const DumpOptions& options) {
    const Velmora::ByteArray octets = readASN1Input(options.input, "dump");
    const Velmora::SmartPointer<ASN1Object> value = decodeFirstElement(octets, options.input.ber);
    TreePrinter printer(options.input.ber, options.full);
    printer.print(*value, 0);
    Velmora::FileOutputStream out = Velmora::FileOutputStream::standardOutput();
    writeText(out, printer.text());
    out.flush();
}

}  // namespace

void addDumpCommand(CLI::App& app, CommandTable& table) {
    auto dump = std::make_shared<DumpOptions>();
    CLI::App* dumpCommand =
        app.add_subcommand("dump", "Print the first element of the input as an indented tree");
    addASN1InputOptions(*dumpCommand, dump->input, true);
    dumpCommand->add_flag("--full", dump->full, "Show long OCTET and BIT STRINGs whole");
    table.add(dumpCommand, [dump] { runDump(*dump); });
}

}  // namespace zcoders
