#include "zentrik/coders/QPCoder.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace Velmora {

namespace {

constexpr unsigned char kHexDigits[] = "0123456789ABCDEF";
constexpr unsigned int kBreakColumn = 74;  // a byte that brings the column count here starts a new line

// How the encoder writes each octet: up to three characters in the low bytes (first character lowest)
// and their number in the top byte; blanks, which depend on the next octet, have the number 0.
constexpr std::uint32_t escapeCode(unsigned b) {
    return 0x03000000u | ('=' | static_cast<std::uint32_t>(kHexDigits[b >> 4]) << 8 |
                          static_cast<std::uint32_t>(kHexDigits[b & 0x0F]) << 16);
}
constexpr std::array<std::uint32_t, 256> kEncodeCode = [] {
    std::array<std::uint32_t, 256> t{};
    for (unsigned b = 0; b < 256; ++b) {
        const bool plain = b >= 0x21 && b <= 0x7E && b != '=';
        t[b] = plain ? (0x01000000u | b) : escapeCode(b);
    }
    t['\t'] = '\t';
    t[' '] = ' ';
    return t;
}();

// Value of a hexadecimal digit, either case; 0x7F for every other octet.
constexpr std::array<unsigned char, 256> kHexValue = [] {
    std::array<unsigned char, 256> t{};
    for (auto& v : t) v = 0x7F;
    for (int c = '0'; c <= '9'; ++c) t[c] = static_cast<unsigned char>(c - '0');
    for (int c = 'A'; c <= 'F'; ++c) t[c] = static_cast<unsigned char>(c - 'A' + 10);
    for (int c = 'a'; c <= 'f'; ++c) t[c] = static_cast<unsigned char>(c - 'a' + 10);
    return t;
}();

inline bool isLineEnd(unsigned char b) {
    return b == '\r' || b == '\n';
}
// A blank may stay literal only before an octet that is none of these.
inline bool endsLineOrBlank(unsigned char b) {
    return b == '\r' || b == '\n' || b == ' ' || b == '\t';
}

}  // namespace

QPCoder::~QPCoder() = default;

const ByteArray QPCoder::encode(const ByteArray& data) {
    ByteArrayInputStream in(data.data(), data.size());
    ByteArrayOutputStream out;
    encode(in, out);
    return out.takeByteArray();
}

const ByteArray QPCoder::decode(const ByteArray& text) {
    ByteArrayInputStream in(text.data(), text.size());
    ByteArrayOutputStream out;
    decode(in, out);
    return out.takeByteArray();
}

OutputStream& QPCoder::encode(InputStream& in, OutputStream& out) {
    const char* const softBreak = crlfSoftBreaks ? "=\r\n" : "=\n";
    const std::size_t softLength = crlfSoftBreaks ? 3 : 2;

    unsigned int column = 0;  // runs on across chunks
    ByteArray chunk, next, text;
    bool haveNext = false;  // `next` holds the chunk after `chunk`, read ahead for a final blank
    for (;;) {
        if (haveNext) {
            std::swap(chunk, next);
            haveNext = false;
        } else {
            if (!in.hasData()) break;
            in >> chunk;
        }
        const unsigned char* p = chunk.data();
        const std::size_t n = chunk.size();
        // Each octet gives at most 3 characters; soft breaks come at most once per 24 octets.
        text.clear();
        unsigned char* o = text.prepareAppend(4 * n + 8);
        std::size_t w = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const unsigned char b = p[i];
            if (++column >= kBreakColumn) {
                std::memcpy(o + w, softBreak, softLength);
                w += softLength;
                column = 0;
            }
            std::uint32_t code = kEncodeCode[b];
            if ((code >> 24) == 0) {
                // A blank stays plain only before an octet that is neither a line end nor a blank.
                bool plain;
                if (i + 1 < n) {
                    plain = !endsLineOrBlank(p[i + 1]);
                } else {
                    // The chunk's last octet: the next chunk decides, so that the text does not
                    // depend on how the input is divided.
                    while (!haveNext && in.hasData()) {
                        in >> next;
                        haveNext = !next.isEmpty();
                    }
                    plain = haveNext && !endsLineOrBlank(next.data()[0]);
                }
                code = plain ? (0x01000000u | b) : escapeCode(b);
            }
            // Three characters stored, the room has slack; only `length` of them count.
            const unsigned length = code >> 24;
            o[w] = static_cast<unsigned char>(code);
            o[w + 1] = static_cast<unsigned char>(code >> 8);
            o[w + 2] = static_cast<unsigned char>(code >> 16);
            w += length;
            column += length - 1;
        }
        text.setLength(w);
        if (w) out << text;
    }
    return out;
}

OutputStream& QPCoder::decode(InputStream& in, OutputStream& out) {
    // Where the decoder stands between octets; escapes and soft breaks may span chunks.
    enum class State {
        plain,
        afterEquals,  // "=" and `spaces` spaces
        breakUnsure,  // "=" directly followed by CR or LF: a soft break if any octet follows
        afterBreak,   // a soft break; one more CR or LF belongs to it
        firstDigit,   // "=", spaces and the first digit `first`
    };
    State state = State::plain;
    std::size_t spaces = 0;
    unsigned char first = 0;

    ByteArray chunk, text;
    do {
        in >> chunk;
        const unsigned char* p = chunk.data();
        const std::size_t n = chunk.size();
        text.clear();
        unsigned char* o = text.prepareAppend(n + 1);
        std::size_t w = 0;
        std::size_t i = 0;
        while (i < n) {
            if (state == State::plain) {
                // Plain octets and complete escapes; whatever needs more care goes through the states.
                while (i < n) {
                    const unsigned char b = p[i];
                    if (b != '=') {
                        o[w++] = b;
                        ++i;
                        continue;
                    }
                    if (i + 2 >= n || p[i + 1] == ' ' || isLineEnd(p[i + 1])) break;
                    o[w++] =
                        static_cast<unsigned char>(((kHexValue[p[i + 1]] << 4) | kHexValue[p[i + 2]]) & 0xFF);
                    i += 3;
                }
                if (i < n) {
                    state = State::afterEquals;
                    spaces = 0;
                    ++i;
                }
                continue;
            }
            const unsigned char b = p[i++];
            switch (state) {
                case State::afterEquals:
                    if (b == ' ') {
                        ++spaces;
                    } else if (isLineEnd(b)) {
                        state = spaces > 0 ? State::afterBreak : State::breakUnsure;
                        first = b;
                    } else {
                        first = b;
                        state = State::firstDigit;
                    }
                    break;
                case State::breakUnsure:
                case State::afterBreak:
                    state = State::plain;
                    if (!isLineEnd(b)) --i;  // not part of the break: read it again as plain
                    break;
                case State::firstDigit:
                    o[w++] = static_cast<unsigned char>(((kHexValue[first] << 4) | kHexValue[b]) & 0xFF);
                    state = State::plain;
                    break;
                case State::plain:
                    break;
            }
        }
        text.setLength(w);
        if (w) out << text;
    } while (in.hasData());

    // An unfinished escape at the very end is written as it stands.
    if (state == State::afterEquals || state == State::breakUnsure || state == State::firstDigit) {
        ByteArray rest;
        rest.append('=');
        if (state == State::breakUnsure) {
            rest.append(first);
        } else {
            std::memset(rest.prepareAppend(spaces), ' ', spaces);
            rest.setLength(1 + spaces);
            if (state == State::firstDigit) rest.append(first);
        }
        out << rest;
    }
    return out;
}

}  // namespace Velmora
