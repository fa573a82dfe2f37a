#include "Errors.h"

#include <new>
#include <stdexcept>

#include "ElementTree.h"
#include "StrictText.h"
#include "zentrik/foundation/CoderFailures.h"
#include "zentrik/platform/utils/Exception.h"
#include "zentrik/platform/utils/IndexOutOfRange.h"

namespace py = pybind11;

namespace zentrik_py {

void setCoderError(unsigned int number, const std::string& operation, std::optional<std::uint64_t> offset,
                   const std::string& message) {
    const py::object type = py::module_::import("zentrik._errors").attr("CoderError");
    const py::object where = offset ? py::object(py::int_(*offset)) : py::object(py::none());
    const py::object error = type(number, operation, where, message);
    PyErr_SetObject(type.ptr(), error.ptr());
}

namespace {

void translate(std::exception_ptr failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const StructureError& e) {
        setCoderError(e.number(), "decode", e.offset(), e.what());
    } catch (const zcoders::StrictTextError& e) {
        setCoderError(Velmora::failures::kMalformed, "strict check", e.offset(), e.detail());
    } catch (const Velmora::Exception& e) {
        std::string message = e.getMessage().toUTF8();
        for (const Velmora::Exception* cause = e.getCause(); cause; cause = cause->getCause())
            message += (message.empty() ? "" : "; ") + std::string("caused by error ") +
                       std::to_string(cause->getNumber()) + " (" + cause->getOperation().toUTF8() + ")" +
                       (cause->getMessage().isEmpty() ? "" : ": " + cause->getMessage().toUTF8());
        setCoderError(e.getNumber(), e.getOperation().toUTF8(), std::nullopt, message);
    } catch (const Velmora::IndexOutOfRange& e) {
        setCoderError(Velmora::failures::kUnsupportedTag, "read", std::nullopt, e.what());
    } catch (const std::bad_alloc&) {
        PyErr_NoMemory();
    } catch (py::error_already_set& e) {
        e.restore();
    } catch (const py::builtin_exception& e) {
        e.set_error();
    } catch (const std::exception& e) {
        setCoderError(Velmora::failures::kUnsupportedTag, "zentrik", std::nullopt, e.what());
    }
}

}  // namespace

void raiseCurrentException() {
    translate(std::current_exception());
}

void registerErrorTranslation() {
    py::register_exception_translator(&translate);
}

}  // namespace zentrik_py
