#pragma once
// The parts of the native module zentrik._native, each bound in a file of its own.
#include <pybind11/pybind11.h>

namespace zentrik_py {

void bindNode(pybind11::module_& module);        // Node
void bindCodec(pybind11::module_& module);       // decode, encode, node constructors
void bindTextCoders(pybind11::module_& module);  // Base64, quoted-printable, URL query strings
void bindWalk(pybind11::module_& module);        // the streaming walk over a file

// The octets of a bytes-like object as a bytes object (no copy when it is one already).
pybind11::bytes asBytes(const pybind11::object& data);

}  // namespace zentrik_py
