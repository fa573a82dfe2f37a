#pragma once
// Copies of a few octets without a call to memcpy, for the short contents most values hold.
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace Ostrel::shortCopy {

template <typename Word>
void overlapping(unsigned char* to, const unsigned char* from, std::size_t count) noexcept {
    Word first;
    Word last;
    std::memcpy(&first, from, sizeof first);
    std::memcpy(&last, from + count - sizeof last, sizeof last);
    std::memcpy(to, &first, sizeof first);
    std::memcpy(to + count - sizeof last, &last, sizeof last);
}

// Copies `count` (0 to 16) octets: two overlapping words of 8 or of 4 octets, or single octets
// for the shortest.
inline void copy(unsigned char* to, const unsigned char* from, std::size_t count) noexcept {
    if (count >= 8) {
        overlapping<std::uint64_t>(to, from, count);
    } else if (count >= 4) {
        overlapping<std::uint32_t>(to, from, count);
    } else if (count != 0) {
        to[0] = from[0];
        to[count / 2] = from[count / 2];
        to[count - 1] = from[count - 1];
    }
}

}  // namespace Ostrel::shortCopy
