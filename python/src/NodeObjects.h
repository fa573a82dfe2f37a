#pragma once
// The C layouts behind zentrik.Node: a tree object owning the decoded elements (and, once made, the
// memory of all nodes below the root), and the node, whose attributes are plain object members.
#include <cstdint>

#include <Python.h>

#include "Tree.h"

namespace zentrik_py {

struct NodeObject;

inline PyObject* newReference(PyObject* object) {
    Py_INCREF(object);
    return object;
}

// Memory holding nodes made together, chained to the tree's earlier blocks.
struct NodeBlock {
    NodeBlock* next;
};

struct TreeObject {
    PyObject_HEAD Tree tree;
    NodeBlock* blocks;  // freed with the tree, which every node keeps alive
};

// Every attribute a traversal reads is a Python object made with the node and read as a member
// slot, which the interpreter reads as fast as a slot of a Python class.
struct NodeObject {
    PyObject_HEAD TreeObject* owner;
    PyObject* children;  // a tuple; a pending node's is made with its descendants, when first asked for
    PyObject* value;     // a pending node's is made when first asked for
    PyObject* tag;
    PyObject* cls;
    PyObject* constructed;
    PyObject* offset;
    PyObject* headerLength;
    PyObject* length;
    std::uint32_t index;
    bool inBlock;  // lives in one of its tree's blocks
};

// Fills the members of `node` but children and value, for element `index` of `owner` (whose
// reference the node takes). False with a Python error set when an object could not be made; the
// node can be released as it is then.
bool fillNode(NodeObject* node, TreeObject* owner, std::uint32_t index);

// An element's value as a new reference; nullptr with a Python error set.
PyObject* nodeValue(const Tree& tree, std::uint32_t index);

// Subtrees of at most this many elements are made whole, in one pass; a larger one gets its
// children only, each a pending node, so that memory grows with what is looked at.
constexpr std::uint32_t kWholeSubtree = 16384;

// Makes the nodes below element `parent`: the whole subtree (with values and children tuples) when
// it is small enough, else the children only, of type `pendingType`. Returns the parent's tuple
// of children (a new reference; nullptr with a Python error set).
PyObject* makeDescendants(TreeObject* owner, std::uint32_t parent, PyTypeObject* nodeType,
                          PyTypeObject* pendingType);

}  // namespace zentrik_py
