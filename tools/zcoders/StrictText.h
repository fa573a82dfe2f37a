#pragma once
// What --strict checks before the library's lenient decoders see the text: the first character that
// they would silently drop or turn into other octets ends the command, with its offset in the input.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "zentrik/platform/utils/InputStream.h"

namespace zcoders {

// A fault found by a check; what() reads "NAME: offset N: message", N counting octets from 0.
class StrictTextError : public std::runtime_error {
  public:
    StrictTextError(const std::string& inputName, std::uint64_t offset, const std::string& message);

    std::uint64_t offset() const { return offset_; }
    const std::string& detail() const { return detail_; }  // the message without name and offset

  private:
    std::uint64_t offset_;
    std::string detail_;
};

// Two upper-case hexadecimal digits.
std::string hexOf(unsigned char octet);

// A printable ASCII character in quotes ('*'), any other octet in hexadecimal (octet 0x09).
std::string describeOctet(unsigned char octet);

// Checks a text handed over in pieces of any size; throws StrictTextError at the first fault.
class TextChecker {
  public:
    explicit TextChecker(std::string inputName) : name_(std::move(inputName)) {}
    virtual ~TextChecker() = default;

    // The next `count` octets of the text.
    void check(const unsigned char* text, std::size_t count) {
        scan(text, count);
        offset_ += count;
    }
    // The text has ended: checks what is still open.
    virtual void finish() = 0;

  protected:
    // Checks the next piece of the text.
    virtual void scan(const unsigned char* text, std::size_t count) = 0;
    // The offset in the whole text of text[i] in the piece being checked.
    std::uint64_t at(std::size_t i) const { return offset_ + i; }
    // The offset just past the text checked so far.
    std::uint64_t end() const { return offset_; }
    [[noreturn]] void fault(std::uint64_t offset, const std::string& message) const {
        throw StrictTextError(name_, offset, message);
    }

  private:
    std::string name_;
    std::uint64_t offset_ = 0;
};

// Base64: alphabet characters with '=' padding, in lines ended by LF or CR LF.
std::unique_ptr<TextChecker> makeBase64Checker(std::string inputName);
// Quoted-printable: escapes "=XY" (either case), soft line breaks, printable ASCII, blanks, line ends.
std::unique_ptr<TextChecker> makeQPChecker(std::string inputName);
// A URL query string, whole: its fields must come out of the decoder as they were written.
void checkQuery(const std::string& inputName, std::string_view query);

// Passes a stream's octets through unchanged, each one through the checker once, on its first read.
class CheckedInputStream : public Velmora::FilteredInputStream {
  public:
    CheckedInputStream(Velmora::InputStream& source, TextChecker& checker)
        : FilteredInputStream(source), checker_(&checker) {}

    // Reads (and so checks) what the reader left, then checks the end of the text.
    void finish();

  protected:
    std::size_t readFromSource(unsigned char* destination, std::size_t count) override;

  private:
    TextChecker* checker_;
};

}  // namespace zcoders
