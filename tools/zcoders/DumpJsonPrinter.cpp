#include "DumpJsonPrinter.h"

#include <charconv>

#include "HexLines.h"
#include "JsonText.h"

namespace zcoders {

namespace {

constexpr const char* kClasses[4] = {"universal", "application", "context", "private"};
// Output gathered before it is written.
constexpr std::size_t kWriteSize = 64 * 1024;

}  // namespace

DumpJsonPrinter::DumpJsonPrinter(Velmora::OutputStream& out) : out_(out), text_(1, '[') {
    started_.push_back(false);
}

void DumpJsonPrinter::write() {
    if (text_.size() < kWriteSize) return;
    out_.write(text_.data(), text_.size());
    text_.clear();
}

void DumpJsonPrinter::startNode(const DumpElement& element, const std::string& type) {
    text_ += started_.back() ? ",\n{" : "\n{";
    started_.back() = true;
    const Ostrel::octets::Identifier& identifier = element.identifier;
    text_ += "\"offset\":";
    appendNumber(element.offset);
    text_ += ",\"depth\":";
    appendNumber(element.depth);
    text_ += ",\"header_length\":";
    appendNumber(element.headerLength);
    text_ += ",\"length\":";
    if (element.indefinite())
        text_ += "null";
    else
        appendNumber(static_cast<std::uint64_t>(element.length));
    text_.append(",\"class\":\"").append(kClasses[identifier.classBits() >> 6]).append("\",\"tag\":");
    appendNumber(identifier.number);
    text_.append(",\"constructed\":").append(identifier.constructed() ? "true" : "false").append(",\"type\":");
    text_.append(identifier.classBits() == 0 ? jsonString(type) : std::string("null"));
    if (started_.size() == 1 && !pemLabel_.empty()) text_.append(",\"pem_label\":").append(jsonString(pemLabel_));
}

void DumpJsonPrinter::appendNumber(std::uint64_t number) {
    char digits[24];
    const std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, number);
    text_.append(digits, static_cast<std::size_t>(end.ptr - digits));
}

void DumpJsonPrinter::openArray(const char* member) {
    text_ += ",\"";
    text_ += member;
    text_ += "\":[";
    started_.push_back(false);
}

void DumpJsonPrinter::closeArray() {
    text_ += ']';
    started_.pop_back();
}

void DumpJsonPrinter::open(const DumpElement& element, const std::string& type) {
    startNode(element, type);
    openArray("children");
}

void DumpJsonPrinter::close(const DumpElement&) {
    closeArray();
    text_ += '}';
    write();
}

void DumpJsonPrinter::primitive(const DumpElement& element, const ShownValue& value) {
    startNode(element, value.type);
    text_ += ",\"value\":";
    if (value.hexValue) {
        text_ += '"';
        appendHex(text_, value.octets, value.octetCount, false);
        text_ += '"';
    } else {
        text_ += value.json;
    }
    if (value.unusedBits >= 0) {
        text_ += ",\"unused_bits\":";
        appendNumber(static_cast<std::uint64_t>(value.unusedBits));
    }
    if (!value.name.empty()) text_.append(",\"name\":").append(jsonString(value.name));
    if (!value.iso.empty()) text_.append(",\"iso\":").append(jsonString(value.iso));
    if (value.badTime) text_ += ",\"valid_time\":false";
}

void DumpJsonPrinter::beginEncapsulated() {
    openArray("encapsulated");
}

void DumpJsonPrinter::endEncapsulated() {
    closeArray();
}

void DumpJsonPrinter::endPrimitive(const DumpElement&) {
    if (inValue_) text_ += '"';
    inValue_ = false;
    text_ += '}';
    write();
}

void DumpJsonPrinter::longPrimitive(const DumpElement& element, const std::string& type) {
    startNode(element, type);
    text_ += ",\"value\":\"";
    inValue_ = true;
}

void DumpJsonPrinter::piece(const unsigned char* octets, std::size_t count) {
    appendHex(text_, octets, count, false);
    write();
}

void DumpJsonPrinter::pemBlock(const std::string& label) {
    pemLabel_ = label;
}

void DumpJsonPrinter::finish() {
    text_ += "\n]\n";
    stop();
}

void DumpJsonPrinter::stop() {
    out_.write(text_.data(), text_.size());
    text_.clear();
    out_.flush();
}

}  // namespace zcoders
