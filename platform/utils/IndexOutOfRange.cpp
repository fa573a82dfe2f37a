#include "zentrik/platform/utils/IndexOutOfRange.h"

#include "zentrik/platform/utils/String.h"

namespace Velmora {

// Out of line, so that the many inline checking indexes stay small where they throw.
IndexOutOfRange::IndexOutOfRange() : std::out_of_range(text()) {}

IndexOutOfRange::IndexOutOfRange(unsigned int index, unsigned int length)
    : std::out_of_range(text()), index_(index), length_(length) {}

const String IndexOutOfRange::toString() const {
    return String(text());
}

const char* IndexOutOfRange::text() {
    return "T Array::operator[](unsigned int) const - Index greater than Array length.";
}

}  // namespace Velmora
