#pragma once
// Helpers shared by the coder tests: random data, a source that delivers small chunks, and Python's
// standard modules as an independent peer.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "support/ChunkedInputStream.h"
#include "support/Peers.h"
#include "zentrik/platform/utils/ByteArray.h"
#include "zentrik/platform/utils/InputStream.h"

namespace coders_test {

using Velmora::ByteArray;

inline ByteArray randomBytes(std::mt19937& rng, std::size_t n) {
    ByteArray out;
    std::uniform_int_distribution<int> octet(0, 255);
    for (std::size_t i = 0; i < n; ++i) out.append(static_cast<unsigned char>(octet(rng)));
    return out;
}

// Octets drawn from `alphabet` only.
inline ByteArray randomFrom(std::mt19937& rng, std::size_t n, const std::string& alphabet) {
    ByteArray out;
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    for (std::size_t i = 0; i < n; ++i) out.append(static_cast<unsigned char>(alphabet[pick(rng)]));
    return out;
}

inline ByteArray bytesOf(const std::string& s) {
    return ByteArray(s.data(), s.size());
}
inline std::string stringOf(const ByteArray& b) {
    return std::string(b.view());
}

// Reads a byte array in chunks of random size between `smallest` and `largest` octets.
class ChunkedInputStream : public zentrik_test::ChunkedInputStream {
  public:
    ChunkedInputStream(const ByteArray& data, std::uint32_t seed, std::size_t smallest = 1,
                       std::size_t largest = 7)
        : zentrik_test::ChunkedInputStream(
              data, [rng = std::mt19937(seed), size = std::uniform_int_distribution<std::size_t>(
                                                   smallest, largest)]() mutable { return size(rng); }) {}
};

// Reads everything a stream's operator>>(ByteArray&) hands out.
inline ByteArray drain(Velmora::InputStream& in) {
    ByteArray all, piece;
    while (in.hasData()) {
        in >> piece;
        all += piece;
    }
    return all;
}

// Python's standard modules as a peer: see tests/support/Peers.h.
using zentrik_test::havePython, zentrik_test::python;

}  // namespace coders_test
