#pragma once
// Octets read one element at a time, from a stream through a fixed buffer or from memory, with the
// offset of the next octet counted from the start of the input.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "zentrik/platform/utils/InputStream.h"

namespace zcoders {

class OctetReader {
  public:
    // Reads `in` through a buffer of `bufferSize` octets.
    explicit OctetReader(Velmora::InputStream& in, std::size_t bufferSize = 64 * 1024);
    // Reads `count` octets at `data`, the first of them at offset `base`.
    OctetReader(const unsigned char* data, std::size_t count, std::uint64_t base);

    std::uint64_t offset() const { return consumed_ + static_cast<std::uint64_t>(at_ - begin_); }

    // The next octet, or -1 at the end of the data.
    int next() {
        if (at_ == end_ && !refill()) return -1;
        return *at_++;
    }
    // The next octet left unread, or -1 at the end.
    int peek() {
        if (at_ == end_ && !refill()) return -1;
        return *at_;
    }
    bool atEnd() { return peek() < 0; }

    // Up to `count` octets into `destination`; fewer only at the end of the data.
    std::size_t read(unsigned char* destination, std::size_t count);
    // Passes over up to `count` octets; returns how many.
    std::uint64_t skip(std::uint64_t count);

  private:
    bool refill();

    Velmora::InputStream* in_ = nullptr;
    std::vector<unsigned char> buffer_;
    const unsigned char* begin_ = nullptr;
    const unsigned char* at_ = nullptr;
    const unsigned char* end_ = nullptr;
    std::uint64_t consumed_ = 0;  // offset of begin_
};

}  // namespace zcoders
