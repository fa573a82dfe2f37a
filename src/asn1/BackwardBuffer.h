#pragma once
// A buffer filled from its end towards its start, for encodings whose length octets come before the
// contents they count: an element's contents are written first, then the identifier and length in
// front of them, once their size is known.
#include <cstddef>
#include <cstring>
#include <memory>

namespace Ostrel {

class BackwardBuffer {
  public:
    BackwardBuffer() = default;
    BackwardBuffer(const BackwardBuffer&) = delete;
    BackwardBuffer& operator=(const BackwardBuffer&) = delete;

    /// Room for `count` octets in front of those written so far; valid until the next call.
    unsigned char* room(std::size_t count) {
        if (count > static_cast<std::size_t>(front_ - begin_)) grow(count);
        front_ -= count;
        return front_;
    }
    /// Writes `count` octets from `octets` in front of those written so far.
    void put(const unsigned char* octets, std::size_t count) {
        unsigned char* to = room(count);
        if (count > 16) {
            std::memcpy(to, octets, count);
        } else if (count >= 8) {  // most contents and headers are short: two fixed-size copies
            copyFixed<8>(to, octets, count);
        } else if (count >= 4) {
            copyFixed<4>(to, octets, count);
        } else {
            for (std::size_t i = 0; i < count; ++i) to[i] = octets[i];
        }
    }
    /// How many octets were written; also where an element started, counted from the end.
    std::size_t written() const { return static_cast<std::size_t>(end_ - front_); }
    /// The octets written, from the last one written to the first.
    unsigned char* front() const { return front_; }

  private:
    // Copies N to 2N octets as two copies of N that overlap.
    template <std::size_t N>
    static void copyFixed(unsigned char* to, const unsigned char* from, std::size_t count) {
        unsigned char head[N], tail[N];
        std::memcpy(head, from, N);
        std::memcpy(tail, from + count - N, N);
        std::memcpy(to, head, N);
        std::memcpy(to + count - N, tail, N);
    }
    // Moves what was written to the end of a larger buffer with room for `count` more in front.
    void grow(std::size_t count);

    unsigned char local_[4096];
    std::unique_ptr<unsigned char[]> heap_;
    unsigned char* begin_ = local_;
    unsigned char* end_ = local_ + sizeof local_;
    unsigned char* front_ = end_;
};

}  // namespace Ostrel
