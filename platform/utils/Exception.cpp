#include "zentrik/platform/utils/Exception.h"

namespace Velmora {

Exception::Exception(libraries library, unsigned int number, const String& operation, const String& message)
    : library_(library), number_(number), operation_(operation), message_(message) {}

Exception::Exception(libraries library, unsigned int number, const String& operation, const Exception& cause,
                     const String& message)
    : library_(library),
      number_(number),
      operation_(operation),
      message_(message),
      cause_(std::make_unique<Exception>(cause)) {}

Exception::Exception(const Exception& other)
    : std::exception(other),
      classCode(other.classCode),
      library_(other.library_),
      number_(other.number_),
      operation_(other.operation_),
      message_(other.message_),
      cause_(other.cause_ ? std::make_unique<Exception>(*other.cause_) : nullptr) {}

Exception& Exception::operator=(const Exception& other) {
    if (this != &other) {
        classCode = other.classCode;
        library_ = other.library_;
        number_ = other.number_;
        operation_ = other.operation_;
        message_ = other.message_;
        cause_ = other.cause_ ? std::make_unique<Exception>(*other.cause_) : nullptr;
        what_.clear();
    }
    return *this;
}

Exception::~Exception() = default;

std::string Exception::describe() const {
    std::string line = "error " + std::to_string(number_) + " (" + operation_.toUTF8() + ")";
    if (!message_.isEmpty()) line += ": " + message_.toUTF8();
    return line;
}

const char* Exception::what() const noexcept {
    try {
        if (what_.empty()) {
            what_ = describe();
            for (const Exception* c = cause_.get(); c; c = c->cause_.get())
                what_ += "\ncaused by: " + c->describe();
        }
        return what_.c_str();
    } catch (...) {
        return "Velmora::Exception";
    }
}

UtilsException::UtilsException(unsigned int number, const String& operation, const String& message)
    : Exception(LIB_UTILS, number, operation, message) {}

UtilsException::~UtilsException() = default;

}  // namespace Velmora
