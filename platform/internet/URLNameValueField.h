#pragma once
#include <iosfwd>

#include "zentrik/platform/utils/Export.h"
#include "zentrik/platform/utils/String.h"

namespace Velmora {

/// One field of a URL query: a name and its value (body).
class ZENTRIK_API URLNameValueField {
  public:
    /// A field named `name` with the value `body`, both copied.
    URLNameValueField(const String& name, const String& body);

    /// Copies and moves are deep; the destructor deletes what the object owns.
    /// @{
    URLNameValueField(const URLNameValueField&) = default;
    URLNameValueField(URLNameValueField&&) noexcept = default;
    URLNameValueField& operator=(const URLNameValueField&) = default;
    URLNameValueField& operator=(URLNameValueField&&) noexcept = default;
    /// @}
    ~URLNameValueField();

    /// The name and the value.
    /// @{
    const String& getFieldName() const { return name_; }
    const String& getFieldBody() const { return body_; }
    /// @}

    /// Same name and same value.
    /// @{
    bool operator==(const URLNameValueField& other) const {

        return name_ == other.name_ && body_ == other.body_;
    }
    bool operator!=(const URLNameValueField& other) const { return !(*this == other); }
    /// @}


  private:
    String name_;
    String body_;
};

/// Prints name=body, as UTF-8.
ZENTRIK_API std::ostream& operator<<(std::ostream& out, const URLNameValueField& field);

}  // namespace Velmora
