#pragma once
// Paths of component numbers ("1.0.2") and the element such a path leads to, for component and unwrap.

#include <cstdint>
#include <string>
#include <vector>

#include "ElementStream.h"

namespace zcoders {

// "" for a well-formed path, else what is wrong with it (a CLI11 check).
std::string checkPath(const std::string& path);
// The numbers of a well-formed path.
std::vector<std::uint32_t> pathNumbers(const std::string& path);

// Finds the element a path leads to, from the element at the start of a stream: each number picks a
// component (from 0) of the element reached so far.
class PathFinder {
  public:
    // With `encapsulated`, a primitive OCTET STRING or BIT STRING on the path holds the elements its
    // contents (after the unused-bit octet, which must be 0) encode.
    PathFinder(ElementStream& elements, bool encapsulated)
        : elements_(elements), encapsulated_(encapsulated) {}

    // The header of the element at the end of the path; the stream is then at its contents.
    ElementHeader find(const std::vector<std::uint32_t>& path);
    // Reads the rest of an element whose header was read.
    void skip(const ElementHeader& header);

  private:
    ElementHeader container(const ElementHeader& header);
    ElementHeader component(const ElementHeader& parent, std::uint32_t number);

    ElementStream& elements_;
    bool encapsulated_;
};

}  // namespace zcoders
