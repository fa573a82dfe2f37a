#pragma once
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "zentrik/platform/utils/ByteArray.h"
#include "zentrik/platform/utils/Export.h"

namespace Velmora {

/// An integer of any size: a sign and a magnitude.
class ZENTRIK_API BigNumber {
  public:
    BigNumber() = default;          ///< zero
    /// The number `value`.
    BigNumber(std::int64_t value);  // NOLINT: a plain number converts implicitly

    /// From octets, least significant first; `negative` gives the number the minus sign.
    BigNumber(const ByteArray& littleEndianMagnitude, bool negative);
    /// From octets, most significant first; `negative` gives the number the minus sign.
    static BigNumber fromBigEndian(const ByteArray& magnitude, bool negative = false);

    static BigNumber fromDecimal(std::string_view text);      ///< optional '-'; UtilsException on bad text
    static BigNumber fromHexadecimal(std::string_view text);  ///< optional '-'; UtilsException on bad text

    /// The magnitude's octets: big-endian with `bigEndian`, else least significant first. No leading
    /// zero octets (but see twosComplement); zero gives the single octet 00.
    const ByteArray toByteArray(bool bigEndian) const;
    /// For a negative number: 2^(8k) - |n| as a non-negative number, k the octet count of |n|
    /// (-1 -> FF, -128 -> 80, -129 -> 7F, -65281 -> 00FF); toByteArray gives that result in exactly k
    /// octets, leading zero octets kept. For a non-negative number of k octets whose top bit is set:
    /// n - 2^(8k), the value those octets have in two's complement (255 -> -1, 128 -> -128);
    /// otherwise the number itself. A number built from octets counts as many octets as it was
    /// given (the octets FF FF give -1, the octets 00 FF stay 255).
    BigNumber twosComplement() const;

    /// Whether the number is below zero, zero, or within the range of std::int64_t.
    /// @{
    bool isNegative() const { return negative_ != 0; }
    bool isZero() const { return magnitude_.empty(); }
    bool fitsInt64() const;
    /// @}

    std::int64_t toInt64() const;  ///< UtilsException when it does not fit
    std::string toDecimal() const;  ///< '-' in front of negative numbers

    std::string toHexadecimal() const;  ///< upper-case, '-' in front of negative numbers
    std::size_t byteLength() const;     ///< octets of the magnitude (0 for zero)

    /// The number with the opposite sign.
    BigNumber operator-() const;

    bool operator==(const BigNumber& other) const;  ///< the values; widths do not count
    bool operator<(const BigNumber& other) const;  ///< by value


  private:
    void trim();
    std::vector<std::uint32_t> magnitude_;  // least significant word first; empty for zero
    // The sign and the width below share one word, so that a number is as small as a vector and a word.
    std::size_t negative_ : 1 = 0;
    // The octet width of the two's-complement form the number belongs to: the octet count given to
    // the octet constructors (twosComplement reads the number as that many octets), or k for the
    // result of twosComplement of a negative number. 0: the minimal width.
    std::size_t width_ : 62 = 0;
    std::size_t keepsWidth_ : 1 = 0;  // toByteArray writes width_ octets (only twosComplement's k-octet form)
};

/// Prints the number in decimal.
ZENTRIK_API std::ostream& operator<<(std::ostream& out, const BigNumber& n);


}  // namespace Velmora
