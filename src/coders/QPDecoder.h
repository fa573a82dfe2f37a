#pragma once
// Internal to the coders: the quoted-printable decoder's loop.
#include <cstddef>

#include "zentrik/platform/utils/ByteArray.h"

namespace Velmora::qp {

// Decodes chunk after chunk; escapes, spaces after '=' and soft breaks may span chunks.
class QPDecoder {
  public:
    QPDecoder();

    // Writes the octets of the `n` characters at `p` to `o` (room for n + 1) and returns their number.
    std::size_t decodeChunk(const unsigned char* p, std::size_t n, unsigned char* o);
    // An unfinished escape at the very end, as it stands; empty when there is none.
    ByteArray unfinished() const;

  private:
    enum class State {
        plain,
        afterEquals,  // "=" and `spaces` spaces
        breakUnsure,  // "=" directly followed by CR or LF: a soft break if any octet follows
        afterBreak,   // a soft break; one more CR or LF belongs to it
        firstDigit,   // "=", spaces and the first digit `first`
    };

    // Takes octet b in a state other than plain; false when b is not part of what came before and
    // must be read again as plain.
    bool takePending(unsigned char b, unsigned char* o, std::size_t& w);
    void afterEquals(unsigned char b);

    bool vector;
    State state = State::plain;
    std::size_t spaces = 0;
    unsigned char first = 0;
};

}  // namespace Velmora::qp
