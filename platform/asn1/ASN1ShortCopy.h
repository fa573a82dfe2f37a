#pragma once
// Copies and loads of a few octets without a call to memcpy, for the short contents most values hold.
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

// One to eight octets as one word, octet i in bits 8i to 8i + 7 (on a little-endian machine), zeros
// above: two overlapping reads at most.
inline std::uint64_t word(const unsigned char* from, std::size_t count) noexcept {
    if (count == 8) {
        std::uint64_t all;
        std::memcpy(&all, from, sizeof all);
        return all;
    }
    if (count >= 4) {
        std::uint32_t first;
        std::uint32_t last;
        std::memcpy(&first, from, sizeof first);
        std::memcpy(&last, from + count - sizeof last, sizeof last);
        return first | (std::uint64_t(last) << (8 * (count - sizeof last)));
    }
    return from[0] | (std::uint64_t(from[count / 2]) << (8 * (count / 2))) |
           (std::uint64_t(from[count - 1]) << (8 * (count - 1)));
}

}  // namespace Ostrel::shortCopy
