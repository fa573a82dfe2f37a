#pragma once
#include "zentrik/platform/utils/Exception.h"

namespace Velmora {

/// The exception the coders throw when an encoding or decoding cannot be done. It is an Exception
/// with the class code -19 and nothing else of its own; see CoderFailures.h for every number.
class ZENTRIK_API CoderException : public Exception {
  public:
    static constexpr std::int32_t kClassCode = -19;  ///< what getClassCode() returns

    /// A failure numbered `number` (CoderFailures.h) of `library` in `operation`; with a copy of `cause`.
    /// @{
    CoderException(Exception::libraries library, unsigned int number, const String& operation,
                   const String& message);
    CoderException(Exception::libraries library, unsigned int number, const String& operation,
                   const Exception& cause, const String& message);
    /// @}
    /// Copies carry a copy of the cause.
    /// @{
    CoderException(const CoderException& other);
    CoderException& operator=(const CoderException& other);
    /// @}

    ~CoderException() override;
};

}  // namespace Velmora
