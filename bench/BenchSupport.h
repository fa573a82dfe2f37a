#pragma once
// What the benchmark programs share: test data, sinks that only count, and a check that stops a
// benchmark whose peers disagree on the result.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "zentrik/platform/utils/ByteArray.h"
#include "zentrik/platform/utils/OutputStream.h"

namespace bench {

using Velmora::ByteArray;

constexpr std::size_t KiB = 1024;
constexpr std::size_t MiB = 1024 * 1024;

// Octets from a fixed seed, so every run measures the same input.
inline std::vector<unsigned char> randomOctets(std::size_t count, std::uint64_t seed = 0x5EEDu) {
    std::mt19937_64 generator(seed);
    std::vector<unsigned char> octets(count);
    std::size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const std::uint64_t word = generator();
        for (int k = 0; k < 8; ++k) octets[i + k] = static_cast<unsigned char>(word >> (8 * k));
    }
    for (; i < count; ++i) octets[i] = static_cast<unsigned char>(generator());
    return octets;
}

inline ByteArray toByteArray(const std::vector<unsigned char>& octets) {
    return ByteArray(octets.data(), octets.size());
}

// A file of bench/data (or of the folder named by ZENTRIK_BENCH_DATA).
inline std::vector<unsigned char> readDataFile(const std::string& name) {
    const char* folder = std::getenv("ZENTRIK_BENCH_DATA");
    const std::string path = std::string(folder ? folder : ZENTRIK_BENCH_DATA_DIR) + "/" + name;
    std::ifstream file(path, std::ios::binary);
    if (!file) throw std::runtime_error("cannot read " + path + " (run bench/make-data.sh)");
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Throws when the set-up of the test data finds a wrong result: a fast wrong answer proves nothing.
inline void require(bool condition, const std::string& what) {
    if (!condition) throw std::runtime_error("benchmark check failed: " + what);
}

// Marks a benchmark failed when a result checked before its loop is wrong; returns whether it is right.
inline bool verified(benchmark::State& state, bool condition, const std::string& what) {
    if (!condition) state.SkipWithError(("wrong result: " + what).c_str());
    return condition;
}

// Swallows what is written and counts it; touches one octet of each write so nothing is optimised away.
class CountingOutputStream : public Velmora::OutputStream {
  public:
    std::uint64_t count() const { return count_; }
    unsigned int checksum() const { return checksum_; }
    void reset() {
        count_ = 0;
        checksum_ = 0;
    }

  protected:
    void writeBytes(const unsigned char* bytes, std::size_t n) override {
        if (n) checksum_ += bytes[n - 1];
        count_ += n;
    }

  private:
    std::uint64_t count_ = 0;
    unsigned int checksum_ = 0;
};

// Runs `body` once per iteration and reports `octets` per iteration as the throughput.
template <typename Body>
void runOctets(benchmark::State& state, std::size_t octets, Body&& body) {
    for (auto _ : state) body();
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(octets));
}

}  // namespace bench
