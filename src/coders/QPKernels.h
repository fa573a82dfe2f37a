#pragma once
// Internal to the coders: what the quoted-printable encoder and decoder share.
#include <cstring>

#include "zentrik/coders/Base64Vector.h"  // haveAVX2

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

// Inlined everywhere, so that the loops built for AVX2 compile their helpers for it as well.
#define ZENTRIK_QP_INLINE [[gnu::always_inline]] inline
#if defined(__x86_64__) || defined(__i386__)
#define ZENTRIK_QP_AVX2(features) __attribute__((target(features)))
#else
#define ZENTRIK_QP_AVX2(features)  // haveAVX2() is false: never called
#endif

namespace Velmora::qp {

ZENTRIK_QP_INLINE bool isLineEnd(unsigned char b) {
    return b == '\r' || b == '\n';
}
constexpr bool isBlank(unsigned b) {
    return b == ' ' || b == '\t';
}

// Copies `length` octets, 32 at a time: up to 31 more are read and written (the caller has room).
ZENTRIK_QP_INLINE void copyWide(unsigned char* o, const unsigned char* from, unsigned length) {
    std::memcpy(o, from, 32);
    for (unsigned k = 32; k < length; k += 32) std::memcpy(o + k, from + k, 32);
}

// Decodes blocks of 32 characters from p[i] on while 34 can be read, writing at o + w (the room has
// slack: o + w never passes p + i): each block's escapes and soft breaks at once, without a branch
// per '='. Stops before a block whose '=' may be the digit of another or is followed by a space, and
// returns where it stopped. Only for processors with AVX2.
std::size_t decodeBlocksAVX2(const unsigned char* p, std::size_t n, std::size_t i, unsigned char* o,
                             std::size_t& w);

}  // namespace Velmora::qp
