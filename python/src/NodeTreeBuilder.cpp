// Makes the nodes below an element in one pass: one allocation for all of them, their members, and
// each one's children tuple.
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
    DescendantBuilder(TreeObject* owner, std::uint32_t parent, PyTypeObject* nodeType, PyTypeObject* pendingType)
        : owner_(owner), elements_(owner->tree.elements), parent_(parent),
          whole_(elements_[parent].subtreeEnd - parent - 1 <= kWholeSubtree), nodeType_(nodeType),
          pendingType_(pendingType), type_(whole_ ? nodeType : pendingType) {}

    PyObject* run() {
        count_ = whole_ ? elements_[parent_].subtreeEnd - parent_ - 1 : childCount(parent_);
        if (count_ > 0 && !allocate()) return PyErr_NoMemory();
        if (!makeNodes()) return failed(nullptr);
        noChildren_ = PyTuple_New(0);
        PyObject* children = noChildren_ ? childList(parent_) : nullptr;
        if (!children) return failed(nullptr);
        for (std::uint32_t k = 0; whole_ && k < count_; ++k)
            if (!(nodes_[k].children = childList(nodes_[k].index))) return failed(children);
        // The tuples hold the only references from here on.
        for (std::uint32_t k = 0; k < count_; ++k) Py_DECREF(reinterpret_cast<PyObject*>(nodes_ + k));
        Py_DECREF(noChildren_);
        if (block_) {
            block_->next = owner_->blocks;
            owner_->blocks = block_;
        }
        return children;
    }

  private:
    bool allocate() {
        block_ = static_cast<NodeBlock*>(PyMem_Malloc(sizeof(NodeObject) * (count_ + 1)));
        nodes_ = reinterpret_cast<NodeObject*>(block_) + 1;  // the first node's room holds the chain
        return block_ != nullptr;
    }

    // The nodes of the whole subtree, values included, or of the children only.
    bool makeNodes() {
        std::uint32_t element = parent_ + 1;
        for (std::uint32_t k = 0; k < count_; ++k) {
            NodeObject* node = nodes_ + k;
            PyObject_Init(reinterpret_cast<PyObject*>(node), type_);
            node->inBlock = true;
            made_ = k + 1;
            if (!fillNode(node, owner_, element)) return false;
            if (whole_ && !(node->value = nodeValue(owner_->tree, element))) deferValue(node);
            element = whole_ ? element + 1 : elements_[element].subtreeEnd;
        }
        return true;
    }

    // A value the library refuses (in an element it did not decode as a whole, such as the
    // contents of a tagged one) is refused when asked for, as a pending node does.
    void deferValue(NodeObject* node) const {
        PyErr_Clear();
        Py_SET_TYPE(reinterpret_cast<PyObject*>(node), pendingType_);
        Py_INCREF(pendingType_);
        Py_DECREF(nodeType_);
    }

    std::uint32_t childCount(std::uint32_t index) const {
        std::uint32_t count = 0;
        const std::uint32_t end = elements_[index].constructed() ? elements_[index].subtreeEnd : index + 1;
        for (std::uint32_t i = index + 1; i < end; i = elements_[i].subtreeEnd) ++count;
        return count;
    }

    // The tuple of element `index`'s children, each with a reference of its own; a tuple, so that the
    // tree's own children can be handed out and shared (primitives share the empty one) but not changed.
    PyObject* childList(std::uint32_t index) const {
        if (!elements_[index].constructed()) return newReference(noChildren_);
        PyObject* list = PyTuple_New(childCount(index));
        if (!list) return nullptr;
        Py_ssize_t slot = 0;
        for (std::uint32_t i = index + 1; i < elements_[index].subtreeEnd; i = elements_[i].subtreeEnd) {
            NodeObject* child = whole_ ? nodes_ + (i - parent_ - 1) : nodes_ + slot;
            PyTuple_SET_ITEM(list, slot++, newReference(reinterpret_cast<PyObject*>(child)));
        }
        return list;
    }

    // Releases every node made so far (and `children`), then the block; returns nullptr.
    PyObject* failed(PyObject* children) {
        Py_XDECREF(children);
        Py_XDECREF(noChildren_);
        for (std::uint32_t k = 0; k < made_; ++k) Py_CLEAR(nodes_[k].children);
        for (std::uint32_t k = 0; k < made_; ++k) Py_DECREF(reinterpret_cast<PyObject*>(nodes_ + k));
        PyMem_Free(block_);
        return nullptr;
    }

    TreeObject* owner_;
    const std::vector<Element>& elements_;
    std::uint32_t parent_;
    bool whole_;
    PyTypeObject* nodeType_;
    PyTypeObject* pendingType_;
    PyTypeObject* type_;
    std::uint32_t count_ = 0;
    std::uint32_t made_ = 0;
    NodeBlock* block_ = nullptr;
    NodeObject* nodes_ = nullptr;
    PyObject* noChildren_ = nullptr;
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

PyObject* makeDescendants(TreeObject* owner, std::uint32_t parent, PyTypeObject* nodeType,
                          PyTypeObject* pendingType) {
    return DescendantBuilder(owner, parent, nodeType, pendingType).run();
}

}  // namespace zentrik_py
