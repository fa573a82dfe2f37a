#pragma once
// Helpers shared by the coder tests: random data, a source that delivers small chunks, and a way
// to run Python's standard modules as an independent peer.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "support/ChunkedInputStream.h"
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

inline bool havePython() {
    static const bool present = std::system("python3 -c pass > /dev/null 2>&1") == 0;
    return present;
}

// A scratch folder removed when the test ends.
class ScratchFolder {
  public:
    ScratchFolder() {
        std::random_device seed;
        path_ = std::filesystem::temp_directory_path() /
                ("zentrik-coders-" + std::to_string(seed()) + "-" + std::to_string(seed()));
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::filesystem::path file(const std::string& name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

inline void writeFile(const std::filesystem::path& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary);
    out << content;
}

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs a Python program on a list of inputs, one per line in hexadecimal, and returns its output
// lines decoded from hexadecimal. The program reads sys.argv[1] and writes sys.argv[2] likewise.
inline std::vector<ByteArray> runPython(const std::string& program, const std::vector<ByteArray>& inputs) {
    ScratchFolder folder;
    const auto script = folder.file("peer.py");
    const auto in = folder.file("in.txt");
    const auto out = folder.file("out.txt");
    std::string lines;
    for (const ByteArray& input : inputs) lines += input.toHex() + "\n";
    writeFile(script,
              "import sys, binascii\n"
              "rows = [binascii.unhexlify(l.strip()) for l in open(sys.argv[1])]\n"
              "def run(data):\n" +
                  program +
                  "\n"
                  "with open(sys.argv[2], 'w') as f:\n"
                  "    for r in rows:\n"
                  "        f.write(binascii.hexlify(run(r)).decode() + '\\n')\n");
    writeFile(in, lines);
    const std::string command =
        "python3 '" + script.string() + "' '" + in.string() + "' '" + out.string() + "'";
    if (std::system(command.c_str()) != 0) {
        ADD_FAILURE() << "python3 failed";
        return {};
    }
    std::vector<ByteArray> results;
    std::string text = readFile(out);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        results.push_back(ByteArray::fromHex(std::string_view(text).substr(start, end - start)));
        start = end + 1;
    }
    return results;
}

}  // namespace coders_test
