#pragma once
#include "zentrik/platform/utils/ByteArray.h"
#include "zentrik/platform/utils/Export.h"
#include "zentrik/platform/utils/SmartPointer.h"
#include "zentrik/platform/utils/String.h"

namespace Velmora {

/// A byte coder: turns one byte string into another (encode) and back (decode). Coders are plain
/// values without state between calls.
class ZENTRIK_API Coder {
  public:
    Coder() = default;
    /// Coders hold no data: every copy is like the original.
    /// @{
    Coder(const Coder&) = default;
    Coder& operator=(const Coder&) = default;
    /// @}
    virtual ~Coder();

    /// The encoding of `data`, or the octets `data` decodes to; the input stays the caller's.
    /// Failures are the coder's own (see each coder).
    /// @{
    virtual const ByteArray encode(const ByteArray& data) = 0;
    virtual const ByteArray decode(const ByteArray& data) = 0;
    /// @}


    /// A new coder chosen by name, case-insensitively: "base64" gives a Base64Coder with line breaks,
    /// "quoted-printable" a QPCoder with CR LF soft breaks, every other name a NullCoder.
    static SmartPointer<Coder> getInstance(const String& name);
};

}  // namespace Velmora
