#pragma once
#include <cstddef>
#include <initializer_list>
#include <vector>

#include "zentrik/platform/utils/Export.h"
#include "zentrik/platform/utils/IndexOutOfRange.h"

namespace Velmora {

/// A growable array of ints with the same two kinds of indexing as ByteArray.
class ZENTRIK_API IntArray {
  public:
    /// An empty array, or one of the values given.
    /// @{
    IntArray() = default;
    IntArray(std::initializer_list<int> values) : values_(values) {}
    explicit IntArray(std::vector<int> values) : values_(std::move(values)) {}
    /// @}

    /// Checking index: throws IndexOutOfRange outside the values.
    int operator[](unsigned int index) const {

        if (index >= values_.size()) throw IndexOutOfRange(index, static_cast<unsigned int>(values_.size()));
        return values_[index];
    }
    /// Growing index: an index past the end grows the array to it, the new values 0.
    int& operator[](unsigned int index) {

        if (index >= values_.size()) values_.resize(static_cast<std::size_t>(index) + 1, 0);
        return values_[index];
    }
    /// Appends `value`.
    IntArray& operator+=(int value) {

        values_.push_back(value);
        return *this;
    }
    /// Same values in the same order.
    bool operator==(const IntArray& other) const = default;

    /// The number of values.
    /// @{
    unsigned int length() const { return static_cast<unsigned int>(values_.size()); }
    unsigned int getLength() const { return length(); }
    /// @}
    /// Whether there are no values.
    bool isEmpty() const { return values_.empty(); }
    /// Makes room for `n` values.
    void reserve(std::size_t n) { values_.reserve(n); }
    /// Removes every value.
    void clear() { values_.clear(); }
    /// The values, their start and end; valid until the array changes.
    /// @{
    const std::vector<int>& values() const { return values_; }
    auto begin() const { return values_.begin(); }
    auto end() const { return values_.end(); }
    /// @}


  private:
    std::vector<int> values_;
};

}  // namespace Velmora
