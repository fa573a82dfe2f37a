#pragma once
#include <cstddef>
#include <memory>

#include "zentrik/platform/asn1/ASN1Object.h"
#include "zentrik/platform/utils/Export.h"

namespace Ostrel {

/// An owned, ordered list of values: the components of a structure or the segments of a string.
/// Copies are deep; indexing outside the list throws Velmora::IndexOutOfRange.
///
/// The first few components sit inside the list itself, so that the many small structures of a
/// typical document (an algorithm identifier, a name attribute) cost no allocation of their own.
class ZENTRIK_API ASN1ComponentList {
  public:
    ASN1ComponentList() = default;
    /// Copies are deep (every component cloned); moves take the components over.
    /// @{
    ASN1ComponentList(const ASN1ComponentList& other);
    ASN1ComponentList(ASN1ComponentList&& other) noexcept;
    ASN1ComponentList& operator=(const ASN1ComponentList& other);
    ASN1ComponentList& operator=(ASN1ComponentList&& other) noexcept;
    /// @}
    ~ASN1ComponentList();

    /// Takes ownership; a null pointer throws Exception (LIB_ASN1, ASN1Error::NULL_COMPONENT).
    void append(std::unique_ptr<ASN1Object> component) {
        if (component && size_ < kInline)
            inline_[size_++] = component.release();
        else if (component && size_ - kInline < overflowRoom_)
            overflow_[size_++ - kInline] = component.release();
        else
            appendOverflow(std::move(component));  // null, or no room left
    }

    /// How many components the list holds, and whether none.
    /// @{
    unsigned int size() const noexcept { return size_; }
    bool empty() const noexcept { return size_ == 0; }
    /// @}
    /// Component `index`, owned by the list; Velmora::IndexOutOfRange outside it.
    /// @{
    const ASN1Object* at(unsigned int index) const {
        if (index >= size_) outOfRange(index);
        return slot(index);
    }
    ASN1Object* at(unsigned int index) {
        if (index >= size_) outOfRange(index);
        return slot(index);
    }
    /// @}
    /// Deletes every component.
    void clear() noexcept;
    /// Makes room for `count` components.
    void reserve(std::size_t count);
    /// Element by element with equals().
    bool equals(const ASN1ComponentList& other) const;

  private:
    static constexpr unsigned int kInline = 4;

    ASN1Object* slot(unsigned int index) const noexcept {
        return index < kInline ? inline_[index] : overflow_[index - kInline];
    }
    void takeFrom(ASN1ComponentList& other) noexcept;
    void appendOverflow(std::unique_ptr<ASN1Object> component);
    // Makes the room beyond the list's own hold at least `count` components.
    void growOverflow(std::size_t count);
    [[noreturn]] void outOfRange(unsigned int index) const;

    // Components 0 to kInline - 1, then the others in a block of overflowRoom_ places (from the value
    // objects' block cache); the first size_ are owned, deleted by clear() and the destructor.
    ASN1Object* inline_[kInline] = {};
    ASN1Object** overflow_ = nullptr;
    unsigned int size_ = 0;
    unsigned int overflowRoom_ = 0;
};

}  // namespace Ostrel
