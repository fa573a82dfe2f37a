#include "zentrik/platform/asn1/ASN1ContentOctets.h"

#include <limits>
#include <stdexcept>

#include "zentrik/platform/asn1/ASN1ShortCopy.h"
#include "zentrik/platform/asn1/ASN1ValueCache.h"

namespace Ostrel {

void ASN1ContentOctets::assign(const unsigned char* octets, std::size_t count) {
    if (count <= kMark) {
        unsigned char copy[kMark] = {};  // the octets may lie in the block released below
        shortCopy::copy(copy, octets, count);
        release();
        std::memcpy(room_, copy, sizeof copy);
        room_[kMark] = static_cast<unsigned char>(count);
        return;
    }
    if (count > std::numeric_limits<std::uint32_t>::max()) throw std::length_error("contents beyond 4 GiB");
    auto* block = static_cast<unsigned char*>(valueCache::allocate(count));  // throws std::bad_alloc
    std::memcpy(block, octets, count);
    release();
    const auto stored = static_cast<std::uint32_t>(count);
    std::memcpy(room_, &block, sizeof block);
    std::memcpy(room_ + sizeof block, &stored, sizeof stored);
    room_[kMark] = kHeap;
}

void ASN1ContentOctets::release() noexcept {
    if (isHeap()) valueCache::release(heapData(), heapSize());
}

}  // namespace Ostrel
