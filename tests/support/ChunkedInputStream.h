#pragma once
// Test support: a stream over a byte array that hands its octets out in chunks whose sizes a
// function picks, so that readers meet their data cut at every kind of place.
#include <algorithm>
#include <cstddef>
#include <functional>
#include <utility>

#include "zentrik/platform/utils/ByteArray.h"
#include "zentrik/platform/utils/InputStream.h"

namespace zentrik_test {

class ChunkedInputStream : public Velmora::InputStream {
  public:
    // `nextSize` gives the size of each chunk; sizes below 1 count as 1.
    ChunkedInputStream(Velmora::ByteArray data, std::function<std::size_t()> nextSize)
        : data_(std::move(data)), nextSize_(std::move(nextSize)) {}

  protected:
    std::size_t readFromSource(unsigned char* destination, std::size_t count) override {
        const std::size_t n =
            std::min({count, std::max<std::size_t>(1, nextSize_()), data_.size() - position_});
        std::copy_n(data_.data() + position_, n, destination);
        position_ += n;
        return n;
    }
    bool sourceHasData() override { return position_ < data_.size(); }

  private:
    Velmora::ByteArray data_;
    std::function<std::size_t()> nextSize_;
    std::size_t position_ = 0;
};

// Chunks of a fixed size.
inline std::function<std::size_t()> fixedChunks(std::size_t size) {
    return [size] { return size; };
}

}  // namespace zentrik_test
