#pragma once
#include "zentrik/coders/Coder.h"

namespace Velmora {

/// Two letters per octet: the low nibble as 'a'..'p', then the high nibble as 'A'..'P'.
class ZENTRIK_API DoubleCoder : public Coder {
  public:
    DoubleCoder() = default;
    /// Coders hold no data: every copy is like the original.
    /// @{
    DoubleCoder(const DoubleCoder&) = default;
    DoubleCoder& operator=(const DoubleCoder&) = default;
    /// @}
    ~DoubleCoder() override;

    /// Two letters for each octet of `data`.
    const ByteArray encode(const ByteArray& data) override;

    /// Letters are not checked; an odd length throws IndexOutOfRange when the missing partner is read.
    const ByteArray decode(const ByteArray& data) override;
};

}  // namespace Velmora
