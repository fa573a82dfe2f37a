#pragma once
#include <compare>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <iosfwd>
#include <string>
#include <string_view>

#include "zentrik/platform/utils/Export.h"
#include "zentrik/platform/utils/IndexOutOfRange.h"

namespace Velmora {

class String;

/// A growable run of octets. Short contents live inside the object (no allocation); the octets are
/// always followed by a zero octet, so the array can be handed to C functions expecting text.
class ZENTRIK_API ByteArray {
  public:
    static const ByteArray emptyArray;  ///< an empty array, for references to nothing


    /// An empty array.
    ByteArray() noexcept { inline_[0] = 0; }

    explicit ByteArray(int capacity);         ///< empty, with room for `capacity` octets
    explicit ByteArray(unsigned char octet);  ///< one octet
    /// One octet.
    /// @{
    explicit ByteArray(char octet) : ByteArray(static_cast<unsigned char>(octet)) {}

    explicit ByteArray(signed char octet) : ByteArray(static_cast<unsigned char>(octet)) {}
    /// @}

    ByteArray(const char* text);                      ///< the octets of a C string, without its zero
    ByteArray(const void* bytes, std::size_t count);  ///< `count` octets copied from `bytes`
    /// The octets listed, or those of `octets`.
    /// @{
    ByteArray(std::initializer_list<std::uint8_t> octets);
    explicit ByteArray(std::string_view octets) : ByteArray(octets.data(), octets.size()) {}
    /// @}

    /// Copies hold octets of their own.
    /// @{
    ByteArray(const ByteArray& other);
    ByteArray& operator=(const ByteArray& other);
    /// @}

    /// Moves take an allocation over; short contents are copied (all of the inline room at once).
    ByteArray(ByteArray&& other) noexcept : size_(other.size_) {
        if (other.isInline())
            std::memcpy(inline_, other.inline_, kInline + 1);
        else
            takeHeapBuffer(other);
        other.clear();
    }
    /// As the move constructor; the moved-from array is left empty.
    ByteArray& operator=(ByteArray&& other) noexcept {

        if (isInline() && other.isInline() && this != &other) {
            std::memcpy(inline_, other.inline_, kInline + 1);
            size_ = other.size_;
            other.clear();
            return *this;
        }
        return moveAssign(other);
    }
    ~ByteArray() {
        if (!isInline()) release();
    }

    /// Appends `other` or one octet.
    /// @{
    ByteArray& operator+=(const ByteArray& other) { return append(other.data_, other.size_); }
    ByteArray& operator+=(unsigned char octet) { return append(octet); }
    /// @}
    /// This array's octets, then `other`'s.
    ByteArray operator+(const ByteArray& other) const;


    /// Checking index: throws IndexOutOfRange outside the octets.
    unsigned char operator[](unsigned int index) const {
        if (index >= size_) throw IndexOutOfRange(index, static_cast<unsigned int>(size_));
        return data_[index];
    }
    /// Growing index: an index past the end grows the array to it, the new octets 0.
    unsigned char& operator[](unsigned int index) {
        if (index >= size_) resize(static_cast<std::size_t>(index) + 1);
        return data_[index];
    }

    const ByteArray subBytes(std::size_t start, std::size_t count) const;  ///< clipped to the octets there
    const ByteArray right(std::size_t start) const;                        ///< the octets from index `start` on
    int toInt() const;  ///< big-endian two's complement of the last (up to) four octets; empty is 0
    /// Each octet as digits in `base` (2, 8, 10 or 16; upper-case, fixed width), space-separated when asked.
    const String toPrintableString(unsigned int base = 16, bool separate = true) const;
    std::string toHex() const;  ///< lower-case, no separators
    static ByteArray fromHex(
        std::string_view hex);  ///< ignores white space; throws UtilsException on bad digits

    /// DER SET order: octet by octet, unsigned; a prefix comes before the longer array.
    bool operator<(const ByteArray& other) const;
    /// Same octets, same length.
    /// @{
    bool operator==(const ByteArray& other) const;
    bool operator!=(const ByteArray& other) const { return !(*this == other); }
    /// @}
    /// The octets as zero-terminated text; valid until the array changes.
    operator const char*() const { return reinterpret_cast<const char*>(data_); }

    /// The number of octets.
    /// @{
    std::size_t length() const { return size_; }
    std::size_t size() const { return size_; }
    /// @}
    /// Whether there are no octets.
    bool isEmpty() const { return size_ == 0; }
    /// How many octets fit before the array must grow.
    std::size_t capacity() const { return capacity_; }
    /// The octets (zero-terminated), their start and end, or a view of them; valid until the array
    /// changes size or is destroyed.
    /// @{
    const unsigned char* data() const { return data_; }
    unsigned char* data() { return data_; }
    const unsigned char* begin() const { return data_; }
    const unsigned char* end() const { return data_ + size_; }
    std::string_view view() const { return {reinterpret_cast<const char*>(data_), size_}; }
    /// @}

    /// Appends `count` octets from `bytes` (which may lie inside this array), or one octet.
    /// @{
    ByteArray& append(const void* bytes, std::size_t count) {

        if (count > capacity_ - size_) return appendGrowing(bytes, count);
        if (count) std::memmove(data_ + size_, bytes, count);
        size_ += count;
        data_[size_] = 0;
        return *this;
    }
    ByteArray& append(unsigned char octet) {
        if (size_ == capacity_) grow(size_ + 1);
        data_[size_++] = octet;
        data_[size_] = 0;
        return *this;
    }
    /// @}
    /// Makes room for `capacity` octets in all.
    void reserve(std::size_t capacity);

    void resize(std::size_t size);     ///< new octets are 0
    /// Keeps the first `size` octets.
    void truncate(std::size_t size) {

        if (size < size_) {
            size_ = size;
            data_[size_] = 0;
        }
    }
    /// Zero length, still zero-terminated, whatever room is held.
    void clear() noexcept {

        size_ = 0;
        data_[0] = 0;
    }
    /// Makes room for `count` more octets and returns where they go; commit them with setLength.
    unsigned char* prepareAppend(std::size_t count) {
        if (size_ + count > capacity_) grow(size_ + count);
        return data_ + size_;
    }
    /// Sets the length (within the capacity), after prepareAppend.
    void setLength(std::size_t size) {

        size_ = size < capacity_ ? size : capacity_;
        data_[size_] = 0;
    }

  private:
    static constexpr std::size_t kInline = 31;
    void grow(std::size_t needed);
    ByteArray& moveAssign(ByteArray& other) noexcept;
    ByteArray& appendGrowing(const void* bytes, std::size_t count);
    void release() noexcept;
    bool isInline() const { return data_ == inline_; }
    // Takes `other`'s allocation (whatever this held is the caller's to release); `other` falls back
    // to its inline room.
    void takeHeapBuffer(ByteArray& other) noexcept {
        data_ = other.data_;
        capacity_ = other.capacity_;
        other.data_ = other.inline_;
        other.capacity_ = kInline;
    }

    unsigned char* data_ = inline_;
    std::size_t size_ = 0;
    std::size_t capacity_ = kInline;
    unsigned char inline_[kInline + 1];
};

/// Prints the octets in hexadecimal.
ZENTRIK_API std::ostream& operator<<(std::ostream& out, const ByteArray& bytes);


}  // namespace Velmora
