#include "zentrik/foundation/CoderFailures.h"

#include "zentrik/foundation/CoderException.h"

namespace Velmora::failures {

void contentsEnd(const char* operation, std::uint64_t got, std::uint64_t length) {
    throw CoderException(
        Exception::LIB_CODERS, kTruncated, operation,
        "the contents end after " + std::to_string(got) + " of " + std::to_string(length) + " octets");
}

void overrun(const char* operation, const std::string& what, std::uint64_t end, const std::string& enclosing,
             std::uint64_t enclosingEnd) {
    throw CoderException(Exception::LIB_CODERS, kOverrun, operation,
                         what + " ends at octet " + std::to_string(end) + ", past the end of its " +
                             enclosing + " at octet " + std::to_string(enclosingEnd));
}

}  // namespace Velmora::failures
