#pragma once
#include "zentrik/platform/utils/Exception.h"
#include "zentrik/platform/utils/Export.h"

namespace Ostrel {

/// Thrown by asn1_const_cast: library identifier 0 (Exception::LIB_GENERAL), operation text
/// "asn1_const_cast()", an empty message, and number 23 (null, or a tag of another class) or 29 (a
/// CHOICE cast to another class).
class ZENTRIK_API ASN1CastException : public Velmora::Exception {
  public:
    static constexpr std::int32_t CLASS_CODE = 0x41534331;  ///< "ASC1"

    /// The failure numbered `number` (ASN1Error::CAST_FOREIGN_TAG or ASN1Error::CAST_CHOICE).
    explicit ASN1CastException(unsigned int number);
    /// Copies and moves are deep; the destructor deletes what the object owns.
    /// @{
    ASN1CastException(const ASN1CastException&) = default;
    ASN1CastException& operator=(const ASN1CastException&) = default;
    /// @}
    ~ASN1CastException() override;
};

}  // namespace Ostrel
