#pragma once
// What every fuzz target shares: a source that hands out its octets in chunks of chosen sizes, a
// runner that treats the library's own failures as expected outcomes, and the report of a broken
// property (printed with the input in hexadecimal, then abort, which libFuzzer records as a crash).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../tests/support/ChunkedInputStream.h"
#include "../tests/support/DecodeAgreement.h"
#include "zentrik/platform/utils/ByteArray.h"
#include "zentrik/platform/utils/Exception.h"
#include "zentrik/platform/utils/IndexOutOfRange.h"
#include "zentrik/platform/utils/InputStream.h"

namespace zentrik_fuzz {

using Velmora::ByteArray;

// Stops the run: `what` names the broken property, `octets` are shown in hexadecimal.
[[noreturn]] inline void broken(const char* what, const ByteArray& octets = ByteArray(),
                                const std::string& detail = std::string()) {
    std::fprintf(stderr, "\n*** property broken: %s\n", what);
    if (!octets.isEmpty()) std::fprintf(stderr, "*** octets: %s\n", octets.toHex().c_str());
    if (!detail.empty()) std::fprintf(stderr, "*** %s\n", detail.c_str());
    std::abort();
}

inline void require(bool holds, const char* what, const ByteArray& octets = ByteArray(),
                    const std::string& detail = std::string()) {
    if (!holds) broken(what, octets, detail);
}

// Runs `step`; true when it finished, false when it failed the way the library reports bad input
// (an Exception of the toolkit, or IndexOutOfRange). Anything else escapes and is a finding.
template <typename Step>
bool expectFailures(Step&& step) {
    try {
        step();
        return true;
    } catch (const Velmora::Exception&) {
        return false;
    } catch (const Velmora::IndexOutOfRange&) {
        return false;
    }
}

// Draws small choices from a run of octets, cycling through them; with no octets every choice is 0.
class Choices {
  public:
    Choices() = default;
    explicit Choices(ByteArray octets) : octets_(std::move(octets)) {}

    unsigned int next(unsigned int bound) {
        if (octets_.isEmpty() || bound == 0) return 0;
        const unsigned int v = octets_.data()[position_++ % octets_.size()];
        return v % bound;
    }

  private:
    ByteArray octets_;
    std::size_t position_ = 0;
};

// The fuzz input split at its first octet: that octet says how many of the following octets steer
// the run (chunk sizes, choices); the rest is the data under test.
struct SplitInput {
    ByteArray control;
    ByteArray data;
};

inline SplitInput split(const std::uint8_t* bytes, std::size_t size, std::size_t maxControl = 16) {
    SplitInput s;
    if (size == 0) return s;
    const std::size_t n =
        std::min<std::size_t>({static_cast<std::size_t>(bytes[0]) % (maxControl + 1), size - 1});
    s.control = ByteArray(bytes + 1, n);
    s.data = ByteArray(bytes + 1 + n, size - 1 - n);
    return s;
}

// Reads a byte array in chunks whose sizes (1 to 256) come from `sizes`, cycling; without sizes the
// whole array comes as one chunk.
class ChunkedInputStream : public zentrik_test::ChunkedInputStream {
  public:
    ChunkedInputStream(const ByteArray& data, const ByteArray& sizes)
        : zentrik_test::ChunkedInputStream(
              data, [sizes, whole = data.size(), next = std::size_t{0}]() mutable {
                  return sizes.isEmpty() ? whole : 1 + std::size_t{sizes.data()[next++ % sizes.size()]};
              }) {}
};

// Stops the run when decoding `input` from memory and from a stream disagree (see DecodeAgreement.h);
// else gives what decoding from memory gave.
template <typename Decode>
zentrik_test::DecodeOutcome requireSameAsStreamDecoder(Decode&& decode, const ByteArray& input) {
    zentrik_test::DecodeOutcome fromMemory;
    const std::string difference = zentrik_test::memoryAndStreamDisagree(decode, input, &fromMemory);
    require(difference.empty(), "decoding from memory and from a stream disagree", input, difference);
    return fromMemory;
}

}  // namespace zentrik_fuzz
