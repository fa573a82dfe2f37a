#pragma once
// zentrik.Node as a plain CPython type: a reference to its tree and an element index, so that a node
// is one small allocation and its attributes are read straight from the element records.
#include <pybind11/pybind11.h>

#include "Tree.h"

namespace zentrik_py {

// Reads the structure of the bytes object `source` (exactly one element) and returns its root node.
// `check` runs over the tree before any node exists; both run without the GIL for large inputs.
pybind11::object decodeTree(pybind11::bytes source, bool der, void (*check)(const Tree&));

// The element behind a zentrik.Node; TypeError for anything else. Valid while `node` lives.
NodeRef nodeRef(const pybind11::handle& node);

}  // namespace zentrik_py
