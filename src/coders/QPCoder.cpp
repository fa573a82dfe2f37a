#include "zentrik/coders/QPCoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "zentrik/coders/Base64Vector.h"  // haveAVX2

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Velmora {

namespace {

constexpr unsigned char kHexDigits[] = "0123456789ABCDEF";
constexpr unsigned int kBreakColumn = 74;  // a byte that brings the column count here starts a new line

inline bool isLineEnd(unsigned char b) {
    return b == '\r' || b == '\n';
}
// A blank may stay literal only before an octet that is none of these.
constexpr bool endsLineOrBlank(unsigned b) {
    return b == '\r' || b == '\n' || b == ' ' || b == '\t';
}
constexpr bool isBlank(unsigned b) {
    return b == ' ' || b == '\t';
}

// Inlined everywhere, so that the loops built for AVX2 below compile their helpers for it as well.
#define ZENTRIK_QP_INLINE [[gnu::always_inline]] inline
#if defined(__x86_64__) || defined(__i386__)
#define ZENTRIK_QP_AVX2(features) __attribute__((target(features)))
#else
#define ZENTRIK_QP_AVX2(features)  // haveAVX2() is false: never called
#endif

// Copies `length` octets, 32 at a time: up to 31 more are read and written (the caller has room).
ZENTRIK_QP_INLINE void copyWide(unsigned char* o, const unsigned char* from, unsigned length) {
    std::memcpy(o, from, 32);
    for (unsigned k = 32; k < length; k += 32) std::memcpy(o + k, from + k, 32);
}

// ---- Encoding ----

// How the encoder writes an octet: up to three characters in the low bytes (first character lowest)
// and their number in the top byte.
constexpr std::uint32_t plainCode(unsigned b) {
    return 0x01000000u | b;
}
constexpr std::uint32_t escapeCode(unsigned b) {
    return 0x03000000u | ('=' | static_cast<std::uint32_t>(kHexDigits[b >> 4]) << 8 |
                          static_cast<std::uint32_t>(kHexDigits[b & 0x0F]) << 16);
}
// The code of octet b at index 2 * b + k, where k is 1 when the next octet is a line end or a blank
// (or there is none): a blank stays plain only when k is 0.
constexpr std::array<std::uint32_t, 512> kEncodeCode = [] {
    std::array<std::uint32_t, 512> t{};
    for (unsigned b = 0; b < 256; ++b) {
        const bool plain = b >= 0x21 && b <= 0x7E && b != '=';
        t[2 * b] = plain || isBlank(b) ? plainCode(b) : escapeCode(b);
        t[2 * b + 1] = plain ? plainCode(b) : escapeCode(b);
    }
    return t;
}();
// 1 for the octets after which a blank must be escaped, 0 for the others.
constexpr std::array<unsigned char, 256> kBlankBreaker = [] {
    std::array<unsigned char, 256> t{};
    for (unsigned b = 0; b < 256; ++b) t[b] = endsLineOrBlank(b) ? 1 : 0;
    return t;
}();

ZENTRIK_QP_INLINE std::uint32_t codeOf(unsigned char b, unsigned nextBreaksBlank) {
    return kEncodeCode[2u * b + nextBreaksBlank];
}

// Stores the characters of `code` at `o`, four octets wide: only its length of them count, the
// others are overwritten or lie in the slack of the room.
ZENTRIK_QP_INLINE void storeCode(unsigned char* o, std::uint32_t code) {
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(o, &code, 4);
    } else {
        o[0] = static_cast<unsigned char>(code);
        o[1] = static_cast<unsigned char>(code >> 8);
        o[2] = static_cast<unsigned char>(code >> 16);
    }
}

// Bit k set when p[k] is more than a character copied: an octet to escape, or a blank whose fate
// depends on p[k + 1]; for the 64 octets at `p` (65 are read).
ZENTRIK_QP_INLINE std::uint64_t specialMask(const unsigned char* p) {
    std::uint64_t mask = 0;
#if defined(__SSE2__)
    const auto splat = [](char c) { return _mm_set1_epi8(c); };
    for (unsigned k = 0; k < 64; k += 16) {
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k));
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k + 1));
        // 0x21..0x7E but '=' (signed: 0x80..0xFF are below 0x21)
        const __m128i printable =
            _mm_andnot_si128(_mm_cmpeq_epi8(b, splat('=')),
                             _mm_and_si128(_mm_cmpgt_epi8(b, splat(0x20)), _mm_cmplt_epi8(b, splat(0x7F))));
        const __m128i blank = _mm_or_si128(_mm_cmpeq_epi8(b, splat(' ')), _mm_cmpeq_epi8(b, splat('\t')));
        const __m128i nextBreaks =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(next, splat(' ')), _mm_cmpeq_epi8(next, splat('\t'))),
                         _mm_or_si128(_mm_cmpeq_epi8(next, splat('\r')), _mm_cmpeq_epi8(next, splat('\n'))));
        const __m128i copied = _mm_or_si128(printable, _mm_andnot_si128(nextBreaks, blank));
        const auto bits = static_cast<unsigned>(_mm_movemask_epi8(copied)) ^ 0xFFFFu;
        mask |= std::uint64_t{bits} << k;
    }
