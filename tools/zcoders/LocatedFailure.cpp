#include "LocatedFailure.h"

#include <utility>

#include "zentrik/platform/utils/Exception.h"
#include "zentrik/platform/utils/IndexOutOfRange.h"
#include "zentrik/platform/utils/String.h"

namespace zcoders {

namespace {

// The number a truncated input is reported with, whichever decoder noticed it.
constexpr unsigned int kContentsEnd = 26;

}  // namespace

LocatedFailure::LocatedFailure(std::string file, std::uint64_t offset, std::string message, unsigned int number,
                               std::string operation)
    : file_(std::move(file)),
      offset_(offset),
      message_(std::move(message)),
      number_(number),
      operation_(std::move(operation)) {
    line_ = file_ + ": offset " + std::to_string(offset_) + ": " + message_ + " [error " +
            std::to_string(number_) + ", " + operation_ + "]";
}

std::string failureWords(unsigned int number) {
    switch (number) {
        case 5: return "a tag or a tagging this coder cannot take";
        case 6: return "an object identifier whose arcs cannot be written";
        case 7: return "an element of a type this decoder does not take";
        case 8: return "BOOLEAN contents must be one octet, 00 for FALSE or FF for TRUE";
        case 9: return "a NULL must have no contents octets";
        case 13: return "there is no data to decode";
        case 16: return "a segment of a constructed string has the indefinite length";
        case 17: return "an object identifier without contents octets";
        case 18: return "a tag of the context-specific or private class was expected here";
        case 19: return "DER does not allow a constructed BIT STRING";
        case 20: return "a length this decoder does not take (indefinite, or too long)";
        case 21: return "a segment of a constructed string is of another type";
        case 25: return "elements nest deeper than the decoder follows";
        case kContentsEnd: return "the data ends before the element does";
        case 27: return "a length, tag number, arc or count too large to hold";
        case 28: return "an element runs past the end of the element enclosing it";
        case 30: return "octets the encoding rules do not allow";
        default: return "the element cannot be decoded";
    }
}

void rethrowLocated(const std::string& file, std::uint64_t offset) {
    try {
        throw;
    } catch (const Velmora::Exception& failure) {
        std::string message = failure.getMessage().toUTF8();
        if (message.empty()) message = failureWords(failure.getNumber());
        throw LocatedFailure(file, offset, message, failure.getNumber(), failure.getOperation().toUTF8());
    } catch (const Velmora::IndexOutOfRange&) {
        throw LocatedFailure(file, offset, failureWords(kContentsEnd), kContentsEnd, "zcoders");
    }
}

void rethrowInputOutput(const std::string& input, const std::string& output) {
    try {
        throw;
    } catch (const Velmora::UtilsException& failure) {
        std::string reason = failure.getMessage().toUTF8();
        const std::size_t colon = reason.rfind(": ");
        if (colon != std::string::npos) reason = reason.substr(colon + 2);
        switch (failure.getNumber()) {
            case 8: throw InputOutputFailure("cannot open " + input + ": " + reason);
            case 9: throw InputOutputFailure("cannot read " + input + ": " + reason);
            case 10: throw InputOutputFailure("cannot write " + output + ": " + reason);
            default: throw;
        }
    }
}

}  // namespace zcoders
