#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "zentrik/platform/utils/ByteArray.h"
#include "zentrik/platform/utils/Export.h"

namespace Ostrel {

/// The contents octets a small value keeps, in sixteen octets: up to 15 octets inside the object,
/// more in one allocation of their own. Values decoded by the thousand hold these instead of a
/// ByteArray, whose inline room makes it several times larger. Copies are deep; a moved-from holder
/// is empty. Not safe for concurrent modification.
class ZENTRIK_API ASN1ContentOctets {
  public:
    /// No octets.
    ASN1ContentOctets() noexcept { room_[kMark] = 0; }
    /// Copies own their octets; a move takes the other's octets and leaves it empty.
    /// @{
    ASN1ContentOctets(const ASN1ContentOctets& other) : ASN1ContentOctets() { assign(other.data(), other.size()); }
    ASN1ContentOctets(ASN1ContentOctets&& other) noexcept {
        std::memcpy(room_, other.room_, sizeof room_);
        other.room_[kMark] = 0;
    }
    ASN1ContentOctets& operator=(const ASN1ContentOctets& other) {
        if (this != &other) assign(other.data(), other.size());
        return *this;
    }
    ASN1ContentOctets& operator=(ASN1ContentOctets&& other) noexcept {
        if (this != &other) {
            release();
            std::memcpy(room_, other.room_, sizeof room_);
            other.room_[kMark] = 0;
        }
        return *this;
    }
    /// @}
    ~ASN1ContentOctets() { release(); }

    /// Replaces the octets with a copy of `count` octets at `octets` (which may be these very octets).
    /// Throws std::length_error beyond 4 GiB and std::bad_alloc when memory runs out.
    void assign(const unsigned char* octets, std::size_t count);
    /// Drops the octets.
    void clear() noexcept {
        release();
        room_[kMark] = 0;
    }

    /// Whether there are no octets.
    bool empty() const noexcept { return room_[kMark] == 0; }
    /// The number of octets.
    std::size_t size() const noexcept { return isHeap() ? heapSize() : room_[kMark]; }
    /// The octets; valid until the holder changes or is destroyed.
    const unsigned char* data() const noexcept { return isHeap() ? heapData() : room_; }
    /// A copy of the octets.
    Velmora::ByteArray toByteArray() const { return Velmora::ByteArray(data(), size()); }
    /// Whether both hold the same octets.
    bool operator==(const ASN1ContentOctets& other) const noexcept {
        return size() == other.size() && std::memcmp(data(), other.data(), size()) == 0;
    }

  private:
    // Octets 0-14 hold the contents and octet 15 their count; in the heap form octets 0-7 hold the
    // address, 8-11 the count and octet 15 the mark kHeap.
    static constexpr std::size_t kMark = 15;
    static constexpr unsigned char kHeap = 0xFF;

    bool isHeap() const noexcept { return room_[kMark] == kHeap; }
    unsigned char* heapData() const noexcept {
        unsigned char* address;
        std::memcpy(&address, room_, sizeof address);
        return address;
    }
    std::size_t heapSize() const noexcept {
        std::uint32_t count;
        std::memcpy(&count, room_ + sizeof(unsigned char*), sizeof count);
        return count;
    }
    void release() noexcept;

    alignas(8) unsigned char room_[16];
};

}  // namespace Ostrel
