#pragma once
#include "zentrik/coders/Coder.h"
#include "zentrik/platform/utils/InputStream.h"
#include "zentrik/platform/utils/OutputStream.h"

namespace Velmora {

/// Quoted-printable. The encoder escapes every line break of the data, so its output is made of
/// soft-broken lines only ("=\r\n", or "=\n" when `crlfSoftBreaks` is false). The decoder is
/// tolerant: it passes through whatever it does not recognise.
class ZENTRIK_API QPCoder : public Coder {
  public:
    /// A coder whose soft line breaks are "=\r\n", or "=\n".
    QPCoder(bool crlfSoftBreaks = true) : crlfSoftBreaks(crlfSoftBreaks) {}

    /// Coders hold no data: every copy is like the original.
    /// @{
    QPCoder(const QPCoder&) = default;
    QPCoder& operator=(const QPCoder&) = default;
    /// @}
    ~QPCoder() override;

    /// The stream forms below, run over the array.
    /// @{
    const ByteArray encode(const ByteArray& data) override;
    const ByteArray decode(const ByteArray& text) override;
    /// @}

    /// Reads `in` to its end and writes the encoding to `out`; returns `out`.
    virtual OutputStream& encode(InputStream& in, OutputStream& out);
    /// Reads `in` to its end and writes the decoded octets to `out`; returns `out`.
    virtual OutputStream& decode(InputStream& in, OutputStream& out);

    /// Whether soft line breaks are "=\r\n".
    bool usesCRLFSoftBreaks() const { return crlfSoftBreaks; }


  private:
    bool crlfSoftBreaks;
};

}  // namespace Velmora
