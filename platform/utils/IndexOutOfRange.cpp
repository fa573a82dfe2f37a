#include "zentrik/platform/utils/IndexOutOfRange.h"

#include "zentrik/platform/utils/String.h"

namespace Velmora {

const String IndexOutOfRange::toString() const {
    return String(text());
}

const char* IndexOutOfRange::text() {
    return "T Array::operator[](unsigned int) const - Index greater than Array length.";
}

}  // namespace Velmora
