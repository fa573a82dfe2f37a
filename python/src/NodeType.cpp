#include "NodeType.h"

#include <structmember.h>

#include <cstddef>
#include <new>
#include <string>

#include "Bindings.h"
#include "ElementProperties.h"
#include "Errors.h"

namespace py = pybind11;

namespace zentrik_py {

const char* className(unsigned int classBits) {
    static constexpr const char* kNames[4] = {"universal", "application", "context", "private"};
    return kNames[(classBits >> 6) & 3];
}

namespace {

struct TreeObject {
    PyObject_HEAD Tree tree;
};

// The tag, class, offset and length are Python objects made with the node, read as plain member
// slots (which the interpreter reads as fast as the slots of a Python class); everything else is
// made when asked for.
struct NodeObject {
    PyObject_HEAD TreeObject* owner;
    PyObject* tag;
    PyObject* cls;
    PyObject* offset;
    PyObject* length;
    std::uint32_t index;
};

// Freed node objects kept for the next nodes: a traversal makes and drops nodes by the hundred.
class NodeFreeList {
  public:
    NodeObject* take() { return count_ ? slots_[--count_] : nullptr; }
    bool keep(NodeObject* node) {
        if (count_ == kCapacity) return false;
        slots_[count_++] = node;
        return true;
    }

