#include "zentrik/platform/utils/BigNumber.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <ostream>

#include "zentrik/platform/utils/Exception.h"

namespace Velmora {

namespace {

using Words = std::vector<std::uint32_t>;

constexpr std::uint32_t kDecimalChunk = 1000000000;  // 10^9, the largest power of ten in a word
constexpr std::size_t kDecimalChunkDigits = 9;

// -1, 0 or 1 as the magnitude a is below, equal to or above b (both without leading zero words).
int compareMagnitudes(const Words& a, const Words& b) {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    for (std::size_t i = a.size(); i-- > 0;) {
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    }
    return 0;
}

// words = words * factor + addend
void multiplyAdd(Words& words, std::uint32_t factor, std::uint32_t addend) {
    std::uint64_t carry = addend;
    for (std::uint32_t& word : words) {
        const std::uint64_t product = std::uint64_t{word} * factor + carry;
        word = static_cast<std::uint32_t>(product);
        carry = product >> 32;
    }
    if (carry) words.push_back(static_cast<std::uint32_t>(carry));
}

// words = words / divisor; returns the remainder. Leading zero words are dropped.
std::uint32_t divideInPlace(Words& words, std::uint32_t divisor) {
    std::uint64_t remainder = 0;
    for (std::size_t i = words.size(); i-- > 0;) {
        const std::uint64_t current = (remainder << 32) | words[i];
        words[i] = static_cast<std::uint32_t>(current / divisor);
        remainder = current % divisor;
    }
    while (!words.empty() && words.back() == 0) words.pop_back();
    return static_cast<std::uint32_t>(remainder);
}

// 2^(8 * octets) - words, for 0 < words < 2^(8 * octets): the two's complement cut to `octets` octets.
Words complementWithin(const Words& words, std::size_t octets) {
    Words result((octets + 3) / 4, 0);
    std::copy(words.begin(), words.end(), result.begin());
    std::uint64_t carry = 1;
    for (std::uint32_t& word : result) {
        const std::uint64_t sum = std::uint64_t{static_cast<std::uint32_t>(~word)} + carry;
        word = static_cast<std::uint32_t>(sum);
        carry = sum >> 32;
    }
    if (const std::size_t spare = octets % 4) result.back() &= (std::uint32_t{1} << (8 * spare)) - 1;
    return result;
}

// The lowest 64 bits of the magnitude.
std::uint64_t lowUint64(const Words& words) {
    std::uint64_t value = words.empty() ? 0 : words[0];
    if (words.size() > 1) value |= std::uint64_t{words[1]} << 32;
    return value;
}

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Splits an optional leading '-' off `text`; throws when no digit follows.
bool takeSign(std::string_view& text, const char* operation) {
    const bool negative = !text.empty() && text.front() == '-';
    if (negative) text.remove_prefix(1);
    if (text.empty()) throw UtilsException(6, operation, "no digits in the number text");
    return negative;
}

}  // namespace

BigNumber::BigNumber(std::int64_t value) : negative_(value < 0) {
    // The magnitude in unsigned arithmetic, so that the smallest int64 works too.
    std::uint64_t magnitude =
        negative_ ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    while (magnitude) {
        magnitude_.push_back(static_cast<std::uint32_t>(magnitude));
        magnitude >>= 32;
    }
}

BigNumber::BigNumber(const ByteArray& littleEndianMagnitude, bool negative)
    : magnitude_((littleEndianMagnitude.size() + 3) / 4, 0),
      negative_(negative),
      width_(littleEndianMagnitude.size()) {
    const unsigned char* octets = littleEndianMagnitude.data();
    for (std::size_t i = 0; i < littleEndianMagnitude.size(); ++i)
        magnitude_[i / 4] |= std::uint32_t{octets[i]} << (8 * (i % 4));
    trim();
}

BigNumber BigNumber::fromBigEndian(const ByteArray& magnitude, bool negative) {
    ByteArray reversed;
    unsigned char* out = reversed.prepareAppend(magnitude.size());
    std::reverse_copy(magnitude.begin(), magnitude.end(), out);
    reversed.setLength(magnitude.size());
    return BigNumber(reversed, negative);
}

BigNumber BigNumber::fromDecimal(std::string_view text) {
    static constexpr const char* kOperation = "BigNumber::fromDecimal(std::string_view)";
    BigNumber number;
    const bool negative = takeSign(text, kOperation);
    if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        throw UtilsException(6, kOperation, "not a decimal digit in the number text");
    number.magnitude_.reserve(text.size() / 9 + 1);
    // Nine digits at a time; the first group takes the digits left over.
    std::size_t groupLength = text.size() % kDecimalChunkDigits;
    if (groupLength == 0) groupLength = kDecimalChunkDigits;
    for (std::size_t pos = 0; pos < text.size(); pos += groupLength, groupLength = kDecimalChunkDigits) {
        std::uint32_t group = 0;
        for (char c : text.substr(pos, groupLength)) group = group * 10 + static_cast<std::uint32_t>(c - '0');
        std::uint32_t factor = 1;
        for (std::size_t i = 0; i < groupLength; ++i) factor *= 10;
        multiplyAdd(number.magnitude_, factor, group);
    }
    number.negative_ = negative;
    number.trim();
    return number;
}

BigNumber BigNumber::fromHexadecimal(std::string_view text) {
    static constexpr const char* kOperation = "BigNumber::fromHexadecimal(std::string_view)";
    BigNumber number;
    const bool negative = takeSign(text, kOperation);
    number.magnitude_.assign((text.size() + 7) / 8, 0);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int digit = hexDigitValue(text[text.size() - 1 - i]);
        if (digit < 0) throw UtilsException(6, kOperation, "not a hexadecimal digit in the number text");
        number.magnitude_[i / 8] |= static_cast<std::uint32_t>(digit) << (4 * (i % 8));
    }
    number.negative_ = negative;
    number.trim();
    return number;
}

