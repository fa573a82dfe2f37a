#pragma once
// Identifier octets, length octets and base-128 numbers: the one reader and writer of them that the
// coders, the streaming objects, the object identifier class and the tool share.
//
// The readers take a source of octets, any callable that gives the next octet or -1 at the end of the
// data, so that they serve streams and memory alike; they report what is wrong as a Fault and leave
// it to the caller to say so in its own terms.
#include <cstddef>
#include <cstdint>
#include <string>

/// Readers and writers of identifier octets, length octets and base-128 numbers (see the file).
namespace Ostrel::octets {

/// What a reader found wrong with the octets.
enum class Fault : unsigned char {
    none,  ///< nothing: the octets were read

    missing,   ///< no octet at all where the octets should start
    ended,     ///< the data ends inside the octets
    padded,    ///< a base-128 number starting with the group 0x80 (never the shortest form)
    tooLarge,  ///< a number beyond what the caller can hold
};

/// The length octets' value for the indefinite form.
constexpr std::int64_t kIndefinite = -1;
/// The most octets a length can take to hold any 64-bit value: 0x88 and eight octets.
constexpr std::size_t kMaxLengthOctets = 9;
/// The most octets an identifier with a 32-bit tag number takes: the first and five groups.
constexpr std::size_t kMaxIdentifierOctets = 6;

/// Reads a base-128 number, most significant group first, through the first octet below 0x80.
/// A leading group 0x80 is refused: the shortest form is the only one allowed.
template <typename Next>
Fault readBase128(Next&& next, std::uint64_t limit, std::uint64_t& number) {
    int octet = next();
    if (octet < 0) return Fault::missing;
    if (octet == 0x80) return Fault::padded;
    std::uint64_t value = 0;
    for (;;) {
        value = (value << 7) | static_cast<unsigned int>(octet & 0x7F);
        if (value > limit) return Fault::tooLarge;
        if (!(octet & 0x80)) break;
        octet = next();
        if (octet < 0) return Fault::ended;
    }
    number = value;
    return Fault::none;
}

/// The first identifier octet and the tag number it stands for.
struct Identifier {
    unsigned char first = 0;   ///< class bits 0xC0, constructed bit 0x20, low tag bits 0x1F
    std::uint32_t number = 0;  ///< the tag number, also in the high-tag-number form
    /// Whether the constructed bit 0x20 is set.
    bool constructed() const { return (first & 0x20) != 0; }
    /// The class bits 0xC0: 0x00 universal, 0x40 application, 0x80 context-specific, 0xC0 private.
    unsigned char classBits() const { return first & 0xC0; }
};

/// Reads identifier octets; tag numbers beyond 32 bits are tooLarge.
template <typename Next>
Fault readIdentifier(Next&& next, Identifier& identifier) {
    const int first = next();
    if (first < 0) return Fault::missing;
    identifier.first = static_cast<unsigned char>(first);
    if ((first & 0x1F) != 0x1F) {
        identifier.number = static_cast<std::uint32_t>(first & 0x1F);
        return Fault::none;
    }
    std::uint64_t number = 0;
    const Fault fault = readBase128(next, 0xFFFFFFFFu, number);
    if (fault == Fault::missing) return Fault::ended;
    identifier.number = static_cast<std::uint32_t>(number);
    return fault;
}

/// Reads the length octets that follow a first length octet already read (-1 when there was none):
/// kIndefinite for 0x80, otherwise a definite length up to `limit`. Leading zero octets are allowed.
template <typename Next>
Fault lengthAfter(int first, Next&& next, std::uint64_t limit, std::int64_t& length) {
    if (first < 0) return Fault::missing;
    if (first < 0x80) {
        length = first;
        return Fault::none;
    }
    if (first == 0x80) {
        length = kIndefinite;
        return Fault::none;
    }
    std::uint64_t value = 0;
    for (int k = first & 0x7F; k > 0; --k) {
        const int octet = next();
        if (octet < 0) return Fault::ended;
        if (value > (limit >> 8)) return Fault::tooLarge;
        value = (value << 8) | static_cast<unsigned int>(octet);
        if (value > limit) return Fault::tooLarge;
    }
    length = static_cast<std::int64_t>(value);
    return Fault::none;
}

/// Reads length octets: kIndefinite for 0x80, otherwise a definite length up to `limit` (at most 2^63 - 1).
template <typename Next>
Fault readLength(Next&& next, std::uint64_t limit, std::int64_t& length) {
    return lengthAfter(next(), next, limit, length);
}

/// Writes the length octets of a definite length in the shortest form; returns how many.
inline std::size_t writeLength(std::uint64_t length, unsigned char* out) {
    if (length < 0x80) {
        out[0] = static_cast<unsigned char>(length);
        return 1;
    }
    std::size_t k = 0;
    for (std::uint64_t rest = length; rest; rest >>= 8) ++k;
    out[0] = static_cast<unsigned char>(0x80 | k);
    for (std::size_t i = 0; i < k; ++i) out[k - i] = static_cast<unsigned char>(length >> (8 * i));
    return k + 1;
}

/// Writes a base-128 number in the shortest form; returns how many octets (at most 10).
inline std::size_t writeBase128(std::uint64_t number, unsigned char* out) {
    std::size_t groups = 1;
    for (std::uint64_t rest = number >> 7; rest; rest >>= 7) ++groups;
    for (std::size_t i = 0; i < groups; ++i) {
        const unsigned char group = static_cast<unsigned char>((number >> (7 * i)) & 0x7F);
        out[groups - 1 - i] = i == 0 ? group : static_cast<unsigned char>(group | 0x80);
    }
    return groups;
}

/// Writes identifier octets: `classBits` (class and constructed bits) with the tag number in the low
/// five bits when it is below 31, in base 128 after 0x1F otherwise; returns how many.
inline std::size_t writeIdentifier(unsigned int classBits, std::uint32_t number, unsigned char* out) {
    if (number <= 30) {
        out[0] = static_cast<unsigned char>(classBits | number);
        return 1;
    }
    out[0] = static_cast<unsigned char>(classBits | 0x1F);
    return 1 + writeBase128(number, out + 1);
}

/// A source of octets over memory, for the readers above.
class MemorySource {
  public:
    /// Reads the octets from `begin` up to `end`, which stay the caller's.
    MemorySource(const unsigned char* begin, const unsigned char* end) : at_(begin), end_(end) {}
    /// The next octet, or -1 at the end.
    int operator()() { return at_ == end_ ? -1 : *at_++; }
    /// Where the next octet would be read.
    const unsigned char* position() const { return at_; }

