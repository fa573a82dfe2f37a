#pragma once
// dump's text output: one line per element, "OFFSET HL LENGTH: " then the element indented by its
// depth, its type and its value; octets in hexadecimal on the lines that follow.

#include <cstdint>
#include <memory>
#include <string>

#include "DumpSink.h"
#include "HexLines.h"
#include "zentrik/platform/utils/OutputStream.h"

namespace zcoders {

class DumpTextPrinter : public DumpSink {
  public:
    // `width`: the columns hexadecimal lines fill; `full`: every octet of long strings.
    DumpTextPrinter(Velmora::OutputStream& out, unsigned int width, bool full);

    void open(const DumpElement& element, const std::string& type) override;
    void close(const DumpElement&) override {}
    void endOfContents(const DumpElement& element) override;
    void primitive(const DumpElement& element, const ShownValue& value) override;
    void beginEncapsulated() override {}
    void endEncapsulated() override {}
    void endPrimitive(const DumpElement& element) override;
    void longPrimitive(const DumpElement& element, const std::string& type) override;
    void piece(const unsigned char* octets, std::size_t count) override;
    void pemBlock(const std::string& label) override;
    void finish() override;
    void stop() override { finish(); }

  private:
    // Starts a line with the element's numbers and indentation.
    void startLine(const DumpElement& element);
    void endLine();
    // Starts hexadecimal lines under `element`, `limit` octets at most.
    void startHex(const DumpElement& element, std::uint64_t limit);

    Velmora::OutputStream& out_;
    unsigned int width_;
    bool full_;
    std::string line_;
    std::size_t prefixWidth_ = 0;
    unsigned int pemBlocks_ = 0;
    std::unique_ptr<HexLines> hex_;  // the octets of the element being shown, when on lines of their own
};

// The columns of the terminal on standard output, else of $COLUMNS, else 80.
unsigned int terminalWidth();

}  // namespace zcoders
