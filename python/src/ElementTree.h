#pragma once
// The elements of one encoding, read from memory in document order, with their positions: what the
// Python node tree stands on. Values are left in place; only identifiers and lengths are read here.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace zentrik_py {

struct Element {
    std::uint64_t offset = 0;       // of the identifier octets
    std::uint64_t contentsEnd = 0;  // just past the contents, before any end-of-contents octets
    std::uint64_t end = 0;          // just past the element
    std::uint32_t headerLength = 0;
    std::uint32_t tag = 0;
    std::uint32_t subtreeEnd = 0;  // the index just past this element's descendants
    unsigned char first = 0;       // the first identifier octet
    bool indefinite = false;

    bool constructed() const { return (first & 0x20) != 0; }
    unsigned int classBits() const { return first & 0xC0u; }
    std::uint64_t contentsOffset() const { return offset + headerLength; }
};

// A fault in the structure: the library's failure number, where it is, what is wrong.
class StructureError : public std::runtime_error {
  public:
    StructureError(unsigned int number, std::uint64_t offset, const std::string& message)
        : std::runtime_error(message), number_(number), offset_(offset) {}
    unsigned int number() const { return number_; }
    std::uint64_t offset() const { return offset_; }

  private:
    unsigned int number_;
    std::uint64_t offset_;
};

// Reads the one element that fills `size` octets and everything inside it. With `der`, lengths must
// be definite. Throws StructureError.
std::vector<Element> readElements(const unsigned char* data, std::size_t size, bool der);

}  // namespace zentrik_py
