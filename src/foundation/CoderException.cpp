#include "zentrik/foundation/CoderException.h"

namespace Velmora {

CoderException::CoderException(Exception::libraries library, unsigned int number, const String& operation,
                               const String& message)
    : Exception(library, number, operation, message) {
    classCode = kClassCode;
}

CoderException::CoderException(Exception::libraries library, unsigned int number, const String& operation,
                               const Exception& cause, const String& message)
    : Exception(library, number, operation, cause, message) {
    classCode = kClassCode;
}

CoderException::CoderException(const CoderException& other) = default;

CoderException& CoderException::operator=(const CoderException& other) {
    Exception::operator=(other);
    return *this;
}

CoderException::~CoderException() = default;

}  // namespace Velmora
