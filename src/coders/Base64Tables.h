#pragma once
// Internal to the coders: the constant tables of the Base64 loops.
#include <cstdint>

namespace Velmora::base64 {

inline constexpr unsigned char kAlphabet[65] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Value of each octet as a digit, -1 for every octet that is not one (0x80..0xFF included).
struct ReverseTable {
    signed char value[256];
};
inline constexpr ReverseTable kReverse = [] {
    ReverseTable t{};
    for (int c = 0; c < 256; ++c) t.value[c] = -1;
    for (int i = 0; i < 64; ++i) t.value[kAlphabet[i]] = static_cast<signed char>(i);
    return t;
}();

// The two characters of every 12-bit value, for encoding three octets with two look-ups.
struct PairTable {
    unsigned char chars[4096][2];
};
inline constexpr PairTable kPairs = [] {
    PairTable t{};
    for (int v = 0; v < 4096; ++v) {
        t.chars[v][0] = kAlphabet[v >> 6];
        t.chars[v][1] = kAlphabet[v & 63];
    }
    return t;
}();

// Each digit's six bits already shifted to its place in a group of four; non-digits carry kNotDigit.
inline constexpr std::uint32_t kNotDigit = 0xFF000000u;
struct DecodeTables {
    std::uint32_t d0[256], d1[256], d2[256], d3[256];
};
inline constexpr DecodeTables kDecode = [] {
    DecodeTables t{};
    for (int c = 0; c < 256; ++c) {
        const int v = kReverse.value[c];
        const bool digit = v >= 0;
        const std::uint32_t u = digit ? static_cast<std::uint32_t>(v) : 0;
        t.d0[c] = digit ? u << 18 : kNotDigit;
        t.d1[c] = digit ? u << 12 : kNotDigit;
        t.d2[c] = digit ? u << 6 : kNotDigit;
        t.d3[c] = digit ? u : kNotDigit;
    }
    return t;
}();

}  // namespace Velmora::base64