  private:
    static constexpr std::size_t kCapacity = 256;
    NodeObject* slots_[kCapacity] = {};
    std::size_t count_ = 0;
};

NodeFreeList freeNodes;  // guarded by the GIL

PyTypeObject* treeType = nullptr;
PyTypeObject* nodeType = nullptr;
PyObject* classNames[4] = {};

void deallocTree(PyObject* self) {
    PyTypeObject* type = Py_TYPE(self);
    reinterpret_cast<TreeObject*>(self)->tree.~Tree();
    type->tp_free(self);
    Py_DECREF(type);
}

PyObject* newReference(PyObject* object) {
    Py_INCREF(object);
    return object;
}

PyObject* newNode(TreeObject* owner, std::uint32_t index) {
    NodeObject* node = freeNodes.take();
    if (node)
        PyObject_Init(reinterpret_cast<PyObject*>(node), nodeType);
    else
        node = PyObject_New(NodeObject, nodeType);
    if (!node) return nullptr;
    const Element& e = owner->tree.elements[index];
    node->owner = reinterpret_cast<TreeObject*>(newReference(reinterpret_cast<PyObject*>(owner)));
    node->index = index;
    node->tag = PyLong_FromUnsignedLong(e.tag);
    node->cls = newReference(classNames[e.classBits() >> 6]);
    node->offset = PyLong_FromUnsignedLongLong(e.offset);
    node->length = e.indefinite ? newReference(Py_None)
                                : PyLong_FromUnsignedLongLong(e.contentsEnd - e.contentsOffset());
    if (node->tag && node->offset && node->length)
        return reinterpret_cast<PyObject*>(node);
    Py_DECREF(node);
    return nullptr;
}

void deallocNode(PyObject* self) {
    PyTypeObject* type = Py_TYPE(self);
    auto* node = reinterpret_cast<NodeObject*>(self);
    for (PyObject* member : {node->tag, node->cls, node->offset, node->length}) Py_XDECREF(member);
    Py_DECREF(node->owner);
    if (!freeNodes.keep(node)) type->tp_free(self);
    Py_DECREF(type);
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

// The indexes of an element's children: each child's subtree ends where the next child starts.
template <typename Visit>
void forEachChild(PyObject* self, Visit&& visit) {
    const Element& element = elementOf(self);
    if (!element.constructed()) return;
    const auto& elements = treeOf(self).elements;
    for (std::uint32_t i = reinterpret_cast<NodeObject*>(self)->index + 1; i < element.subtreeEnd;
         i = elements[i].subtreeEnd)
        visit(i);
}

Py_ssize_t childCount(PyObject* self) {
    Py_ssize_t count = 0;
    forEachChild(self, [&count](std::uint32_t) { ++count; });
    return count;
}

PyObject* children(PyObject* self, void*) {
    PyObject* list = PyList_New(childCount(self));
    if (!list) return nullptr;
    Py_ssize_t at = 0;
    TreeObject* owner = reinterpret_cast<NodeObject*>(self)->owner;
    bool failed = false;
    forEachChild(self, [&](std::uint32_t i) {
        PyObject* child = failed ? nullptr : newNode(owner, i);
        failed = failed || !child;
        if (child) PyList_SET_ITEM(list, at++, child);
    });
    if (!failed) return list;
    Py_DECREF(list);
    return nullptr;
}

PyObject* childAt(PyObject* self, Py_ssize_t wanted) {
    std::uint32_t found = 0;
    Py_ssize_t at = 0;
    forEachChild(self, [&](std::uint32_t i) { found = at++ == wanted ? i : found; });
    if (wanted < 0 || wanted >= at) {
        PyErr_SetString(PyExc_IndexError, "child index out of range");
        return nullptr;
    }
    return newNode(reinterpret_cast<NodeObject*>(self)->owner, found);
}

PyObject* iterate(PyObject* self) {
    PyObject* list = children(self, nullptr);
    if (!list) return nullptr;
    PyObject* iterator = PyObject_GetIter(list);
    Py_DECREF(list);
    return iterator;
}

PyObject* value(PyObject* self, void*) {
    try {
        return valueOf(treeOf(self), reinterpret_cast<NodeObject*>(self)->index);
    } catch (...) {
        raiseCurrentException();
        return nullptr;
    }
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

PyObject* constructed(PyObject* self, void*) {
    return PyBool_FromLong(elementOf(self).constructed());
}

PyObject* headerLength(PyObject* self, void*) {
    return PyLong_FromUnsignedLong(elementOf(self).headerLength);
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
    ZENTRIK_NODE_MEMBER("tag", tag, "The tag number."),
    ZENTRIK_NODE_MEMBER("cls", cls, "universal, application, context or private."),
    ZENTRIK_NODE_MEMBER("offset", offset, "Where the identifier octets start."),
    ZENTRIK_NODE_MEMBER("length", length, "The contents' length; None when indefinite."),
    {nullptr, 0, 0, 0, nullptr},
};

PyGetSetDef nodeProperties[] = {
    {"constructed", constructed, nullptr, "Whether the element holds elements.", nullptr},
    {"header_length", headerLength, nullptr, "The identifier and length octets' count.", nullptr},
    {"value", value, nullptr, "The value as a Python object.", nullptr},
    {"unused_bits", unusedBits, nullptr, "A BIT STRING's unused bits.", nullptr},
    {"children", children, nullptr, "The elements inside.", nullptr},
    {"der", der, nullptr, "The element's octets.", nullptr},
    {"contents", contents, nullptr, "The contents octets.", nullptr},
    {"is_der", isDer, nullptr, "Whether the tree was decoded as DER.", nullptr},
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

PyType_Spec treeSpec = {"zentrik._native._Tree", sizeof(TreeObject), 0,
                        Py_TPFLAGS_DEFAULT | Py_TPFLAGS_DISALLOW_INSTANTIATION, treeSlots};
PyType_Spec nodeSpec = {"zentrik._native.Node", sizeof(NodeObject), 0,
                        Py_TPFLAGS_DEFAULT | Py_TPFLAGS_DISALLOW_INSTANTIATION, nodeSlots};

PyTypeObject* typeOf(PyType_Spec& layout) {
    PyObject* type = PyType_FromSpec(&layout);
    if (!type) throw py::error_already_set();
    return reinterpret_cast<PyTypeObject*>(type);
}

}  // namespace

void bindNode(py::module_& module) {
    treeType = typeOf(treeSpec);
    nodeType = typeOf(nodeSpec);
    for (unsigned int i = 0; i < 4; ++i) classNames[i] = PyUnicode_InternFromString(className(i << 6));
    module.add_object("Node", py::reinterpret_borrow<py::object>(reinterpret_cast<PyObject*>(nodeType)));
}

// Inputs this large are read without the GIL; below, releasing and taking it again costs more than
// the decode and other threads would hardly run meanwhile.
constexpr std::size_t kUnlockedFrom = 16 * 1024;

py::object decodeTree(py::bytes source, bool der, void (*check)(const Tree&)) {
    TreeObject* owner = PyObject_New(TreeObject, treeType);
    if (!owner) throw py::error_already_set();
    new (&owner->tree) Tree();
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
    PyObject* root = newNode(owner, 0);
    if (!root) throw py::error_already_set();
    return py::reinterpret_steal<py::object>(root);
}

NodeRef nodeRef(const py::handle& node) {
    if (!PyObject_TypeCheck(node.ptr(), nodeType)) throw py::type_error("a zentrik.Node is expected");
    return {treeOf(node.ptr()), reinterpret_cast<NodeObject*>(node.ptr())->index};
}

}  // namespace zentrik_py
