#pragma once
#include <stdexcept>
#include <string>

#include "zentrik/platform/utils/Export.h"

namespace Velmora {

class String;

/// Thrown by the checking (const) index of ByteArray and IntArray. A std::out_of_range, so that
/// handlers for std::exception& catch it, but deliberately not an Exception, so handlers for
/// Exception& let it pass. what() gives the same text as toString().
class ZENTRIK_API IndexOutOfRange : public std::out_of_range {
  public:
    /// For index `index` of an array of `length` elements (0 and 0 when not known).
    /// @{
    IndexOutOfRange();
    IndexOutOfRange(unsigned int index, unsigned int length);

    /// @}


    /// "T Array::operator[](unsigned int) const - Index greater than Array length."
    const String toString() const;
    /// That text, which what() gives as well.
    static const char* text();

    /// The index asked for and the length of the array.
    /// @{
    unsigned int index() const { return index_; }
    unsigned int length() const { return length_; }
    /// @}


  private:
    unsigned int index_ = 0;
    unsigned int length_ = 0;
};

}  // namespace Velmora
