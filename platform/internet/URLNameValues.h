#pragma once
#include <iosfwd>
#include <vector>

#include "zentrik/platform/internet/URLNameValueField.h"
#include "zentrik/platform/utils/Export.h"

namespace Velmora {

/// The fields of a URL query, in the order they were added.
class ZENTRIK_API URLNameValues {
  public:
    URLNameValues() = default;
    /// Copies and moves are deep; the destructor deletes what the object owns.
    /// @{
    URLNameValues(const URLNameValues&) = default;
    URLNameValues(URLNameValues&&) noexcept = default;
    URLNameValues& operator=(const URLNameValues&) = default;
    URLNameValues& operator=(URLNameValues&&) noexcept = default;
    /// @}
    ~URLNameValues();

    /// Appends a copy of `field`.
    void addURLNameValueField(const URLNameValueField& field);
    /// The fields in order; valid until the next field is added.
    const std::vector<URLNameValueField>& getURLFields() const { return fields_; }
    /// How many fields there are.
    unsigned int getNumberOfFields() const { return static_cast<unsigned int>(fields_.size()); }

    /// The same fields in the same order.
    /// @{
    bool operator==(const URLNameValues& other) const { return fields_ == other.fields_; }
    bool operator!=(const URLNameValues& other) const { return !(*this == other); }
    /// @}


  private:
    std::vector<URLNameValueField> fields_;
};

/// Prints the fields as {name=body, name=body}.
ZENTRIK_API std::ostream& operator<<(std::ostream& out, const URLNameValues& fields);

}  // namespace Velmora
