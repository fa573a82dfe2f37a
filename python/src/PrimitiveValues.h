#pragma once
// The values of common universal primitives read straight from their contents octets.
#include <cstddef>
#include <cstdint>

#include <Python.h>

namespace zentrik_py {

struct FastValue {
    PyObject* object = nullptr;  // a new reference; nullptr when the library should decide
    bool failed = false;         // a Python error is set
};

// The value of the universal primitive with tag number `tag` and these contents, when it is one
// that reads the same here as through the library's decoder: BOOLEAN, INTEGER, ENUMERATED, NULL,
// OCTET STRING, BIT STRING, OBJECT IDENTIFIER, ASCII-only strings and times. Anything unusual
// (empty contents, non-ASCII text, values the library refuses) is left to the library.
FastValue primitiveValue(std::uint32_t tag, const unsigned char* contents, std::size_t count);

}  // namespace zentrik_py
