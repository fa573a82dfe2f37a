#pragma once
#include <memory>
#include <vector>

#include "zentrik/platform/asn1/ASN1Object.h"
#include "zentrik/platform/utils/Export.h"

namespace Ostrel {

// An owned, ordered list of values: the components of a structure or the segments of a string.
// Copies are deep; indexing outside the list throws Velmora::IndexOutOfRange.
class ZENTRIK_API ASN1ComponentList {
  public:
    ASN1ComponentList() = default;
    ASN1ComponentList(const ASN1ComponentList& other);
    ASN1ComponentList(ASN1ComponentList&&) noexcept = default;
    ASN1ComponentList& operator=(const ASN1ComponentList& other);
    ASN1ComponentList& operator=(ASN1ComponentList&&) noexcept = default;
    ~ASN1ComponentList();

    // Takes ownership; a null pointer throws Exception (LIB_ASN1, ASN1Error::NULL_COMPONENT).
    void append(std::unique_ptr<ASN1Object> component);

    unsigned int size() const noexcept { return static_cast<unsigned int>(items_.size()); }
    bool empty() const noexcept { return items_.empty(); }
    const ASN1Object* at(unsigned int index) const;
    ASN1Object* at(unsigned int index);
    void clear() noexcept { items_.clear(); }
    void reserve(std::size_t count) { items_.reserve(count); }
    // Element by element with equals().
    bool equals(const ASN1ComponentList& other) const;

  private:
    std::vector<std::unique_ptr<ASN1Object>> items_;
};

}  // namespace Ostrel
