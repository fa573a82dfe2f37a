#include "zentrik/platform/utils/System.h"

#include <bit>
#include <cstring>

namespace Velmora {

void* System::memcpy(void* destination, const void* source, std::size_t count) {
    return count ? std::memcpy(destination, source, count) : destination;
}

void* System::memset(void* destination, int value, std::size_t count) {
    return count ? std::memset(destination, value, count) : destination;
}

bool System::littleEndian() {
    return std::endian::native == std::endian::little;
}

}  // namespace Velmora
