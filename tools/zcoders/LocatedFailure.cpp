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
        case 7: return "an element of a type this decoder does not take";
        case 8: return "a BOOLEAN whose length is not 1";
        case 9: return "an element that is not the type expected here";
        case 20: return "a length this decoder does not take (indefinite, or too long)";
        case kContentsEnd: return "the data ends before the element does";
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

}  // namespace zcoders
