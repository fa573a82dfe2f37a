#pragma once
// How the library's failures reach Python: as zentrik.CoderError(number, operation, offset, message).
#include <cstdint>
#include <optional>
#include <string>

#include <pybind11/pybind11.h>

namespace zentrik_py {

// Raises zentrik.CoderError in the interpreter; the caller returns to Python right after.
void setCoderError(unsigned int number, const std::string& operation, std::optional<std::uint64_t> offset,
                   const std::string& message);

// Sets the Python error for the exception being handled (as the translation below does), for code
// that returns to the interpreter without pybind11.
void raiseCurrentException();

// Turns every exception the library and this module throw into CoderError (MemoryError for
// std::bad_alloc), so that no C++ exception reaches the interpreter as something else.
void registerErrorTranslation();

}  // namespace zentrik_py
