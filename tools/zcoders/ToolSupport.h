#pragma once
// Input, output, failures and progress shared by the commands of zcoders.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "zentrik/platform/utils/ByteArray.h"
#include "zentrik/platform/utils/FileStreams.h"
#include "zentrik/platform/utils/InputStream.h"
#include "zentrik/platform/utils/OutputStream.h"

namespace zcoders {

// Numbers of the tool's own failures (library identifier 0, operation text "zcoders COMMAND").
enum ToolFailure : unsigned int {
    kBadPEM = 101,                // no PEM block, or one without its end line or its data
    kTooDeep = 102,               // elements nest deeper than the tool follows
    kNotOctetString = 103,        // unwrap on anything but an OCTET STRING
    kUnsupportedElement = 104,    // walk meets an element the streaming readers cannot take
    kMissingEndOfContents = 105,  // an explicit tag of indefinite length not closed after its inner element
    kCutEscape = 106,             // url decode: a "%" escape that the query ends inside
};

// How deeply the tree printer and the walker follow nested elements.
constexpr unsigned int kMaxDepth = 256;

// Throws the tool's own failure as a Velmora::Exception.
[[noreturn]] void fail(ToolFailure number, const std::string& command, const std::string& message);

// The input of a command: a file, or standard input for "" and "-".
struct Input {
    std::unique_ptr<Velmora::FileInputStream> stream;
    long long size = -1;  // octets in a regular file; -1 when unknown (a pipe, a terminal)
};
Input openInput(const std::string& path);

// How an input is named in reports: its path, or "standard input" for "" and "-".
std::string inputName(const std::string& path);

// Every octet of `in`, read in chunks.
Velmora::ByteArray readAll(Velmora::InputStream& in);

void writeText(Velmora::OutputStream& out, std::string_view text);

// Octets as upper-case hexadecimal pairs separated by spaces.
std::string hexOctets(const unsigned char* octets, std::size_t count);

// "1 octet", "12 octets", and the like.
std::string countOf(std::uint64_t count, const char* singular, const char* plural);

// Shows how far a long command has got on standard error, only when standard error is a terminal
// and the input has a known size; otherwise every call does nothing.
class Progress {
  public:
    Progress(std::string command, long long total);
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;
    ~Progress();

    void update(std::uint64_t done);
    // Clears the progress line.
    void finish();
    bool enabled() const { return enabled_; }

  private:
    std::string command_;
    std::uint64_t total_ = 0;
    bool enabled_ = false;
    bool shown_ = false;
    int lastPercent_ = -1;
    std::chrono::steady_clock::time_point lastShown_{};
};

// Passes a stream's octets through unchanged and reports how many have gone by.
class ProgressInputStream : public Velmora::FilteredInputStream {
  public:
    ProgressInputStream(Velmora::InputStream& source, Progress& progress)
        : FilteredInputStream(source), progress_(&progress) {}

  protected:
    std::size_t readFromSource(unsigned char* destination, std::size_t count) override;

  private:
    Progress* progress_;
    std::uint64_t delivered_ = 0;
};

}  // namespace zcoders
