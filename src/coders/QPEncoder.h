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
    static constexpr std::size_t kSlice = 2048;             // octets turned into text at a time
    // The text of one slice: whole windows may run past it, and near the end of a chunk its last
    // octets join it; 3 characters an octet at most, and slack for the wide stores.
    static constexpr std::size_t kUnbrokenRoom = 3 * (kSlice + kWindow + kReadable) + 64;

    // The text of the octets from p[i] on, without soft breaks, into `unbroken`: a slice of whole
    // windows, or all the rest of the chunk near its end. Returns where it stopped; `length` receives
    // the characters written.
    std::size_t encodeSlice(const unsigned char* p, std::size_t n, std::size_t i, int following,
                            std::size_t& length);
    // Whole windows from p[i] on, while before `stop` and a window and a wide copy past it can be read,
    // each with the mask of its special octets that kMask gives; returns where they stopped, u the new
    // end of the text in `unbroken`.
    template <std::uint64_t (*kMask)(const unsigned char*)>
    std::size_t encodeWindows(const unsigned char* p, std::size_t n, std::size_t i, std::size_t stop,
                              std::size_t& u);
    // The same, built for processors with AVX2 (and its population count).
    std::size_t encodeWindowsAVX2(const unsigned char* p, std::size_t n, std::size_t i, std::size_t stop,
                                  std::size_t& u);
    // 64 octets whose special octets are the bits of `special`: the runs of octets that are copied as
    // they are go in wide steps, the others one by one; a window with many of those goes octet by octet.
    std::size_t encodeWindow(std::uint64_t special, const unsigned char* window, std::size_t u);
    // The `count` octets at `p`, p[count] deciding about a final blank; returns the new u.
    std::size_t encodeOctets(const unsigned char* p, std::size_t count, std::size_t u);
    // Copies the `length` characters of `unbroken` to o + w, with the soft breaks the lines need;
    // returns the new w.
    std::size_t breakLines(std::size_t length, unsigned char* o, std::size_t w);

    bool vector;
    std::uint32_t softBreak;  // its characters in memory order
    std::size_t softLength;
    int column = 0;  // characters on the current line, but for the first after a soft break
    // The text of a slice; left uninitialised, as only what is written is ever read (wide copies may
    // carry the slack along into the slack of the output).
    unsigned char unbroken[kUnbrokenRoom];
};

}  // namespace Velmora::qp
