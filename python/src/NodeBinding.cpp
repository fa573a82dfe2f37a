// zentrik.Node: one element of a decoded encoding, its position, identifier, value and children.
#include <pybind11/stl.h>

#include "Bindings.h"
#include "ElementProperties.h"
#include "Tree.h"

namespace py = pybind11;

namespace zentrik_py {

const char* className(unsigned int classBits) {
    static constexpr const char* kNames[4] = {"universal", "application", "context", "private"};
    return kNames[(classBits >> 6) & 3];
}

Node decodeTree(py::bytes source, bool der) {
    auto tree = std::make_shared<Tree>();
    tree->der = der;
    tree->data = reinterpret_cast<const unsigned char*>(PyBytes_AS_STRING(source.ptr()));
    const std::size_t size = static_cast<std::size_t>(PyBytes_GET_SIZE(source.ptr()));
    tree->source = std::move(source);
    {
        py::gil_scoped_release unlocked;
        tree->elements = readElements(tree->data, size, der);
    }
    return {std::move(tree), 0};
}

namespace {

py::list childrenOf(const Node& node) {
    const Element& element = node.element();
    py::list children;
    if (!element.constructed()) return children;
    const auto& elements = node.tree().elements;
    for (std::uint32_t i = node.index() + 1; i < element.subtreeEnd; i = elements[i].subtreeEnd)
        children.append(node.child(i));
    return children;
}

py::bytes slice(const Node& node, std::uint64_t begin, std::uint64_t end) {
    return {reinterpret_cast<const char*>(node.tree().data + begin), static_cast<std::size_t>(end - begin)};
}

// The number of unused bits of a primitive BIT STRING, 0 for every other element.
unsigned int unusedBits(const Node& node) {
    const Element& element = node.element();
    const bool bitString = element.classBits() == 0 && element.tag == 3 && !element.constructed();
    if (!bitString || element.contentsEnd == element.contentsOffset()) return 0;
    return node.tree().data[element.contentsOffset()];
}

std::string describe(const Node& node) {
    const Element& element = node.element();
    std::string text = "<zentrik.Node " + std::string(className(element.classBits())) + " " +
                       std::to_string(element.tag) + (element.constructed() ? " constructed" : "") + " at " +
                       std::to_string(element.offset) + ", ";
    return text +
           (element.indefinite ? "indefinite length"
                               : std::to_string(element.contentsEnd - element.contentsOffset()) + " octets") +
           ">";
}

}  // namespace

void bindNode(py::module_& module) {
    py::class_<Node> node(module, "Node", "One element of a decoded encoding.");
    defineElementProperties(node, [](const Node& n) -> const Element& { return n.element(); });
    node.def_property_readonly("value", &valueOf)
        .def_property_readonly("unused_bits", &unusedBits)
        .def_property_readonly("children", &childrenOf)
        .def_property_readonly("der",
                               [](const Node& n) { return slice(n, n.element().offset, n.element().end); })
        .def_property_readonly(
            "contents",
            [](const Node& n) { return slice(n, n.element().contentsOffset(), n.element().contentsEnd); })
        .def_property_readonly("is_der", [](const Node& n) { return n.tree().der; })
        .def("__len__", [](const Node& n) { return childrenOf(n).size(); })
        .def("__getitem__",
             [](const Node& n, py::ssize_t i) { return py::object(childrenOf(n)[py::int_(i)]); })
        .def("__iter__", [](const Node& n) { return py::iter(childrenOf(n)); })
        .def("__repr__", &describe);
}

}  // namespace zentrik_py
