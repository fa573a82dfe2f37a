#pragma once
// dump's JSON output: one array of the top-level elements, each an object with its place, its tag,
// its value and the elements inside it, written as the walker finds them.

#include <cstdint>
#include <string>
#include <vector>

#include "DumpSink.h"
#include "zentrik/platform/utils/OutputStream.h"

namespace zcoders {

class DumpJsonPrinter : public DumpSink {
  public:
    explicit DumpJsonPrinter(Velmora::OutputStream& out);

    void open(const DumpElement& element, const std::string& type) override;
    void close(const DumpElement& element) override;
    void endOfContents(const DumpElement&) override {}
    void primitive(const DumpElement& element, const ShownValue& value) override;
    void beginEncapsulated() override;
    void endEncapsulated() override;
    void endPrimitive(const DumpElement& element) override;
    void longPrimitive(const DumpElement& element, const std::string& type) override;
    void piece(const unsigned char* octets, std::size_t count) override;
    void pemBlock(const std::string& label) override;
    void finish() override;
    void stop() override;

  private:
    // Writes the members every node has, after a comma when it is not the first of its array.
    void startNode(const DumpElement& element, const std::string& type);
    void openArray(const char* member);
    void closeArray();
    void write();
    void appendNumber(std::uint64_t number);

    Velmora::OutputStream& out_;
    std::string text_;
    std::vector<bool> started_;  // per open array: whether it holds a node already
    std::string pemLabel_;       // of the block being shown
    bool inValue_ = false;       // a long value's hexadecimal string is open
};

}  // namespace zcoders
