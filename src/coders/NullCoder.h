#pragma once
#include "zentrik/coders/Coder.h"

namespace Velmora {

/// The identity coder: both directions return a copy of their input.
class ZENTRIK_API NullCoder : public Coder {
  public:
    NullCoder() = default;
    /// Coders hold no data: every copy is like the original.
    /// @{
    NullCoder(const NullCoder&) = default;
    NullCoder& operator=(const NullCoder&) = default;
    /// @}
    ~NullCoder() override;

    /// A copy of `data`.
    /// @{
    const ByteArray encode(const ByteArray& data) override;
    const ByteArray decode(const ByteArray& data) override;
    /// @}

};

}  // namespace Velmora