#else
    for (unsigned k = 0; k < 64; ++k)
        mask |= std::uint64_t{codeOf(p[k], kBlankBreaker[p[k + 1]]) != plainCode(p[k])} << k;
#endif
    return mask;
}

#if defined(__x86_64__) || defined(__i386__)
// specialMask, 32 octets at a time.
ZENTRIK_QP_AVX2("avx2") std::uint64_t specialMaskAVX2(const unsigned char* p) {
    std::uint64_t mask = 0;
    for (unsigned k = 0; k < 64; k += 32) {
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + k));
        const __m256i next = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + k + 1));
        // 0x21..0x7E but '=' (signed: 0x80..0xFF are below 0x21)
        const __m256i printable =
            _mm256_andnot_si256(_mm256_cmpeq_epi8(b, _mm256_set1_epi8('=')),
                                _mm256_and_si256(_mm256_cmpgt_epi8(b, _mm256_set1_epi8(0x20)),
                                                 _mm256_cmpgt_epi8(_mm256_set1_epi8(0x7F), b)));
        const __m256i blank = _mm256_or_si256(_mm256_cmpeq_epi8(b, _mm256_set1_epi8(' ')),
                                              _mm256_cmpeq_epi8(b, _mm256_set1_epi8('\t')));
        const __m256i nextBreaks =
            _mm256_or_si256(_mm256_or_si256(_mm256_cmpeq_epi8(next, _mm256_set1_epi8(' ')),
                                            _mm256_cmpeq_epi8(next, _mm256_set1_epi8('\t'))),
                            _mm256_or_si256(_mm256_cmpeq_epi8(next, _mm256_set1_epi8('\r')),
                                            _mm256_cmpeq_epi8(next, _mm256_set1_epi8('\n'))));
        const __m256i copied = _mm256_or_si256(printable, _mm256_andnot_si256(nextBreaks, blank));
        const auto bits = static_cast<std::uint32_t>(_mm256_movemask_epi8(copied)) ^ 0xFFFFFFFFu;
        mask |= std::uint64_t{bits} << k;
    }
    return mask;
}

#else
std::uint64_t specialMaskAVX2(const unsigned char* p) {
    return specialMask(p);
}
#endif

// Turns octets into soft-broken text chunk after chunk, the column running on across chunks.
class QPEncoder {
  public:
    explicit QPEncoder(bool crlfSoftBreaks) : softLength(crlfSoftBreaks ? 3 : 2) {
        std::memcpy(&softBreak, crlfSoftBreaks ? "=\r\n" : "=\n\0", 4);
    }

    // Room the text of `n` octets needs: at most 3 characters each, a soft break at most once per
    // 24 octets, and slack for the wide stores.
    static std::size_t room(std::size_t n) { return 4 * n + 64; }

