#pragma once
// Internal to the coders: the raw-buffer Base64 loops shared by Base64Coder and the Base64 streams.
#include <cstddef>

namespace Velmora::base64 {

// Octets of input per line of 76 characters.
constexpr std::size_t kLineInput = 57;
constexpr std::size_t kLineChars = 76;

// Characters (and CR LF pairs when breaking lines) that `n` octets encode to.
constexpr std::size_t encodedLength(std::size_t n, bool breakLines) {
    return (n + 2) / 3 * 4 + (breakLines ? (n + kLineInput - 1) / kLineInput * 2 : 0);
}
// Room the decoder needs for `len` characters of text (a few octets of slack for wide stores).
constexpr std::size_t decodeRoom(std::size_t len) {
    return (len + 3) / 4 * 3 + 4;
}

// Writes the Base64 text of `in` (padded; CR LF after every 76 characters and after the last,
// shorter line when `breakLines`) and returns the number of characters written.
std::size_t encode(const unsigned char* in, std::size_t n, unsigned char* out, bool breakLines);
// Decodes `len` characters, skipping every non-alphabet octet and stopping at the first '=';
// a final group of 2 or 3 digits gives 1 or 2 octets, a lone digit nothing. Returns the octets written.
std::size_t decode(const unsigned char* text, std::size_t len, unsigned char* out);
// Decodes as `decode` does, but only whole groups of four digits: it stops before a '=' or a final
// group of fewer than four digits, so that the text from there on can be decoded later as if it had
// never been cut. `consumed` receives the characters taken; returns the octets written.
std::size_t decodeWholeGroups(const unsigned char* text, std::size_t len, unsigned char* out,
                              std::size_t& consumed);
// The digits among `len` characters, each '=' counted as one.
std::size_t countDigits(const unsigned char* text, std::size_t len);

// The plain loops, without vector instructions; the dispatching forms above give identical results.
std::size_t encodeScalar(const unsigned char* in, std::size_t n, unsigned char* out, bool breakLines);
std::size_t decodeScalar(const unsigned char* text, std::size_t len, unsigned char* out);
std::size_t countDigitsScalar(const unsigned char* text, std::size_t len);

}  // namespace Velmora::base64
