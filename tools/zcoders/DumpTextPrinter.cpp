#include "DumpTextPrinter.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace zcoders {

namespace {

// Octets a string shows without --full, and the most shown on the element's own line.
constexpr std::uint64_t kShownOctets = 96;
constexpr std::size_t kInlineOctets = 16;
constexpr unsigned int kDefaultWidth = 80;

}  // namespace

unsigned int terminalWidth() {
    winsize size{};
    if (::isatty(STDOUT_FILENO) == 1 && ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    if (const char* columns = std::getenv("COLUMNS")) {
        const long value = std::strtol(columns, nullptr, 10);
        if (value > 0 && value < 10000) return static_cast<unsigned int>(value);
    }
    return kDefaultWidth;
}

DumpTextPrinter::DumpTextPrinter(Velmora::OutputStream& out, unsigned int width, bool full)
    : out_(out), width_(width), full_(full) {}

void DumpTextPrinter::startLine(const DumpElement& element) {
    char numbers[64];
    const std::string length = element.indefinite() ? "inf" : std::to_string(element.length);
    const int written = std::snprintf(numbers, sizeof numbers, "%6llu %u %5s: ",
                                      static_cast<unsigned long long>(element.offset), element.headerLength,
                                      length.c_str());
    line_.assign(numbers, static_cast<std::size_t>(written));
    prefixWidth_ = line_.size();
    line_.append(2 * element.depth, ' ');
}

void DumpTextPrinter::endLine() {
    line_ += '\n';
    out_.write(line_.data(), line_.size());
}

void DumpTextPrinter::startHex(const DumpElement& element, std::uint64_t limit) {
    const std::size_t indent = prefixWidth_ + 2 * (element.depth + 1);
    const std::size_t room = width_ > indent + 24 ? width_ - indent : 24;
    const std::size_t prefixWidth = prefixWidth_;
    hex_ = std::make_unique<HexLines>(
        [this, indent, prefixWidth](const std::string& hex) {
            line_.assign(prefixWidth - 2, ' ');
            line_ += ": ";
            line_.append(indent - prefixWidth, ' ');
            line_ += hex;
            endLine();
        },
        std::max<std::size_t>(4, (room + 1) / 3), limit);
}

void DumpTextPrinter::open(const DumpElement& element, const std::string& type) {
    startLine(element);
    line_ += type;
    endLine();
}

void DumpTextPrinter::endOfContents(const DumpElement& element) {
    startLine(element);
    line_ += "end-of-contents";
    endLine();
}

void DumpTextPrinter::primitive(const DumpElement& element, const ShownValue& value) {
    startLine(element);
    line_ += value.type;
    if (!value.text.empty()) line_ += " " + value.text;
    if (!value.name.empty()) line_ += " (" + value.name + ")";
    if (!value.iso.empty()) line_ += " (" + value.iso + ")";
    if (value.badTime) line_ += " (not a valid time)";
    if (value.encapsulates) line_ += ", encapsulates:";
    const bool inlineHex = value.showHex && !value.hexBelow && !value.encapsulates && value.octetCount <= kInlineOctets;
    if (inlineHex && value.octetCount > 0) {
        appendHex(line_, value.octets, value.octetCount, true);
    }
    endLine();
    if (!value.showHex || inlineHex || value.encapsulates) return;
    startHex(element, full_ || value.hexBelow ? UINT64_MAX : kShownOctets);
    hex_->feed(value.octets, value.octetCount);
}

void DumpTextPrinter::longPrimitive(const DumpElement& element, const std::string& type) {
    startLine(element);
    line_ += type;
    endLine();
    startHex(element, full_ ? UINT64_MAX : kShownOctets);
}

void DumpTextPrinter::piece(const unsigned char* octets, std::size_t count) {
    if (hex_) hex_->feed(octets, count);
}

void DumpTextPrinter::endPrimitive(const DumpElement&) {
    if (!hex_) return;
    hex_->finish();
    hex_.reset();
}

void DumpTextPrinter::pemBlock(const std::string& label) {
    line_ = "PEM block " + std::to_string(++pemBlocks_) + ", " + label + ":";
    endLine();
}

void DumpTextPrinter::finish() {
    out_.flush();
}

}  // namespace zcoders
