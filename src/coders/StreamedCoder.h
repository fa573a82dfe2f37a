#pragma once
#include "zentrik/platform/utils/Export.h"
#include "zentrik/platform/utils/InputStream.h"
#include "zentrik/platform/utils/OutputStream.h"

namespace Velmora {

/// The interface of a coder that works from stream to stream. Objects are never deleted through it,
/// so its destructor is protected and not virtual.
class ZENTRIK_API StreamedCoder {
  public:
    StreamedCoder() = default;
    /// Coders hold no data: every copy is like the original.
    /// @{
    StreamedCoder(const StreamedCoder&) = default;
    StreamedCoder& operator=(const StreamedCoder&) = default;
    /// @}

    /// Reads `in` to its end and writes the encoding to `out`; returns `out`.
    virtual OutputStream& encode(InputStream& in, OutputStream& out) = 0;
    /// Reads `in` to its end and writes the decoded octets to `out`; returns `out`.
    virtual OutputStream& decode(InputStream& in, OutputStream& out) = 0;

  protected:
    ~StreamedCoder() = default;
};

}  // namespace Velmora
