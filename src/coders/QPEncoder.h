#pragma once
// Internal to the coders: the quoted-printable encoder's loop.
#include <cstddef>
#include <cstdint>

namespace Velmora::qp {

// Turns octets into soft-broken text chunk after chunk, the column running on across chunks.
class QPEncoder {
  public:
    explicit QPEncoder(bool crlfSoftBreaks);

    // Room the text of `n` octets needs: at most 3 characters each, a soft break at most once per
    // 24 octets, and slack for the wide stores.
    static std::size_t room(std::size_t n) { return 4 * n + 64; }

    // Writes the text of the `n` octets at `p` to `o` and returns its length. `following` is the
    // octet after them, or -1 when the data ends there; it decides whether a final blank stays plain.
    std::size_t encodeChunk(const unsigned char* p, std::size_t n, int following, unsigned char* o);

  private:
    static constexpr unsigned kWindow = 64;
    static constexpr std::size_t kReadable = kWindow + 32;  // a wide copy reads up to 31 past a window
    static constexpr int kDenseSpecials = 24;               // a window with more goes octet by octet

    // Whole windows from p on while a window and a wide copy past it can be read, each with the mask
    // of its special octets that kMask gives; returns the octets taken, w the new end of the text.
    template <std::uint64_t (*kMask)(const unsigned char*)>
    std::size_t encodeWindows(const unsigned char* p, std::size_t n, unsigned char* o, std::size_t& w);
    // The same, built for processors with AVX2 (and its population count).
    std::size_t encodeWindowsAVX2(const unsigned char* p, std::size_t n, unsigned char* o, std::size_t& w);
    // The `count` octets at `p`, p[count] deciding about a final blank; returns the new w.
    std::size_t encodeOctets(const unsigned char* p, std::size_t count, unsigned char* o, std::size_t w);
    // 64 octets whose special octets are the bits of `special`: the runs of octets that are copied as
    // they are go in wide steps, the others one by one; a window with many of those goes octet by octet.
    std::size_t encodeWindow(std::uint64_t special, const unsigned char* window, unsigned char* o,
                             std::size_t w);
    // Octets that stand for themselves, with the soft breaks they need; returns the new w.
    std::size_t putCopied(const unsigned char* from, unsigned count, unsigned char* o, std::size_t w);
    // Writes one octet's code at o + w, after a soft break when the line is full; returns the new w.
    std::size_t put(std::uint32_t code, unsigned char* o, std::size_t w);

    bool vector;
    std::uint32_t softBreak;  // its characters in memory order
    std::size_t softLength;
    unsigned int column = 0;
};

}  // namespace Velmora::qp
