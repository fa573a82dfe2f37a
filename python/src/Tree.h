#pragma once
// A decoded encoding held for Python: the octets (a bytes object kept alive) and its elements.
// Nodes share one Tree and build their values and children only when Python asks for them.
#include <cstdint>
#include <memory>
#include <vector>

#include <pybind11/pybind11.h>

#include "ElementTree.h"

namespace zentrik_py {

struct Tree {
    pybind11::bytes source;
    const unsigned char* data = nullptr;
    bool der = true;
    std::vector<Element> elements;
};

class Node {
  public:
    Node(std::shared_ptr<const Tree> tree, std::uint32_t index) : tree_(std::move(tree)), index_(index) {}

    const Element& element() const { return tree_->elements[index_]; }
    const Tree& tree() const { return *tree_; }
    Node child(std::uint32_t index) const { return {tree_, index}; }
    std::uint32_t index() const { return index_; }

  private:
    std::shared_ptr<const Tree> tree_;
    std::uint32_t index_;
};

// Decodes the bytes object `source` (which must hold exactly one element) into its root node; the
// structure is read without the GIL.
Node decodeTree(pybind11::bytes source, bool der);

// The class name Python shows for class bits 0x00, 0x40, 0x80, 0xC0.
const char* className(unsigned int classBits);

// An element's value as a Python object (None for structures).
pybind11::object valueOf(const Node& node);

}  // namespace zentrik_py