const ByteArray BigNumber::toByteArray(bool bigEndian) const {
    std::size_t count = byteLength();
    if (keepsWidth_) count = std::max<std::size_t>(count, width_);
    if (count == 0) return ByteArray(static_cast<unsigned char>(0));
    ByteArray octets;
    unsigned char* out = octets.prepareAppend(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t word = i / 4;
        const unsigned char octet =
            word < magnitude_.size() ? static_cast<unsigned char>(magnitude_[word] >> (8 * (i % 4))) : 0;
        out[bigEndian ? count - 1 - i : i] = octet;
    }
    octets.setLength(count);
    return octets;
}

BigNumber BigNumber::twosComplement() const {
    if (negative_) {
        const std::size_t octets = byteLength();
        BigNumber result;
        result.magnitude_ = complementWithin(magnitude_, octets);
        result.width_ = octets;
        result.keepsWidth_ = true;
        result.trim();
        return result;
    }
    const std::size_t octets = std::max<std::size_t>(width_, byteLength());
    if (octets == 0 || octets > 4 * magnitude_.size()) return *this;  // zero, or the top octet is 00
    const std::uint32_t topBit = std::uint32_t{1} << (8 * ((octets - 1) % 4) + 7);
    if ((magnitude_[(octets - 1) / 4] & topBit) == 0) return *this;
    BigNumber result;
    result.magnitude_ = complementWithin(magnitude_, octets);
    result.negative_ = true;
    result.trim();
    return result;
}

bool BigNumber::fitsInt64() const {
    if (magnitude_.size() > 2) return false;
    const std::uint64_t limit = std::uint64_t{std::numeric_limits<std::int64_t>::max()} + (negative_ ? 1 : 0);
    return lowUint64(magnitude_) <= limit;
}

std::int64_t BigNumber::toInt64() const {
    if (!fitsInt64())
        throw UtilsException(7, "BigNumber::toInt64() const", "the number does not fit in 64 bits");
    const std::uint64_t magnitude = lowUint64(magnitude_);
    return static_cast<std::int64_t>(negative_ ? 0 - magnitude : magnitude);
}

std::string BigNumber::toDecimal() const {
    if (isZero()) return "0";
    // Nine digits per division by 10^9: quadratic in the word count, and no allocation per digit.
    Words rest(magnitude_);
    std::vector<std::uint32_t> groups;
    groups.reserve(rest.size() * 32 / 29 + 1);
    while (!rest.empty()) groups.push_back(divideInPlace(rest, kDecimalChunk));
    std::string text;
    text.reserve(groups.size() * kDecimalChunkDigits + 1);
    if (negative_) text += '-';
    text += std::to_string(groups.back());
    for (std::size_t i = groups.size() - 1; i-- > 0;) {
        char digits[kDecimalChunkDigits];
        std::uint32_t group = groups[i];
        for (std::size_t d = kDecimalChunkDigits; d-- > 0; group /= 10)
            digits[d] = static_cast<char>('0' + group % 10);
        text.append(digits, kDecimalChunkDigits);
    }
    return text;
}

std::string BigNumber::toHexadecimal() const {
    if (isZero()) return "0";
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(magnitude_.size() * 8 + 1);
    if (negative_) text += '-';
    const std::uint32_t top = magnitude_.back();
    for (int shift = 4 * ((31 - std::countl_zero(top)) / 4); shift >= 0; shift -= 4)
        text += kDigits[(top >> shift) & 0xF];
    for (std::size_t i = magnitude_.size() - 1; i-- > 0;) {
        for (int shift = 28; shift >= 0; shift -= 4) text += kDigits[(magnitude_[i] >> shift) & 0xF];
    }
    return text;
}

std::size_t BigNumber::byteLength() const {
    if (magnitude_.empty()) return 0;
    const auto topBits = static_cast<std::size_t>(32 - std::countl_zero(magnitude_.back()));
    return 4 * (magnitude_.size() - 1) + (topBits + 7) / 8;
}

BigNumber BigNumber::operator-() const {
    BigNumber result;
    result.magnitude_ = magnitude_;
    result.negative_ = !negative_ && !isZero();
    return result;
}

bool BigNumber::operator==(const BigNumber& other) const {
    return negative_ == other.negative_ && magnitude_ == other.magnitude_;
}

bool BigNumber::operator<(const BigNumber& other) const {
    if (negative_ != other.negative_) return negative_;
    const int order = compareMagnitudes(magnitude_, other.magnitude_);
    return negative_ ? order > 0 : order < 0;
}

void BigNumber::trim() {
    while (!magnitude_.empty() && magnitude_.back() == 0) magnitude_.pop_back();
    if (magnitude_.empty()) negative_ = false;
}

std::ostream& operator<<(std::ostream& out, const BigNumber& n) {
    return out << n.toDecimal();
}

}  // namespace Velmora
