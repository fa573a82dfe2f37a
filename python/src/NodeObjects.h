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

struct TreeObject {
    PyObject_HEAD Tree tree;
    NodeObject* descendants;  // the nodes of elements 1 .. n-1 in one allocation; nullptr until made
};

// Every attribute a traversal reads is a Python object made with the node and read as a member
// slot, which the interpreter reads as fast as a slot of a Python class.
struct NodeObject {
    PyObject_HEAD TreeObject* owner;
    PyObject* children;  // a list; the root's is made with its descendants, when first asked for
    PyObject* value;     // the root's is made when first asked for
    PyObject* tag;
    PyObject* cls;
    PyObject* constructed;
    PyObject* offset;
    PyObject* headerLength;
    PyObject* length;
    std::uint32_t index;
    bool inBlock;  // lives in its tree's `descendants`, which the tree frees
};

// Fills the members of `node` but children and value, for element `index` of `owner` (whose
// reference the node takes). False with a Python error set when an object could not be made; the
// node can be released as it is then.
bool fillNode(NodeObject* node, TreeObject* owner, std::uint32_t index);

// An element's value as a new reference; nullptr with a Python error set.
PyObject* nodeValue(const Tree& tree, std::uint32_t index);

// Makes the nodes of every element below the root in one pass, with their values and each one's
// list of children, and returns the root's list (a new reference; nullptr with a Python error set).
PyObject* makeDescendants(TreeObject* owner, PyTypeObject* nodeType);

}  // namespace zentrik_py
