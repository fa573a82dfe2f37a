#pragma once
#include "zentrik/platform/internet/URLNameValues.h"
#include "zentrik/platform/utils/Export.h"
#include "zentrik/platform/utils/String.h"

namespace Velmora {

/// Builds URL query strings ("name=value&name=value") from name/value fields and parses them back.
class ZENTRIK_API URLCoder {
  public:
    URLCoder() = default;
    /// Coders hold no data: every copy is like the original.
    /// @{
    URLCoder(const URLCoder&) = default;
    URLCoder& operator=(const URLCoder&) = default;
    /// @}

    /// The query string of the fields: names and values escaped, fields joined by "&".
    virtual const String encode(const URLNameValues& fields);
    /// The fields found in `query`, in order; text that forms no field is ignored. A failure of the
    /// parsing comes out as CoderException 12; IndexOutOfRange from a cut escape passes unchanged.
    virtual const URLNameValues decode(const String& query);

    /// Undoes the escaping of one piece: "+" becomes a space, "%" and two hexadecimal digits the
    /// character of that octet, "&" is dropped.
    const String decodeString(const String& text) const;

  private:
    // Escapes one name or value: a space as "+", letters and digits as they are, every other octet
    // as "%" and two lower-case hexadecimal digits.
    const String makeSafe(String& text) const;
};

}  // namespace Velmora
