#pragma once
// Internal to the coders: the AVX2 forms of the Base64 loops, used only where the processor has AVX2.
#include <cstddef>

namespace Velmora::base64 {

// Whether this processor runs the AVX2 loops (checked once).
bool haveAVX2();

// Encodes `blocks` blocks of 24 octets into 32 characters each. Reads 4 octets past the last block,
// which the caller must hold readable.
void encodeBlocksAVX2(const unsigned char* in, std::size_t blocks, unsigned char* out);
// Encodes `lines` lines of 57 octets into 76 characters and CR LF each. Reads 4 octets past the
// last line, which the caller must hold readable.
void encodeLinesAVX2(const unsigned char* in, std::size_t lines, unsigned char* out);

// Decodes blocks of 32 characters into 24 octets each while every character of a block is a digit,
// and steps over a CR LF that ends a whole number of groups within a block (lines of 76 characters).
// Stops before the first block it cannot take whole. Returns the characters consumed; `written`
// receives the octets written. With `fetchAhead`, the text 4 KiB ahead is fetched into the cache
// explicitly: decoding into a small buffer that is written again and again (a stream's chunk), the
// loop otherwise waits on the text far more than when its output goes to fresh memory.
std::size_t decodeBlocksAVX2(const unsigned char* text, std::size_t len, unsigned char* out,
                             std::size_t& written, bool fetchAhead = false);

// The digits among `len` characters, each '=' counted as one.
std::size_t countDigitsAVX2(const unsigned char* text, std::size_t len);

}  // namespace Velmora::base64
