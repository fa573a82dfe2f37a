#pragma once
// A Python binary file object (anything with readinto) as a library input stream, read through a
// buffer of its own. The GIL is taken only while the file refills the buffer, so the readers above
// it run without it.
#include <vector>

#include <pybind11/pybind11.h>

#include "zentrik/platform/utils/InputStream.h"

namespace zentrik_py {

class PythonFileStream : public Velmora::InputStream {
  public:
    explicit PythonFileStream(pybind11::object file) : file_(std::move(file)), buffer_(kBufferSize) {}

  protected:
    std::size_t readFromSource(unsigned char* destination, std::size_t count) override;
    bool sourceHasData() override;

  private:
    static constexpr std::size_t kBufferSize = 1 << 20;

    std::size_t fill();  // the octets now in the buffer; 0 at the end of the file

    pybind11::object file_;
    std::vector<unsigned char> buffer_;
    bool atEnd_ = false;
};

}  // namespace zentrik_py
