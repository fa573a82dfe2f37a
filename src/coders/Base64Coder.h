#pragma once
#include <cstddef>

#include "zentrik/coders/Coder.h"

namespace Velmora {

class Base64OutputStream;

/// Base64 (RFC 2045 alphabet, '=' padding). With `breakLines` the text comes in lines of 76
/// characters, each one, the last included, ended by CR LF; without, as one unbroken line.
/// Decoding is tolerant: non-alphabet octets are skipped, the first '=' ends the text, padding is optional.
class ZENTRIK_API Base64Coder : public Coder {
  public:
    /// A coder writing lines of 76 characters ended by CR LF, or one unbroken line.
    Base64Coder(bool breakLines = true) : breakLines(breakLines) {}

    /// Coders hold no data: every copy is like the original.
    /// @{
    Base64Coder(const Base64Coder&) = default;
    Base64Coder& operator=(const Base64Coder&) = default;
    /// @}
    ~Base64Coder() override;

    /// The Base64 text of `data`; never fails.
    const ByteArray encode(const ByteArray& data) override;
    /// The octets of `text`, read tolerantly (see the class); never fails.
    const ByteArray decode(const ByteArray& text) override;

    /// Whether the encoder breaks lines.
    bool breaksLines() const { return breakLines; }


  private:
    friend class Base64OutputStream;
    // Appends the text of `count` octets to `text`.
    void appendEncoded(const unsigned char* data, std::size_t count, ByteArray& text) const;

    bool breakLines;
};

}  // namespace Velmora
