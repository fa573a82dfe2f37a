#pragma once
// Room filled from its end towards its start, for encodings whose length octets come before the
// contents they count: an element's contents are written first, then the identifier and length in
// front of them, once their size is known. What no longer fits is counted instead of written, so
// that a second run into room of exactly that size can follow.
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace Ostrel {

class BackwardBuffer {
  public:
    /// The most octets room() hands out at a time.
    static constexpr std::size_t kMostRoom = 8;

    /// Fills [begin, end) from `end` on.
    BackwardBuffer(unsigned char* begin, unsigned char* end) : begin_(begin), end_(end), front_(end) {}
    BackwardBuffer(const BackwardBuffer&) = delete;
    BackwardBuffer& operator=(const BackwardBuffer&) = delete;

    /// Room for `count` (at most kMostRoom) octets in front of those written so far; once the
    /// buffer is full, room whose octets are only counted.
    unsigned char* room(std::size_t count) {
        if (fits(count)) return front_ -= count;
        return discarded_;
    }
    /// Writes `count` octets from `octets` in front of those written so far (or counts them).
    void put(const unsigned char* octets, std::size_t count) {
        if (!fits(count)) return;
        front_ -= count;
        if (count > 16) {
            std::memcpy(front_, octets, count);
        } else if (count >= 8) {  // most contents and headers are short: two fixed-size copies
            copyFixed<8>(front_, octets, count);
        } else if (count >= 4) {
            copyFixed<4>(front_, octets, count);
        } else {
            for (std::size_t i = 0; i < count; ++i) front_[i] = octets[i];
        }
    }
    /// How many octets were written (or counted); also where an element started, from the end.
    std::uint64_t written() const { return static_cast<std::uint64_t>(end_ - front_) + counted_; }
    /// Whether octets had to be counted rather than written: the octets held are then no encoding.
    bool full() const { return full_; }
    /// The octets written, from the last one written to the first (unless full()).
    unsigned char* front() const { return front_; }

  private:
    // Whether `count` more octets fit; once one does not, none is written any more.
    bool fits(std::size_t count) {
        if (!full_ && count <= static_cast<std::size_t>(front_ - begin_)) return true;
        full_ = true;
        counted_ += count;
        return false;
    }
    // Copies N to 2N octets as two copies of N that overlap.
    template <std::size_t N>
    static void copyFixed(unsigned char* to, const unsigned char* from, std::size_t count) {
        unsigned char head[N], tail[N];
        std::memcpy(head, from, N);
        std::memcpy(tail, from + count - N, N);
        std::memcpy(to, head, N);
        std::memcpy(to + count - N, tail, N);
    }

    unsigned char* begin_;
    unsigned char* end_;
    unsigned char* front_;
    std::uint64_t counted_ = 0;
    bool full_ = false;
    unsigned char discarded_[kMostRoom];
};

}  // namespace Ostrel
