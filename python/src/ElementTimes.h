#pragma once
// UTCTime and GeneralizedTime text as a Python datetime.
#include <cstddef>

#include <Python.h>

namespace zentrik_py {

// UTCTime (YYMMDDhhmm[ss]) or GeneralizedTime (YYYYMMDDhh[mm[ss[.fff]]]) with its zone ("Z",
// "+hhmm", "-hhmm", or none for a naive datetime) as a datetime; the text itself as str when it is
// neither or names no existing moment. A new reference, nullptr with a Python error set.
PyObject* timeOf(const char* text, std::size_t size, bool generalized);

}  // namespace zentrik_py
