#include "zentrik/platform/asn1/ASN1Choice.h"

namespace Ostrel {

ASN1Choice::ASN1Choice(const ASN1Object& chosen) : ASN1ValueHolder(ASNTag::CHOICE) {
    setValue(chosen);
}

ASN1Choice::~ASN1Choice() = default;

ASN1Object* ASN1Choice::clone() const {
    return new ASN1Choice(*this);
}

}  // namespace Ostrel
