#pragma once
// Walks the elements of a BER or DER file of any size one header at a time, in bounded memory: the
// walker holds the open elements' ends and the file's buffer, never an element's contents whole.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ElementTree.h"
#include "zentrik/platform/utils/FileStreams.h"

namespace zentrik_py {

struct StreamElement {
    Element element;           // contentsEnd and end are unknown (0) for indefinite lengths
    unsigned int depth = 0;    // 0 for the elements at the top of the file
    std::uint64_t serial = 0;  // which step of the walk found it
};

class StreamWalker {
  public:
    explicit StreamWalker(const std::string& path) : in_(std::make_unique<Velmora::FileInputStream>(path)) {}
    explicit StreamWalker(std::unique_ptr<Velmora::InputStream> in) : in_(std::move(in)) {}

    // The next element in document order; false at the end of the file.
    bool next(StreamElement& found);
    // Reads up to `count` octets of the current primitive element's contents into `destination`,
    // no more than are unread; returns how many (0 once they have all been read).
    std::size_t readContents(char* destination, std::size_t count);
    // The number of contents octets of the current primitive element not read yet.
    std::uint64_t unread() const { return remaining_; }
    std::uint64_t serial() const { return serial_; }

  private:
    struct Open {
        std::uint64_t end = 0;
        bool indefinite = false;
    };

    void closeFinished();
    bool readHeader(Element& element);
    bool endsOpenElement(const Element& element);
    void place(const Element& element);

    std::unique_ptr<Velmora::InputStream> in_;
    std::vector<Open> open_;
    std::uint64_t remaining_ = 0;  // contents of the current primitive element not yet read
    std::uint64_t serial_ = 0;
};

}  // namespace zentrik_py