  private:
    const unsigned char* at_;
    const unsigned char* end_;
};

/// The name of a universal type by its tag number ("INTEGER", "SEQUENCE"); nullptr for a number
/// that names no type the library knows.
inline const char* universalName(std::uint32_t number) {
    static constexpr const char* kNames[31] = {nullptr,
                                               "BOOLEAN",
                                               "INTEGER",
                                               "BIT STRING",
                                               "OCTET STRING",
                                               "NULL",
                                               "OBJECT IDENTIFIER",
                                               "ObjectDescriptor",
                                               "EXTERNAL",
                                               "REAL",
                                               "ENUMERATED",
                                               "EMBEDDED PDV",
                                               "UTF8String",
                                               "RELATIVE-OID",
                                               "TIME",
                                               nullptr,
                                               "SEQUENCE",
                                               "SET",
                                               "NumericString",
                                               "PrintableString",
                                               "TeletexString",
                                               "VideotexString",
                                               "IA5String",
                                               "UTCTime",
                                               "GeneralizedTime",
                                               "GraphicString",
                                               "VisibleString",
                                               "GeneralString",
                                               "UniversalString",
                                               "CHARACTER STRING",
                                               "BMPString"};
    return number < 31 ? kNames[number] : nullptr;
}

/// How an element is named in messages: its universal type ("INTEGER"), or its tag ("[0]",
/// "[APPLICATION 3]", "[PRIVATE 1]", "[UNIVERSAL 13]").
inline std::string elementName(const Identifier& identifier) {
    static constexpr const char* kClasses[4] = {"[UNIVERSAL ", "[APPLICATION ", "[", "[PRIVATE "};
    const unsigned int cls = identifier.classBits() >> 6;
    if (cls == 0 && universalName(identifier.number)) return universalName(identifier.number);
    return kClasses[cls] + std::to_string(identifier.number) + "]";
}

}  // namespace Ostrel::octets
