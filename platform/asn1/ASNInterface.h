#pragma once
#include "zentrik/platform/asn1/ASN1Object.h"
#include "zentrik/platform/utils/Export.h"
#include "zentrik/platform/utils/SmartPointer.h"

namespace Ostrel {

/// An object of the caller's own that converts itself to and from an ASN.1 value.
class ZENTRIK_API ASNInterface {
  public:
    virtual ~ASNInterface();
    /// A new value describing the object.
    virtual Velmora::SmartPointer<ASN1Object> toASN1Object() const = 0;
    /// Takes its state from `value`, copying what it keeps: the value may be deleted afterwards.
    virtual void fromASN1Object(const ASN1Object* value) = 0;

  protected:
    ASNInterface() = default;
    /// Copies and moves are deep; the destructor deletes what the object owns.
    /// @{
    ASNInterface(const ASNInterface&) = default;
    ASNInterface& operator=(const ASNInterface&) = default;
    /// @}
};

}  // namespace Ostrel
