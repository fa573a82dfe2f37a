#pragma once
#include <cstdint>
#include <exception>
#include <memory>
#include <string>

#include "zentrik/platform/utils/Export.h"
#include "zentrik/platform/utils/String.h"

/// Octets, text, numbers, streams and exceptions; the byte coders; URL query fields.
namespace Velmora {

/// The toolkit's exception: which library failed, an error number, the failing operation, a message
/// and, optionally, an owned copy of the exception that caused it.
class ZENTRIK_API Exception : public std::exception {
  public:
    /// The library that failed: general (the casts), utilities, ASN.1 values, coders, internet.
    enum libraries : int { LIB_GENERAL = 0, LIB_UTILS = 1, LIB_ASN1 = 2, LIB_CODERS = 3, LIB_INTERNET = 4 };

    /// A failure of `library`, numbered `number`, in `operation`; with a copy of `cause`.
    /// @{
    Exception(libraries library, unsigned int number, const String& operation, const String& message);
    Exception(libraries library, unsigned int number, const String& operation, const Exception& cause,
              const String& message);
    /// @}

    /// Copies carry a copy of the cause.
    /// @{
    Exception(const Exception& other);
    Exception& operator=(const Exception& other);
    /// @}

    ~Exception() override;

    /// "error N (operation): message", then "caused by: ..." for each cause, one per line.
    const char* what() const noexcept override;

    /// What the exception holds: the class code of the deriving class (CoderException -19), the
    /// library, the number, the operation, the message, and the cause (null for none; owned by this
    /// exception).
    /// @{
    std::int32_t getClassCode() const { return classCode; }
    libraries getLibrary() const { return library_; }
    unsigned int getNumber() const { return number_; }
    const String& getOperation() const { return operation_; }
    const String& getMessage() const { return message_; }
    const Exception* getCause() const { return cause_.get(); }
    /// @}

    /// One line: "error N (operation): message" (": message" left out when empty).
    std::string describe() const;

  protected:
    std::int32_t classCode = 0;  ///< set by the deriving classes; copied with everything else

  private:
    libraries library_;
    unsigned int number_;
    String operation_;
    String message_;
    std::unique_ptr<Exception> cause_;
    mutable std::string what_;
};

/// Failures of the utility library itself. Numbers: 1 bad regular expression; 2 no match left or no
/// such group; 3 bad hexadecimal text; 4 no more data to read; 5 a stream that cannot step back;
/// 6 bad decimal or hexadecimal number; 7 a number too large for 64 bits; 8 a file that cannot be
/// opened; 9 a failed read; 10 a failed write or close; 31 an operation a stream does not offer.
class ZENTRIK_API UtilsException : public Exception {
  public:
    /// A failure of the utility library (LIB_UTILS).
    UtilsException(unsigned int number, const String& operation, const String& message);

    /// Copies carry a copy of the cause.
    /// @{
    UtilsException(const UtilsException&) = default;
    UtilsException& operator=(const UtilsException&) = default;
    /// @}
    ~UtilsException() override;
};

}  // namespace Velmora
