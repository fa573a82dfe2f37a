#pragma once
#include <array>
#include <cstddef>

#include "zentrik/coders/Base64Coder.h"
#include "zentrik/platform/utils/OutputStream.h"

namespace Velmora {

/// Encodes what is written to it as Base64 text in lines of 76 characters ended by CR LF and passes
/// the text on to the target stream, which the caller owns. Octets are encoded in whole lines of 57;
/// fewer than 57 stay pending until more arrive or flush() writes them as a final padded line.
class ZENTRIK_API Base64OutputStream : public FilteredOutputStream {
  public:
    /// A filter writing Base64 text to `target`, which must outlive it.
    explicit Base64OutputStream(OutputStream& target);

    Base64OutputStream(const Base64OutputStream&) = delete;
    Base64OutputStream& operator=(const Base64OutputStream&) = delete;
    /// Flushes what is pending first.
    ~Base64OutputStream() override;

    /// Writes the pending octets as the last, padded line of a Base64 text; the target is not flushed.
    void flush() override;
    OutputStream& operator<<(char octet) override;
    OutputStream& operator<<(const char* text) override;
    OutputStream& operator<<(const ByteArray& data) override;

  protected:
    void writeBytes(const unsigned char* bytes, std::size_t count) override;

  private:
    static constexpr std::size_t kLineOctets = 57;

    // Encodes `count` octets, whole lines, and passes the text on in slices of bounded size.
    void encodeLines(const unsigned char* bytes, std::size_t count);

    Base64Coder coder;
    std::array<unsigned char, kLineOctets> pending{};  // written but not yet encoded
    std::size_t pendingLength = 0;                     // fewer than 57 between calls
    ByteArray text;                                    // room for one slice of text, reused
};

}  // namespace Velmora
