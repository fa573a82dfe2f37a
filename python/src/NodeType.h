#pragma once
// zentrik.Node as a plain CPython type: a reference to its tree, an element index and the attributes
// a traversal reads as member slots. The root is made at decode; the nodes below it are made together
// when its children are first asked for (see NodeObjects.h).
#include <pybind11/pybind11.h>

#include "Tree.h"

namespace zentrik_py {

// Reads the structure of the bytes object `source` (exactly one element) and returns its root node.
// `check` runs over the tree before any node exists; both run without the GIL for large inputs.
pybind11::object decodeTree(pybind11::bytes source, bool der, void (*check)(const Tree&));

// The element behind a zentrik.Node; TypeError for anything else. Valid while `node` lives.
NodeRef nodeRef(const pybind11::handle& node);

}  // namespace zentrik_py