    // Writes the text of the `n` octets at `p` to `o` and returns its length. `following` is the
    // octet after them, or -1 when the data ends there; it decides whether a final blank stays plain.
    std::size_t encodeChunk(const unsigned char* p, std::size_t n, int following, unsigned char* o) {
        if (n == 0) return 0;
        std::size_t w = 0;
        const std::size_t i = vector ? encodeWindowsAVX2(p, n, o, w) : encodeWindows<specialMask>(p, n, o, w);
        w = encodeOctets(p + i, n - 1 - i, o, w);
        const unsigned lastBreaksBlank = following < 0 ? 1u : kBlankBreaker[static_cast<unsigned>(following)];
        return put(codeOf(p[n - 1], lastBreaksBlank), o, w);
    }

  private:
    static constexpr unsigned kWindow = 64;
    static constexpr std::size_t kReadable = kWindow + 32;  // a wide copy reads up to 31 past a window
    static constexpr int kDenseSpecials = 24;               // a window with more goes octet by octet

    // Whole windows from p on while a window and a wide copy past it can be read; returns the octets
    // taken, w the new end of the text.
    template <std::uint64_t (*kMask)(const unsigned char*)>
    ZENTRIK_QP_INLINE std::size_t encodeWindows(const unsigned char* p, std::size_t n, unsigned char* o,
                                                std::size_t& w) {
        std::size_t i = 0;
        for (; i + kReadable <= n; i += kWindow) w = encodeWindow(kMask(p + i), p + i, o, w);
        return i;
    }
    // The same, built for processors with AVX2 (and its population count).
    ZENTRIK_QP_AVX2("avx2,popcnt")
    std::size_t encodeWindowsAVX2(const unsigned char* p, std::size_t n, unsigned char* o, std::size_t& w) {
        return encodeWindows<specialMaskAVX2>(p, n, o, w);
    }

    // The `count` octets at `p`, p[count] deciding about a final blank; returns the new w.
    ZENTRIK_QP_INLINE std::size_t encodeOctets(const unsigned char* p, std::size_t count, unsigned char* o,
                                               std::size_t w) {
        for (std::size_t k = 0; k < count; ++k) w = put(codeOf(p[k], kBlankBreaker[p[k + 1]]), o, w);
        return w;
    }

    // 64 octets: the runs of octets that are copied as they are go in wide steps, the others one by
    // one; a window with many of those goes octet by octet.
    // `special` is the window's specialMask.
    ZENTRIK_QP_INLINE std::size_t encodeWindow(std::uint64_t special, const unsigned char* window,
                                               unsigned char* o, std::size_t w) {
        if (std::popcount(special) > kDenseSpecials) return encodeOctets(window, kWindow, o, w);
        unsigned done = 0;
        for (; special != 0; special &= special - 1) {
            const auto at = static_cast<unsigned>(std::countr_zero(special));
            w = putCopied(window + done, at - done, o, w);
            w = put(codeOf(window[at], kBlankBreaker[window[at + 1]]), o, w);
            done = at + 1;
        }
        return putCopied(window + done, kWindow - done, o, w);
    }

    // Octets that stand for themselves, with the soft breaks they need; returns the new w.
    ZENTRIK_QP_INLINE std::size_t putCopied(const unsigned char* from, unsigned count, unsigned char* o,
                                            std::size_t w) {
        for (;;) {
            const unsigned fit = column + 1 < kBreakColumn ? kBreakColumn - 1 - column : 0;
            const unsigned take = count < fit ? count : fit;
            copyWide(o + w, from, take);
            w += take;
            column += take;
            if (take == count) return w;
            // The next octet starts a new line.
            std::memcpy(o + w, &softBreak, 4);
            w += softLength;
            o[w++] = from[take];
            column = 0;
            from += take + 1;
            count -= take + 1;
        }
    }

