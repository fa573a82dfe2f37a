#pragma once
// Walks the elements of an input one at a time, in order, and hands each to a printer as it goes:
// constructed elements are followed into, primitive ones decoded one by one, so that memory stays
// bounded whatever the input's size.

#include <cstdint>
#include <string>
#include <vector>

#include "DumpSink.h"
#include "OctetReader.h"
#include "OidNames.h"

namespace zcoders {

struct WalkSettings {
    std::string file;          // the input's name in failures
    std::string where;         // added to failure messages (" in PEM block 2")
    bool ber = false;          // decode with the BER rules; set when the input shows BER
    bool encapsulated = true;  // look for elements inside OCTET and BIT STRINGs
    bool derOnly = false;      // refuse the indefinite form
    bool json = false;         // values are put into words for the JSON output
    // Octets of string contents that may still be searched for elements, however deeply strings
    // nest inside strings: each search holds the contents it searches.
    std::size_t encapsulationBudget = 4 << 20;
    const OidNames* names = nullptr;
};

class ElementWalker {
  public:
    // Contents longer than this are passed on in pieces, not decoded.
    static constexpr std::uint64_t kHoldLimit = 1 << 20;
    // Strings longer than this are not searched for elements.
    static constexpr std::size_t kEncapsulationLimit = 256 * 1024;

    ElementWalker(OctetReader& reader, DumpSink& sink, WalkSettings& settings, unsigned int depth = 0);

    // Shows every element up to the end of the data.
    void walkAll();

  private:
    // Reads and shows one element inside `parent` (null at the top), whose contents must end within
    // `bound` (the nearest enclosing element of definite length, or null); false when it was the
    // end-of-contents octets.
    bool walkElement(const DumpElement* parent, const DumpElement* bound, unsigned int depth);
    void readHeader(DumpElement& element);
    // readHeader at the top, where a failure after the first element means trailing octets.
    void readTopHeader(DumpElement& element);
    void checkPlace(const DumpElement& element, const DumpElement* parent, const DumpElement* bound);
    void walkConstructed(const DumpElement& element, const DumpElement* bound);
    void walkPrimitive(const DumpElement& element);
    void walkLongPrimitive(const DumpElement& element);
    void readContents(const DumpElement& element, std::size_t count);
    // Where the elements inside a string's contents start, or npos when they hold none.
    std::size_t encapsulatedStart(const DumpElement& element, const unsigned char* contents, std::size_t count);
    void walkEncapsulated(const DumpElement& element, const unsigned char* contents, std::size_t count);

    [[noreturn]] void failAt(std::uint64_t offset, unsigned int number, const std::string& message) const;
    [[noreturn]] void failEnded(const DumpElement& element) const;
    [[noreturn]] void rethrowAbout(const DumpElement& element) const;

    OctetReader& reader_;
    DumpSink& sink_;
    WalkSettings& settings_;
    unsigned int depth_;
    std::uint64_t startOffset_;
    std::vector<unsigned char> scratch_;  // the header and contents of the primitive being shown
};

}  // namespace zcoders
