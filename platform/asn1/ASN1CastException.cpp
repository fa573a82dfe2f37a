#include "zentrik/platform/asn1/ASN1CastException.h"

namespace Ostrel {

ASN1CastException::ASN1CastException(unsigned int number)
    : Velmora::Exception(Velmora::Exception::LIB_GENERAL, number, "asn1_const_cast()",
                         Velmora::String::emptyString) {
    classCode = CLASS_CODE;
}

ASN1CastException::~ASN1CastException() = default;

}  // namespace Ostrel