    // Writes one octet's code at o + w, after a soft break when the line is full; returns the new w.
    ZENTRIK_QP_INLINE std::size_t put(std::uint32_t code, unsigned char* o, std::size_t w) {
        const bool lineFull = ++column >= kBreakColumn;
        std::memcpy(o + w, &softBreak, 4);  // counted only when the line is full
        w += lineFull ? softLength : 0;
        column = lineFull ? 0 : column;
        storeCode(o + w, code);
        const unsigned length = code >> 24;
        column += length - 1;
        return w + length;
    }

    bool vector = base64::haveAVX2();
    std::uint32_t softBreak;  // its characters in memory order
    std::size_t softLength;
    unsigned int column = 0;
};

// Moves the next chunk to encode into `chunk`: the one read ahead in `ahead` if any, else a new one
// from `in`. False when the input is exhausted.
bool nextChunk(InputStream& in, ByteArray& chunk, ByteArray& ahead) {
    if (!ahead.isEmpty()) {
        std::swap(chunk, ahead);
        ahead.clear();
        return true;
    }
    if (!in.hasData()) return false;
    in >> chunk;
    return true;
}

// The first octet after `chunk`, read ahead into `ahead` when the chunk ends with a blank (whose
// text depends on it, and must not depend on how the input is divided); -1 when it is not needed
// or the input ends.
int octetAfter(const ByteArray& chunk, InputStream& in, ByteArray& ahead) {
    if (chunk.isEmpty() || !isBlank(chunk.data()[chunk.size() - 1])) return -1;
    while (ahead.isEmpty() && in.hasData()) in >> ahead;
    return ahead.isEmpty() ? -1 : ahead.data()[0];
}

// ---- Decoding ----

// Value of a hexadecimal digit, either case; 0x7F for every other octet.
constexpr std::array<unsigned char, 256> kHexValue = [] {
    std::array<unsigned char, 256> t{};
    for (auto& v : t) v = 0x7F;
    for (int c = '0'; c <= '9'; ++c) t[c] = static_cast<unsigned char>(c - '0');
    for (int c = 'A'; c <= 'F'; ++c) t[c] = static_cast<unsigned char>(c - 'A' + 10);
    for (int c = 'a'; c <= 'f'; ++c) t[c] = static_cast<unsigned char>(c - 'a' + 10);
    return t;
}();

// What the octet right after '=' makes of it: an escape "=XY", a soft break, or something the
// states must read (spaces, which may go on past the chunk).
enum class AfterEquals : unsigned char { escape, lineEnd, space };
constexpr std::array<AfterEquals, 256> kAfterEquals = [] {
    std::array<AfterEquals, 256> t{};
    t['\r'] = t['\n'] = AfterEquals::lineEnd;
    t[' '] = AfterEquals::space;
    return t;
}();

ZENTRIK_QP_INLINE unsigned char hexPair(unsigned char high, unsigned char low) {
    return static_cast<unsigned char>(((kHexValue[high] << 4) | kHexValue[low]) & 0xFF);
}

// Bit k set when p[k] is '=', for the 64 octets at `p`.
ZENTRIK_QP_INLINE std::uint64_t equalsMask(const unsigned char* p) {
    std::uint64_t mask = 0;
#if defined(__SSE2__)
    const __m128i equals = _mm_set1_epi8('=');
    for (unsigned k = 0; k < 64; k += 16) {
        const __m128i octets = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k));
        const auto bits = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(octets, equals)));
        mask |= std::uint64_t{bits} << k;
    }
#else
    for (unsigned k = 0; k < 64; ++k) mask |= std::uint64_t{p[k] == '='} << k;
#endif
    return mask;
}

#if defined(__x86_64__) || defined(__i386__)
// equalsMask, 32 octets at a time.
ZENTRIK_QP_AVX2("avx2") std::uint64_t equalsMaskAVX2(const unsigned char* p) {
    const __m256i equals = _mm256_set1_epi8('=');
    const __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
    const auto lowBits = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(low, equals)));
    const auto highBits = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(high, equals)));
    return std::uint64_t{highBits} << 32 | lowBits;
}
#else
std::uint64_t equalsMaskAVX2(const unsigned char* p) {
    return equalsMask(p);
}
#endif

