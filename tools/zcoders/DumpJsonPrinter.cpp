#include "DumpJsonPrinter.h"

#include "HexLines.h"
#include "JsonText.h"

namespace zcoders {

namespace {

constexpr const char* kClasses[4] = {"universal", "application", "context", "private"};
// Output gathered before it is written.
constexpr std::size_t kWriteSize = 64 * 1024;

}  // namespace

DumpJsonPrinter::DumpJsonPrinter(Velmora::OutputStream& out) : out_(out) {
    text_ = "[";
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
    text_ += "\"offset\":" + std::to_string(element.offset) + ",\"depth\":" + std::to_string(element.depth) +
             ",\"header_length\":" + std::to_string(element.headerLength) +
             ",\"length\":" + (element.indefinite() ? std::string("null") : std::to_string(element.length)) +
             ",\"class\":\"" + kClasses[identifier.classBits() >> 6] + "\",\"tag\":" +
             std::to_string(identifier.number) + ",\"constructed\":" + (identifier.constructed() ? "true" : "false") +
             ",\"type\":" + (identifier.classBits() == 0 ? jsonString(type) : std::string("null"));
    if (started_.size() == 1 && !pemLabel_.empty()) text_ += ",\"pem_label\":" + jsonString(pemLabel_);
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
    if (value.unusedBits >= 0) text_ += ",\"unused_bits\":" + std::to_string(value.unusedBits);
    if (!value.name.empty()) text_ += ",\"name\":" + jsonString(value.name);
    if (!value.iso.empty()) text_ += ",\"iso\":" + jsonString(value.iso);
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
