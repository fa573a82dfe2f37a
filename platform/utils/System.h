#pragma once
#include <cstddef>

#include "zentrik/platform/utils/Export.h"

namespace Velmora {

/// Small platform helpers.
class ZENTRIK_API System {
  public:
    /// As the C functions of the same names; return `destination`.
    /// @{
    static void* memcpy(void* destination, const void* source, std::size_t count);
    static void* memset(void* destination, int value, std::size_t count);
    /// @}

    static bool littleEndian();  ///< whether this machine stores the least significant octet first
};

}  // namespace Velmora
