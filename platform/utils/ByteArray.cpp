#include "zentrik/platform/utils/ByteArray.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <ostream>

#include "zentrik/platform/utils/Exception.h"
#include "zentrik/platform/utils/String.h"

namespace Velmora {

const ByteArray ByteArray::emptyArray;

ByteArray::ByteArray(int capacity) : ByteArray() {
    if (capacity > 0) reserve(static_cast<std::size_t>(capacity));
}

ByteArray::ByteArray(unsigned char octet) : ByteArray() {
    inline_[0] = octet;
    inline_[1] = 0;
    size_ = 1;
}

ByteArray::ByteArray(const char* text) : ByteArray() {
    if (text) append(text, std::strlen(text));
}

ByteArray::ByteArray(const void* bytes, std::size_t count) : ByteArray() {
    append(bytes, count);
}

ByteArray::ByteArray(std::initializer_list<std::uint8_t> octets) : ByteArray() {
    append(octets.begin(), octets.size());
}

ByteArray::ByteArray(const ByteArray& other) : ByteArray() {
    append(other.data_, other.size_);
}

ByteArray& ByteArray::operator=(const ByteArray& other) {
    if (this != &other) {
        size_ = 0;
        append(other.data_, other.size_);
    }
    return *this;
}

ByteArray& ByteArray::moveAssign(ByteArray& other) noexcept {
    if (this == &other) return *this;
    if (other.isInline()) {
        // Short contents are copied; an allocation of ours is kept for reuse.
        std::memcpy(data_, other.data_, other.size_ + 1);
        size_ = other.size_;
    } else {
        if (!isInline()) std::free(data_);
        takeHeapBuffer(other);
        size_ = other.size_;
    }
    other.clear();
    return *this;
}

void ByteArray::release() noexcept {
    std::free(data_);
}

ByteArray ByteArray::operator+(const ByteArray& other) const {
    ByteArray result(static_cast<int>(size_ + other.size_));
    result.append(data_, size_);
    result.append(other.data_, other.size_);
    return result;
}

void ByteArray::grow(std::size_t needed) {
    std::size_t capacity = std::max(needed, capacity_ + capacity_ / 2);
    reserve(capacity);
}

void ByteArray::reserve(std::size_t capacity) {
    if (capacity <= capacity_) return;
    unsigned char* fresh;
    if (isInline()) {
        fresh = static_cast<unsigned char*>(std::malloc(capacity + 1));
        if (!fresh) throw std::bad_alloc();
        std::memcpy(fresh, data_, size_ + 1);
    } else {
        fresh = static_cast<unsigned char*>(std::realloc(data_, capacity + 1));
        if (!fresh) throw std::bad_alloc();
    }
    data_ = fresh;
    capacity_ = capacity;
}

ByteArray& ByteArray::appendGrowing(const void* bytes, std::size_t count) {
    // `bytes` may point into this array: keep its offset across the move.
    const unsigned char* src = static_cast<const unsigned char*>(bytes);
    if (src >= data_ && src < data_ + capacity_ + 1) {
        std::size_t offset = static_cast<std::size_t>(src - data_);
        grow(size_ + count);
        bytes = data_ + offset;
    } else {
        grow(size_ + count);
    }
    std::memmove(data_ + size_, bytes, count);
    size_ += count;
    data_[size_] = 0;
    return *this;
}

void ByteArray::resize(std::size_t size) {
    if (size > capacity_) grow(size);
    if (size > size_) std::memset(data_ + size_, 0, size - size_);
    size_ = size;
    data_[size_] = 0;
}

const ByteArray ByteArray::subBytes(std::size_t start, std::size_t count) const {
    if (start >= size_) return ByteArray();
    return ByteArray(data_ + start, std::min(count, size_ - start));
}

const ByteArray ByteArray::right(std::size_t start) const {
    if (start >= size_) return ByteArray();
    return ByteArray(data_ + start, size_ - start);
}

int ByteArray::toInt() const {
    if (size_ == 0) return 0;
    std::size_t first = size_ > 4 ? size_ - 4 : 0;
    // Sign-extend from the first octet that is kept.
    std::uint32_t value = (data_[first] & 0x80) ? 0xFFFFFFFFu : 0u;
    for (std::size_t i = first; i < size_; ++i) value = (value << 8) | data_[i];
    return static_cast<int>(value);
}

const String ByteArray::toPrintableString(unsigned int base, bool separate) const {
    if (base != 2 && base != 8 && base != 10) base = 16;
    const unsigned width = base == 2 ? 8 : base == 16 ? 2 : 3;
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(size_ * (width + 1));
    for (std::size_t i = 0; i < size_; ++i) {
        if (separate && i > 0) text += ' ';
        char group[8];
        unsigned value = data_[i];
        for (unsigned d = width; d-- > 0;) {
            group[d] = digits[value % base];
            value /= base;
        }
        text.append(group, width);
    }
    return String(text);
}

std::string ByteArray::toHex() const {
    static const char digits[] = "0123456789abcdef";
    std::string text(size_ * 2, '0');
    for (std::size_t i = 0; i < size_; ++i) {
        text[2 * i] = digits[data_[i] >> 4];
        text[2 * i + 1] = digits[data_[i] & 0x0F];
    }
    return text;
}

static int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

ByteArray ByteArray::fromHex(std::string_view hex) {
    ByteArray result(static_cast<int>(hex.size() / 2));
    int high = -1;
    for (char c : hex) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == ':') continue;
        int v = hexValue(c);
        if (v < 0)
            throw UtilsException(3, "ByteArray::fromHex(std::string_view)",
                                 String("not a hexadecimal digit: '") + String(std::string(1, c)) + "'");
        if (high < 0) {
            high = v;
        } else {
            result.append(static_cast<unsigned char>(high << 4 | v));
            high = -1;
        }
    }
    if (high >= 0) throw UtilsException(3, "ByteArray::fromHex(std::string_view)", "odd number of digits");
    return result;
}

bool ByteArray::operator<(const ByteArray& other) const {
    std::size_t common = std::min(size_, other.size_);
    int c = common ? std::memcmp(data_, other.data_, common) : 0;
    if (c != 0) return c < 0;
    return size_ < other.size_;
}

bool ByteArray::operator==(const ByteArray& other) const {
    return size_ == other.size_ && (size_ == 0 || std::memcmp(data_, other.data_, size_) == 0);
}

std::ostream& operator<<(std::ostream& out, const ByteArray& bytes) {
    return out << bytes.toHex();
}

}  // namespace Velmora
