#pragma once
// Octets in hexadecimal, a fixed number per line, fed in pieces of any size.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace zcoders {

class HexLines {
  public:
    // `write` takes each finished line's hexadecimal text; `perLine` octets go on a line, and after
    // `limit` octets the rest are only counted.
    HexLines(std::function<void(const std::string&)> write, std::size_t perLine, std::uint64_t limit);

    void feed(const unsigned char* octets, std::size_t count);
    // Writes the last, partial line and, when octets were left out, a line that says how many.
    void finish();

  private:
    std::function<void(const std::string&)> write_;
    std::size_t perLine_;
    std::uint64_t limit_;
    std::uint64_t seen_ = 0;
    std::string line_;
    std::size_t onLine_ = 0;
};

// Appends octets as upper-case hexadecimal digits, pairs separated by spaces when `spaced`.
void appendHex(std::string& text, const unsigned char* octets, std::size_t count, bool spaced);

}  // namespace zcoders
