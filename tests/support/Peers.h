#pragma once
// Test support for the peers of the interoperability tests (the openssl tool, Python's standard
// modules): whether a peer is there, a scratch folder, files in and out, commands, and Python run over
// a list of inputs.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "zentrik/platform/utils/ByteArray.h"

namespace zentrik_test {

namespace fs = std::filesystem;
using Velmora::ByteArray;

inline bool haveCommand(const std::string& probe) {
    return std::system((probe + " > /dev/null 2>&1").c_str()) == 0;
}
inline bool haveOpenSSL() {
    static const bool present = haveCommand("openssl version");
    return present;
}
inline bool havePython() {
    static const bool present = haveCommand("python3 -c 'import base64, binascii, quopri, urllib.parse'");
    return present;
}

// Where the sources are: from the test environment, else from this file's own path.
inline fs::path sourceDir() {
    if (const char* dir = std::getenv("ZENTRIK_SOURCE_DIR")) return dir;
    return fs::path(__FILE__).parent_path().parent_path().parent_path();
}

inline std::string quoted(const fs::path& path) {
    return "'" + path.string() + "'";
}

// A scratch folder removed when the test ends.
class Scratch {
  public:
    Scratch() {
        std::random_device seed;
        path_ = fs::temp_directory_path() /
                ("zentrik-test-" + std::to_string(seed()) + "-" + std::to_string(seed()));
        fs::create_directories(path_);
    }
    ~Scratch() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    fs::path operator/(const std::string& name) const { return path_ / name; }
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

inline ByteArray readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return ByteArray(all.data(), all.size());
}
inline void writeBytes(const fs::path& path, const ByteArray& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}
inline void writeText(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

// Runs a shell command; its standard output and error go to `log` when given. Returns the exit status.
inline int run(const std::string& command, const fs::path& log = fs::path()) {
    const std::string line = command + (log.empty() ? " > /dev/null 2>&1" : " > " + quoted(log) + " 2>&1");
    const int status = std::system(line.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs `body`, a Python function body over `data` (bytes) returning bytes, once per input; inputs and
// results travel as hexadecimal lines. An empty vector when Python failed (a test failure is added).
inline std::vector<ByteArray> python(const std::string& body, const std::vector<ByteArray>& inputs) {
    Scratch scratch;
    std::string lines;
    for (const ByteArray& input : inputs) lines += input.toHex() + "\n";
    writeText(scratch / "in.txt", lines);
    writeText(scratch / "peer.py",
              "import sys, binascii\n"
              "def run(data):\n" +
                  body +
                  "\n"
                  "rows = [binascii.unhexlify(l.strip()) for l in open(sys.argv[1])]\n"
                  "with open(sys.argv[2], 'w') as out:\n"
                  "    for r in rows:\n"
                  "        out.write(binascii.hexlify(run(r)).decode() + '\\n')\n");
    if (run("python3 " + quoted(scratch / "peer.py") + " " + quoted(scratch / "in.txt") + " " +
                quoted(scratch / "out.txt"),
            scratch / "log.txt") != 0) {
        ADD_FAILURE() << "python3 failed: " << std::string(readBytes(scratch / "log.txt").view());
        return {};
    }
    std::vector<ByteArray> results;
    std::ifstream out(scratch / "out.txt");
    for (std::string line; std::getline(out, line);) results.push_back(ByteArray::fromHex(line));
    return results;
}

}  // namespace zentrik_test
