#include "DumpTextPrinter.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace zcoders {

namespace {

// Octets a string shows without --full, and the most shown on the element's own line.
constexpr std::uint64_t kShownOctets = 96;
constexpr std::size_t kInlineOctets = 16;
constexpr unsigned int kDefaultWidth = 80;

// Appends a number right-aligned in `width` columns (more when it needs them).
void appendNumber(std::string& text, std::uint64_t number, std::size_t width) {
    char digits[24];
    const std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, number);
    const auto count = static_cast<std::size_t>(end.ptr - digits);
    if (count < width) text.append(width - count, ' ');
    text.append(digits, count);
}

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
    line_.clear();
    appendNumber(line_, element.offset, 6);
    line_ += ' ';
    appendNumber(line_, element.headerLength, 1);
    line_ += ' ';
    if (element.indefinite())
        line_ += "  inf";
    else
        appendNumber(line_, static_cast<std::uint64_t>(element.length), 5);
    line_ += ": ";
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
