#pragma once
// A decoded encoding held for Python: the octets (a bytes object kept alive) and its elements.
// Nodes share one Tree; the nodes below an element are made when Python first asks for its children.
#include <cstdint>
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

// One element of a tree, as the C++ side sees a zentrik.Node.
struct NodeRef {
    const Tree& tree;
    std::uint32_t index;

    const Element& element() const { return tree.elements[index]; }
};

// An element's value as a new reference (None for structures); throws what the library throws.
PyObject* valueOf(const Tree& tree, std::uint32_t index);

}  // namespace zentrik_py
