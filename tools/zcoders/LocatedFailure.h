#pragma once
// A failure at a known place of an input, reported on one line as
// "zcoders: FILE: offset N: MESSAGE [error NUMBER, OPERATION]".

#include <cstdint>
#include <exception>
#include <stdexcept>
#include <string>

namespace zcoders {

class LocatedFailure : public std::exception {
  public:
    LocatedFailure(std::string file, std::uint64_t offset, std::string message, unsigned int number,
                   std::string operation);

    const std::string& file() const { return file_; }
    std::uint64_t offset() const { return offset_; }
    const std::string& message() const { return message_; }
    unsigned int number() const { return number_; }
    const std::string& operation() const { return operation_; }

    // The report without the leading "zcoders: ".
    const char* what() const noexcept override { return line_.c_str(); }

  private:
    std::string file_;
    std::uint64_t offset_;
    std::string message_;
    unsigned int number_;
    std::string operation_;
    std::string line_;
};

// Turns the failure being handled (a Velmora::Exception such as a CoderException, or an
// IndexOutOfRange, which means the data ended too early) into a LocatedFailure at `offset` of
// `file` and throws it; anything else is thrown on unchanged. Call only inside a catch block.
[[noreturn]] void rethrowLocated(const std::string& file, std::uint64_t offset);

// A file that cannot be opened, read or written: "cannot read FILE: the system's reason". Kept apart
// from failures of the data, whose numbers the stream failures would otherwise share.
class InputOutputFailure : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Turns the Velmora::UtilsException being handled, a stream's failure to open (8), read (9) or write
// (10), into an InputOutputFailure naming `input` or `output`; anything else is thrown on unchanged.
// Call only inside a catch block.
[[noreturn]] void rethrowInputOutput(const std::string& input, const std::string& output);

// Words for a library failure number whose exception carries no message.
std::string failureWords(unsigned int number);

}  // namespace zcoders
