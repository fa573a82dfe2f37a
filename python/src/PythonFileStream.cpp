#include "PythonFileStream.h"

#include <algorithm>
#include <cstring>

namespace py = pybind11;

namespace zentrik_py {

std::size_t PythonFileStream::fill() {
    if (atEnd_) return 0;
    std::size_t got = 0;
    {
        py::gil_scoped_acquire locked;
        const py::object count =
            file_.attr("readinto")(py::memoryview::from_memory(buffer_.data(), buffer_.size()));
        if (count.is_none()) throw py::value_error("the file has no data ready (a non-blocking file?)");
        got = count.cast<std::size_t>();
    }
    if (got > buffer_.size())
        throw py::value_error("readinto reported more octets than it was given room for");
    atEnd_ = got == 0;
    return got;
}

std::size_t PythonFileStream::readFromSource(unsigned char* destination, std::size_t count) {
    const std::size_t got = fill();
    const std::size_t taken = std::min(count, got);
    std::memcpy(destination, buffer_.data(), taken);
    setWindow(buffer_.data() + taken, buffer_.data() + got);  // the rest is read from the window
    return taken;
}

bool PythonFileStream::sourceHasData() {
    const std::size_t got = fill();
    setWindow(buffer_.data(), buffer_.data() + got);
    return got > 0;
}

}  // namespace zentrik_py
