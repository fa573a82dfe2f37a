// zentrik._native: the library bound for Python; the zentrik package gives it its Pythonic shape.
#include "Bindings.h"
#include "Errors.h"

PYBIND11_MODULE(_native, module) {
    module.doc() = "ZentrikCoders bound for Python (use the zentrik package)";
    zentrik_py::registerErrorTranslation();
    zentrik_py::bindNode(module);
    zentrik_py::bindCodec(module);
    zentrik_py::bindTextCoders(module);
    zentrik_py::bindWalk(module);
}
