#include "NodeType.h"

#include <structmember.h>

#include <cstddef>
#include <new>
#include <string>

#include "Bindings.h"
#include "ElementProperties.h"
#include "Errors.h"
#include "NodeObjects.h"

namespace py = pybind11;

namespace zentrik_py {

const char* className(unsigned int classBits) {
    static constexpr const char* kNames[4] = {"universal", "application", "context", "private"};
    return kNames[(classBits >> 6) & 3];
}

namespace {

// Freed root nodes kept for the next decodes (the other nodes live in their tree's blocks).
class NodeFreeList {
  public:
    NodeObject* take() { return count_ ? slots_[--count_] : nullptr; }
    bool keep(NodeObject* node) {
        if (count_ == kCapacity) return false;
        slots_[count_++] = node;
        return true;
    }

  private:
    static constexpr std::size_t kCapacity = 64;
    NodeObject* slots_[kCapacity] = {};
    std::size_t count_ = 0;
};

NodeFreeList freeNodes;  // guarded by the GIL

PyTypeObject* treeType = nullptr;
PyTypeObject* nodeType = nullptr;
PyTypeObject* pendingType = nullptr;  // a Node whose children and value are made when first asked for

void deallocTree(PyObject* self) {
    PyTypeObject* type = Py_TYPE(self);
    auto* owner = reinterpret_cast<TreeObject*>(self);
    owner->tree.~Tree();
    for (NodeBlock* block = owner->blocks; block;) {
        NodeBlock* next = block->next;
        PyMem_Free(block);
        block = next;
    }
    type->tp_free(self);
    Py_DECREF(type);
}

// The root node, the only one made before its descendants.
PyObject* newRoot(TreeObject* owner) {
    NodeObject* node = freeNodes.take();
    if (node)
        PyObject_Init(reinterpret_cast<PyObject*>(node), pendingType);
    else
        node = PyObject_New(NodeObject, pendingType);
    if (!node) return nullptr;
    node->inBlock = false;
    if (fillNode(node, owner, 0)) return reinterpret_cast<PyObject*>(node);
    Py_DECREF(node);
    return nullptr;
}

void deallocNode(PyObject* self) {
    PyTypeObject* type = Py_TYPE(self);
    auto* node = reinterpret_cast<NodeObject*>(self);
    Py_XDECREF(node->children);
    Py_XDECREF(node->value);
    Py_XDECREF(node->tag);
    Py_XDECREF(node->cls);
    Py_XDECREF(node->constructed);
    Py_XDECREF(node->offset);
    Py_XDECREF(node->headerLength);
    Py_XDECREF(node->length);
    PyObject* owner = reinterpret_cast<PyObject*>(node->owner);
    if (!node->inBlock && !freeNodes.keep(node)) type->tp_free(self);
    Py_DECREF(type);
    Py_DECREF(owner);  // last: a node in one of the tree's blocks goes with the tree
}

const Tree& treeOf(PyObject* self) {
    return reinterpret_cast<NodeObject*>(self)->owner->tree;
}

const Element& elementOf(PyObject* self) {
    return treeOf(self).elements[reinterpret_cast<NodeObject*>(self)->index];
}

PyObject* octets(PyObject* self, std::uint64_t begin, std::uint64_t end) {
    return PyBytes_FromStringAndSize(reinterpret_cast<const char*>(treeOf(self).data + begin),
                                     static_cast<Py_ssize_t>(end - begin));
}

// The node's children tuple (borrowed); a pending node's descendants are made when first asked for.
PyObject* childList(PyObject* self) {
    auto* node = reinterpret_cast<NodeObject*>(self);
    if (!node->children) node->children = makeDescendants(node->owner, node->index, nodeType, pendingType);
    return node->children;
}

PyObject* pendingChildren(PyObject* self, void*) {
    PyObject* list = childList(self);
    Py_XINCREF(list);
    return list;
}

Py_ssize_t childCount(PyObject* self) {
    PyObject* list = childList(self);
    return list ? PyTuple_GET_SIZE(list) : -1;
}

PyObject* childAt(PyObject* self, Py_ssize_t wanted) {
    PyObject* list = childList(self);
    if (!list) return nullptr;
    if (wanted < 0 || wanted >= PyTuple_GET_SIZE(list)) {
        PyErr_SetString(PyExc_IndexError, "child index out of range");
        return nullptr;
    }
    return newReference(PyTuple_GET_ITEM(list, wanted));
}

PyObject* iterate(PyObject* self) {
    PyObject* list = childList(self);
    return list ? PyObject_GetIter(list) : nullptr;
}

// A pending node's value, made when first asked for (the other nodes' are made with them).
PyObject* pendingValue(PyObject* self, void*) {
    auto* node = reinterpret_cast<NodeObject*>(self);
    if (!node->value) node->value = nodeValue(node->owner->tree, node->index);
    Py_XINCREF(node->value);
    return node->value;
}

// The number of unused bits of a primitive BIT STRING, 0 for every other element.
PyObject* unusedBits(PyObject* self, void*) {
    const Element& e = elementOf(self);
    const bool bitString = e.classBits() == 0 && e.tag == 3 && !e.constructed();
    if (!bitString || e.contentsEnd == e.contentsOffset()) return PyLong_FromLong(0);
    return PyLong_FromLong(treeOf(self).data[e.contentsOffset()]);
}

PyObject* der(PyObject* self, void*) {
    return octets(self, elementOf(self).offset, elementOf(self).end);
}

PyObject* contents(PyObject* self, void*) {
    return octets(self, elementOf(self).contentsOffset(), elementOf(self).contentsEnd);
}

PyObject* isDer(PyObject* self, void*) {
    return PyBool_FromLong(treeOf(self).der);
}

PyObject* describe(PyObject* self) {
    const Element& e = elementOf(self);
    const std::string text = "<zentrik.Node " + std::string(className(e.classBits())) + " " +
                             std::to_string(e.tag) + (e.constructed() ? " constructed" : "") + " at " +
                             std::to_string(e.offset) + ", " +
                             (e.indefinite ? "indefinite length"
                                           : std::to_string(e.contentsEnd - e.contentsOffset()) + " octets") +
                             ">";
    return PyUnicode_FromStringAndSize(text.data(), static_cast<Py_ssize_t>(text.size()));
}

#define ZENTRIK_NODE_MEMBER(name, field, doc) \
    { name, T_OBJECT_EX, static_cast<Py_ssize_t>(offsetof(NodeObject, field)), READONLY, doc }

PyMemberDef nodeMembers[] = {
    ZENTRIK_NODE_MEMBER("children", children, "The elements inside, as a tuple."),
    ZENTRIK_NODE_MEMBER("value", value, "The value as a Python object."),
    ZENTRIK_NODE_MEMBER("tag", tag, "The tag number."),
    ZENTRIK_NODE_MEMBER("cls", cls, "universal, application, context or private."),
    ZENTRIK_NODE_MEMBER("constructed", constructed, "Whether the element holds elements."),
    ZENTRIK_NODE_MEMBER("offset", offset, "Where the identifier octets start."),
    ZENTRIK_NODE_MEMBER("header_length", headerLength, "The identifier and length octets' count."),
    ZENTRIK_NODE_MEMBER("length", length, "The contents' length; None when indefinite."),
    {nullptr, 0, 0, 0, nullptr},
};

PyGetSetDef nodeProperties[] = {
    {"unused_bits", unusedBits, nullptr, "A BIT STRING's unused bits.", nullptr},
    {"der", der, nullptr, "The element's octets.", nullptr},
    {"contents", contents, nullptr, "The contents octets.", nullptr},
    {"is_der", isDer, nullptr, "Whether the tree was decoded as DER.", nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

// A pending node's children and value are made when first asked for: they hide the members.
PyGetSetDef pendingProperties[] = {
    {"children", pendingChildren, nullptr, "The elements inside.", nullptr},
    {"value", pendingValue, nullptr, "The value as a Python object.", nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyType_Slot treeSlots[] = {{Py_tp_dealloc, reinterpret_cast<void*>(deallocTree)}, {0, nullptr}};

PyType_Slot nodeSlots[] = {
    {Py_tp_dealloc, reinterpret_cast<void*>(deallocNode)},
    {Py_tp_members, nodeMembers},
    {Py_tp_getset, nodeProperties},
    {Py_tp_iter, reinterpret_cast<void*>(iterate)},
    {Py_tp_repr, reinterpret_cast<void*>(describe)},
    {Py_sq_length, reinterpret_cast<void*>(childCount)},
    {Py_sq_item, reinterpret_cast<void*>(childAt)},
    {Py_tp_doc, const_cast<char*>("One element of a decoded encoding.")},
    {0, nullptr},
};

PyType_Slot pendingSlots[] = {
    {Py_tp_getset, pendingProperties},
    {Py_tp_doc, const_cast<char*>("An element of a decoded encoding whose children are made when first asked for.")},
    {0, nullptr},
};

PyType_Spec treeSpec = {"zentrik._native._Tree", sizeof(TreeObject), 0,
                        Py_TPFLAGS_DEFAULT | Py_TPFLAGS_DISALLOW_INSTANTIATION, treeSlots};
PyType_Spec nodeSpec = {"zentrik._native.Node", sizeof(NodeObject), 0,
                        Py_TPFLAGS_DEFAULT | Py_TPFLAGS_BASETYPE | Py_TPFLAGS_DISALLOW_INSTANTIATION, nodeSlots};
PyType_Spec pendingSpec = {"zentrik._native.PendingNode", sizeof(NodeObject), 0,
                           Py_TPFLAGS_DEFAULT | Py_TPFLAGS_DISALLOW_INSTANTIATION, pendingSlots};

PyTypeObject* typeOf(PyType_Spec& layout, PyTypeObject* base = nullptr) {
    PyObject* type = PyType_FromSpecWithBases(&layout, reinterpret_cast<PyObject*>(base));
    if (!type) throw py::error_already_set();
    return reinterpret_cast<PyTypeObject*>(type);
}

}  // namespace

void bindNode(py::module_& module) {
    treeType = typeOf(treeSpec);
    nodeType = typeOf(nodeSpec);
    pendingType = typeOf(pendingSpec, nodeType);
    module.add_object("Node", py::reinterpret_borrow<py::object>(reinterpret_cast<PyObject*>(nodeType)));
}

// Inputs this large are read without the GIL; below, releasing and taking it again costs more than
// the decode and other threads would hardly run meanwhile.
constexpr std::size_t kUnlockedFrom = 16 * 1024;

py::object decodeTree(py::bytes source, bool der, void (*check)(const Tree&)) {
    TreeObject* owner = PyObject_New(TreeObject, treeType);
    if (!owner) throw py::error_already_set();
    new (&owner->tree) Tree();
    owner->blocks = nullptr;
    const py::object keep = py::reinterpret_steal<py::object>(reinterpret_cast<PyObject*>(owner));
    Tree& tree = owner->tree;
    tree.der = der;
    tree.data = reinterpret_cast<const unsigned char*>(PyBytes_AS_STRING(source.ptr()));
    const std::size_t size = static_cast<std::size_t>(PyBytes_GET_SIZE(source.ptr()));
    tree.source = std::move(source);
    const auto read = [&] {
        tree.elements = readElements(tree.data, size, der);
        check(tree);
    };
    if (size < kUnlockedFrom) {
        read();
    } else {
        py::gil_scoped_release unlocked;
        read();
    }
    PyObject* root = newRoot(owner);
    if (!root) throw py::error_already_set();
    return py::reinterpret_steal<py::object>(root);
}

NodeRef nodeRef(const py::handle& node) {
    if (!PyObject_TypeCheck(node.ptr(), nodeType)) throw py::type_error("a zentrik.Node is expected");
    return {treeOf(node.ptr()), reinterpret_cast<NodeObject*>(node.ptr())->index};
}

}  // namespace zentrik_py
