// Makes the nodes of a decoded tree in one pass: one allocation for all of them, their members, and
// each element's children list.
#include "Errors.h"
#include "NodeObjects.h"

namespace zentrik_py {

const char* className(unsigned int classBits);

namespace {

// The objects the nodes of every tree share: the interned class names and the integers below 256.
class SharedObjects {
  public:
    SharedObjects() {
        for (unsigned int i = 0; i < 4; ++i) classNames_[i] = PyUnicode_InternFromString(className(i << 6));
        for (unsigned int i = 0; i < kIntegers; ++i) integers_[i] = PyLong_FromUnsignedLong(i);
    }

    PyObject* cls(unsigned int classBits) const { return newReference(classNames_[classBits >> 6]); }
    PyObject* integer(std::uint64_t value) const {
        return value < kIntegers ? newReference(integers_[value]) : PyLong_FromUnsignedLongLong(value);
    }

  private:
    static constexpr unsigned int kIntegers = 256;
    PyObject* classNames_[4];
    PyObject* integers_[kIntegers];
};

const SharedObjects& sharedObjects() {
    static const SharedObjects shared;  // made under the GIL, on the first decode
    return shared;
}

class DescendantBuilder {
  public:
    DescendantBuilder(TreeObject* owner, PyTypeObject* nodeType)
        : owner_(owner), type_(nodeType), elements_(owner->tree.elements) {}

    PyObject* run() {
        const std::uint32_t count = static_cast<std::uint32_t>(elements_.size());
        if (count > 1) {
            block_ = static_cast<NodeObject*>(PyMem_Malloc((count - 1) * sizeof(NodeObject)));
            if (!block_) return PyErr_NoMemory();
        }
        for (std::uint32_t i = 1; i < count; ++i) {
            NodeObject* node = at(i);
            PyObject_Init(reinterpret_cast<PyObject*>(node), type_);
            node->inBlock = true;
            made_ = i;
            if (!fillNode(node, owner_, i) || !(node->value = nodeValue(owner_->tree, i))) return failed(nullptr);
        }
        noChildren_ = PyList_New(0);
        PyObject* rootChildren = noChildren_ ? childList(0) : nullptr;
        if (!rootChildren) return failed(nullptr);
        for (std::uint32_t i = 1; i < count; ++i)
            if (!(at(i)->children = childList(i))) return failed(rootChildren);
        // The lists hold the only references from here on.
        for (std::uint32_t i = 1; i < count; ++i) Py_DECREF(reinterpret_cast<PyObject*>(at(i)));
        Py_DECREF(noChildren_);
        owner_->descendants = block_;
        return rootChildren;
    }

  private:
    NodeObject* at(std::uint32_t index) const { return block_ + (index - 1); }

    // The list of element `index`'s children, each with a reference of its own. The primitives of
    // a tree share one empty list: a third of the lists a certificate would need otherwise.
    PyObject* childList(std::uint32_t index) const {
        const Element& element = elements_[index];
        if (!element.constructed()) return newReference(noChildren_);
        const std::uint32_t end = element.subtreeEnd;
        Py_ssize_t count = 0;
        for (std::uint32_t i = index + 1; i < end; i = elements_[i].subtreeEnd) ++count;
        PyObject* list = PyList_New(count);
        if (!list) return nullptr;
        Py_ssize_t slot = 0;
        for (std::uint32_t i = index + 1; i < end; i = elements_[i].subtreeEnd)
            PyList_SET_ITEM(list, slot++, newReference(reinterpret_cast<PyObject*>(at(i))));
        return list;
    }

    // Releases every node made so far (and `rootChildren`), then the block; returns nullptr.
    PyObject* failed(PyObject* rootChildren) {
        Py_XDECREF(rootChildren);
        Py_XDECREF(noChildren_);
        for (std::uint32_t i = 1; i <= made_; ++i) Py_CLEAR(at(i)->children);
        for (std::uint32_t i = 1; i <= made_; ++i) Py_DECREF(reinterpret_cast<PyObject*>(at(i)));
        PyMem_Free(block_);
        return nullptr;
    }

    TreeObject* owner_;
    PyTypeObject* type_;
    const std::vector<Element>& elements_;
    NodeObject* block_ = nullptr;
    PyObject* noChildren_ = nullptr;
    std::uint32_t made_ = 0;
};

}  // namespace

bool fillNode(NodeObject* node, TreeObject* owner, std::uint32_t index) {
    const Element& e = owner->tree.elements[index];
    node->owner = reinterpret_cast<TreeObject*>(newReference(reinterpret_cast<PyObject*>(owner)));
    node->index = index;
    node->children = nullptr;
    node->value = nullptr;
    const SharedObjects& shared = sharedObjects();
    node->tag = shared.integer(e.tag);
    node->cls = shared.cls(e.classBits());
    node->constructed = newReference(e.constructed() ? Py_True : Py_False);
    node->offset = shared.integer(e.offset);
    node->headerLength = shared.integer(e.headerLength);
    node->length = e.indefinite ? newReference(Py_None) : shared.integer(e.contentsEnd - e.contentsOffset());
    return node->tag && node->offset && node->headerLength && node->length;
}

PyObject* nodeValue(const Tree& tree, std::uint32_t index) {
    try {
        return valueOf(tree, index);
    } catch (...) {
        raiseCurrentException();
        return nullptr;
    }
}

PyObject* makeDescendants(TreeObject* owner, PyTypeObject* nodeType) {
    return DescendantBuilder(owner, nodeType).run();
}

}  // namespace zentrik_py
