#pragma once
// What the dump walker finds, element by element, and the printers that take it.

#include <cstddef>
#include <cstdint>
#include <string>

#include "zentrik/platform/asn1/ASN1Octets.h"

namespace zcoders {

// One element's place in the input.
struct DumpElement {
    std::uint64_t offset = 0;       // of its first identifier octet
    unsigned int headerLength = 0;  // identifier and length octets
    std::int64_t length = 0;        // contents octets; Ostrel::octets::kIndefinite for the indefinite form
    Ostrel::octets::Identifier identifier;
    unsigned int depth = 0;

    bool indefinite() const { return length == Ostrel::octets::kIndefinite; }
    std::uint64_t contentsOffset() const { return offset + headerLength; }
};

// A primitive value as the printers show it.
struct ShownValue {
    std::string type;  // "INTEGER", "UTF8String", "[0]", "[APPLICATION 3]"
    std::string text;  // what follows the type on a text line: "65537", "TRUE", "\"Grüße\"", "2.5.4.3"
    std::string json;  // the JSON value: "\"65537\"", "true", "\"2.5.4.3\"", "null"
    std::string name;  // the name of an object identifier, when known
    std::string iso;   // a time in ISO 8601 form, when the text is a valid time
    bool badTime = false;
    // The octets of OCTET and BIT STRINGs, long INTEGERs and types without a decoder: the JSON value
    // in hexadecimal when `hexValue`, shown in hexadecimal by the text printer when `showHex` (on lines
    // of their own when `hexBelow` or when they are many).
    const unsigned char* octets = nullptr;
    std::size_t octetCount = 0;
    bool hexValue = false;
    bool showHex = false;
    bool hexBelow = false;
    int unusedBits = -1;        // of a BIT STRING; -1 for other types
    bool encapsulates = false;  // elements inside the contents follow
};

class DumpSink {
  public:
    virtual ~DumpSink() = default;

    // A constructed element; its elements follow, then close().
    virtual void open(const DumpElement& element, const std::string& type) = 0;
    virtual void close(const DumpElement& element) = 0;
    // The end-of-contents octets that close an element of indefinite length.
    virtual void endOfContents(const DumpElement& element) = 0;

    // A primitive element held whole; elements found inside its contents may follow between
    // beginEncapsulated() and endEncapsulated(); endPrimitive() closes it.
    virtual void primitive(const DumpElement& element, const ShownValue& value) = 0;
    virtual void beginEncapsulated() = 0;
    virtual void endEncapsulated() = 0;
    virtual void endPrimitive(const DumpElement& element) = 0;

    // A primitive element too long to hold: its contents come in pieces, then endPrimitive().
    virtual void longPrimitive(const DumpElement& element, const std::string& type) = 0;
    virtual void piece(const unsigned char* octets, std::size_t count) = 0;

    // A PEM block starts; the elements of its data follow.
    virtual void pemBlock(const std::string& label) = 0;
    // Everything has been shown.
    virtual void finish() = 0;
    // A failure ends the walk: what was shown so far is written out.
    virtual void stop() = 0;
};

// Takes everything and shows nothing: the walker's dry run over a string's contents.
class SilentSink : public DumpSink {
  public:
    void open(const DumpElement&, const std::string&) override {}
    void close(const DumpElement&) override {}
    void endOfContents(const DumpElement&) override {}
    void primitive(const DumpElement&, const ShownValue&) override {}
    void beginEncapsulated() override {}
    void endEncapsulated() override {}
    void endPrimitive(const DumpElement&) override {}
    void longPrimitive(const DumpElement&, const std::string&) override {}
    void piece(const unsigned char*, std::size_t) override {}
    void pemBlock(const std::string&) override {}
    void finish() override {}
    void stop() override {}
};

}  // namespace zcoders