// Takes the '=' at p[0], with p[1] and p[2] readable: writes the octet of an escape "=XY" at o + w,
// steps over a soft break. Returns the octets taken, or 0 when spaces follow the '=' (the states
// read those, as they may run on past the chunk).
ZENTRIK_QP_INLINE unsigned takeEscape(const unsigned char* p, unsigned char* o, std::size_t& w) {
    switch (kAfterEquals[p[1]]) {
        case AfterEquals::escape:
            o[w++] = hexPair(p[1], p[2]);
            return 3;
        case AfterEquals::lineEnd:  // a second CR or LF belongs to the break
            return kAfterEquals[p[2]] == AfterEquals::lineEnd ? 3 : 2;
        case AfterEquals::space:
            break;
    }
    return 0;
}

// Windows of 64 octets from p[i] on while 98 can be read: the '=' of a window are found at once
// and taken in order, the plain octets between them copied in wide steps (the room has slack: o + w
// never passes p + i). Returns where it stopped: near the end, or at an '=' that needs the states.
template <std::uint64_t (*kMask)(const unsigned char*)>
ZENTRIK_QP_INLINE std::size_t decodeWindows(const unsigned char* p, std::size_t n, std::size_t i,
                                            unsigned char* o, std::size_t& w) {
    constexpr unsigned kWindow = 64;
    // An escape at the window's end reads 2 octets past it, a wide copy up to 31 past that.
    constexpr std::size_t kReadable = kWindow + 2 + 32;
    while (i + kReadable <= n) {
        const unsigned char* window = p + i;
        std::uint64_t mask = kMask(window);
        unsigned done = 0;  // octets of the window taken
        while (mask != 0) {
            const auto at = static_cast<unsigned>(std::countr_zero(mask));
            copyWide(o + w, window + done, at - done);
            w += at - done;
            const unsigned taken = takeEscape(window + at, o, w);
            if (taken == 0) return i + at;
            done = at + taken;
            mask &= ~(((std::uint64_t{1} << taken) - 1) << at);  // an '=' inside an escape is its digit
        }
        if (done < kWindow) {
            copyWide(o + w, window + done, kWindow - done);
            w += kWindow - done;
            done = kWindow;
        }
        i += done;
    }
    return i;
}

// Decodes plain octets, escapes and soft breaks from p[i] on, writing at o + w, up to the end of the
// chunk or an '=' that needs the states (followed by spaces, or too near the end); returns where it
// stopped.
template <std::uint64_t (*kMask)(const unsigned char*)>
ZENTRIK_QP_INLINE std::size_t decodeRun(const unsigned char* p, std::size_t n, std::size_t i,
                                        unsigned char* o, std::size_t& w) {
    i = decodeWindows<kMask>(p, n, i, o, w);
    for (;;) {
        while (i < n && p[i] != '=') o[w++] = p[i++];
        const unsigned taken = i + 2 < n ? takeEscape(p + i, o, w) : 0;
        if (taken == 0) return i;
        i += taken;
    }
}

// decodeRun built for processors with AVX2, where its wide copies take one instruction.
ZENTRIK_QP_AVX2("avx2")
std::size_t decodeRunAVX2(const unsigned char* p, std::size_t n, std::size_t i, unsigned char* o,
                          std::size_t& w) {
    return decodeRun<equalsMaskAVX2>(p, n, i, o, w);
}

// Decodes chunk after chunk; escapes, spaces after '=' and soft breaks may span chunks.
class QPDecoder {
  public:
    // Writes the octets of the `n` characters at `p` to `o` (room for n + 1) and returns their number.
    std::size_t decodeChunk(const unsigned char* p, std::size_t n, unsigned char* o) {
        std::size_t i = 0, w = 0;
        while (i < n) {
            if (state != State::plain) {
                if (takePending(p[i], o, w)) ++i;
                continue;
            }
            i = vector ? decodeRunAVX2(p, n, i, o, w) : decodeRun<equalsMask>(p, n, i, o, w);
            if (i < n) {  // an '='
                state = State::afterEquals;
                spaces = 0;
                ++i;
            }
        }
        return w;
    }

