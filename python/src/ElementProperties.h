#pragma once
// The identifier and position properties of WalkedElement (zentrik.Node has its own, in C).
#include <pybind11/pybind11.h>

#include "ElementTree.h"

namespace zentrik_py {

const char* className(unsigned int classBits);

// The length of an element's contents; None for the indefinite form.
inline pybind11::object lengthOf(const Element& e) {
    if (e.indefinite) return pybind11::none();
    return pybind11::int_(e.contentsEnd - e.contentsOffset());
}

// Defines tag, cls, constructed, offset, header_length and length on `type`, whose objects give
// their Element through `element`.
template <typename T, typename Get>
void defineElementProperties(pybind11::class_<T>& type, Get element) {
    type.def_property_readonly("tag", [element](const T& x) { return element(x).tag; })
        .def_property_readonly("cls", [element](const T& x) { return className(element(x).classBits()); })
        .def_property_readonly("constructed", [element](const T& x) { return element(x).constructed(); })
        .def_property_readonly("offset", [element](const T& x) { return element(x).offset; })
        .def_property_readonly("header_length", [element](const T& x) { return element(x).headerLength; })
        .def_property_readonly("length", [element](const T& x) { return lengthOf(element(x)); });
}

}  // namespace zentrik_py