    // An unfinished escape at the very end, as it stands; empty when there is none.
    ByteArray unfinished() const {
        ByteArray rest;
        if (state == State::plain || state == State::afterBreak) return rest;
        rest.append('=');
        if (state == State::breakUnsure) return rest.append(first);
        std::memset(rest.prepareAppend(spaces), ' ', spaces);
        rest.setLength(1 + spaces);
        if (state == State::firstDigit) rest.append(first);
        return rest;
    }

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
    bool takePending(unsigned char b, unsigned char* o, std::size_t& w) {
        switch (state) {
            case State::afterEquals:
                afterEquals(b);
                return true;
            case State::breakUnsure:
            case State::afterBreak:
                state = State::plain;
                return isLineEnd(b);
            case State::firstDigit:
                o[w++] = hexPair(first, b);
                state = State::plain;
                return true;
            case State::plain:
                break;
        }
        return true;
    }

    void afterEquals(unsigned char b) {
        if (b == ' ') {
            ++spaces;
            return;
        }
        first = b;
        if (isLineEnd(b))
            state = spaces > 0 ? State::afterBreak : State::breakUnsure;
        else
            state = State::firstDigit;
    }

    bool vector = base64::haveAVX2();
    State state = State::plain;
    std::size_t spaces = 0;
    unsigned char first = 0;
};

}  // namespace

QPCoder::~QPCoder() = default;

// The array forms run the same encoder and decoder as the stream forms, straight over the caller's
// octets and into the result, without the chunk copies of a stream.
const ByteArray QPCoder::encode(const ByteArray& data) {
    constexpr std::size_t kSlice = InputStream::kChunkSize;  // bounds the room asked for at a time
    QPEncoder encoder(crlfSoftBreaks);
    const unsigned char* p = data.data();
    const std::size_t n = data.size();
    ByteArray text;
    text.reserve(n + n / 4 + 64);
    for (std::size_t at = 0; at < n; at += kSlice) {
        const std::size_t length = std::min(kSlice, n - at);
        const int following = at + length < n ? p[at + length] : -1;
        unsigned char* o = text.prepareAppend(QPEncoder::room(length));
        text.setLength(text.size() + encoder.encodeChunk(p + at, length, following, o));
    }
    return text;
}

const ByteArray QPCoder::decode(const ByteArray& text) {
    QPDecoder decoder;
    ByteArray data;
    unsigned char* o = data.prepareAppend(text.size() + 1);
    data.setLength(decoder.decodeChunk(text.data(), text.size(), o));
    data += decoder.unfinished();
    return data;
}

OutputStream& QPCoder::encode(InputStream& in, OutputStream& out) {
    QPEncoder encoder(crlfSoftBreaks);
    ByteArray chunk, ahead, text;
    while (nextChunk(in, chunk, ahead)) {
        const int following = octetAfter(chunk, in, ahead);
        text.clear();
        unsigned char* o = text.prepareAppend(QPEncoder::room(chunk.size()));
        text.setLength(encoder.encodeChunk(chunk.data(), chunk.size(), following, o));
        if (!text.isEmpty()) out << text;
    }
    return out;
}

OutputStream& QPCoder::decode(InputStream& in, OutputStream& out) {
    QPDecoder decoder;
    ByteArray chunk, text;
    do {
        in >> chunk;
        text.clear();
        unsigned char* o = text.prepareAppend(chunk.size() + 1);
        text.setLength(decoder.decodeChunk(chunk.data(), chunk.size(), o));
        if (!text.isEmpty()) out << text;
    } while (in.hasData());
    const ByteArray rest = decoder.unfinished();
    if (!rest.isEmpty()) out << rest;
    return out;
}

}  // namespace Velmora
