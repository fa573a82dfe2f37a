#include "zentrik/coders/Base64InputStream.h"

#include <algorithm>
#include <cstring>

#include "zentrik/coders/Base64Kernels.h"
#include "zentrik/coders/Base64Tables.h"
#include "zentrik/platform/utils/Exception.h"

namespace Velmora {

namespace {

constexpr std::size_t kFullLine = base64::kLineChars + 2;  // 76 characters and CR LF
constexpr std::size_t kLineEndSearch = 80;                 // how far back a line end is looked for

// Just past the last CR LF among the final 80 octets; 0 when there is none.
std::size_t afterLastLineEnd(const ByteArray& text) {
    const std::size_t len = text.size();
    const unsigned char* t = text.data();
    const std::size_t lowest = len > kLineEndSearch ? len - kLineEndSearch : 0;
    for (std::size_t p = len; p-- > lowest;) {
        if (t[p] == '\r' && p + 1 < len && t[p + 1] == '\n') return p + 2;
    }
    return 0;
}

inline bool countsAsDigit(unsigned char c) {
    return base64::kReverse.value[c] >= 0 || c == '=';
}

// The longest prefix of the first `length` octets that holds a multiple of four digits, so that a
// piece cut there decodes as it would within the whole text; 0 when only one to three digits are there.
std::size_t afterWholeGroups(const ByteArray& text, std::size_t length) {
    const unsigned char* t = text.data();
    const std::size_t counted = base64::countDigits(t, length);
    if (counted % 4 != 0 && counted < 4) return 0;
    std::size_t surplus = counted % 4;
    std::size_t cut = length;
    while (surplus > 0) {
        --cut;
        if (countsAsDigit(t[cut])) --surplus;
    }
    return cut;
}

constexpr std::size_t kSmallRead = 48;  // reads of fewer octets decode a few groups aside

// Decodes whole groups of the text that `in` holds in memory straight into `destination`, reading
// it in place; 0 when there is none, or when a '=' or an unfinished group comes first.
std::size_t decodeWindow(InputStream& in, unsigned char* destination, std::size_t count) {
    const unsigned char* end = nullptr;
    const unsigned char* text = in.windowAhead(end);
    // At most count / 3 groups of four digits, which decode to no more than `count` octets.
    const std::size_t length = std::min(static_cast<std::size_t>(end - text), count / 3 * 4);
    if (length < 4) return 0;
    std::size_t consumed = 0;
    const std::size_t decoded = base64::decodeWholeGroups(text, length, destination, consumed);
    in.consumeInPlace(consumed);
    return decoded;
}

}  // namespace

Base64InputStream::Base64InputStream(InputStream& source) : FilteredInputStream(source), coder(true) {}

Base64InputStream::Base64InputStream(const Base64InputStream& other) = default;

Base64InputStream::~Base64InputStream() = default;

InputStream& Base64InputStream::operator>>(unsigned char&) {
    throw UtilsException(31, "Base64InputStream::operator>>(unsigned char& byte&)", "NOT IMPLEMENTED");
}

InputStream& Base64InputStream::operator>>(ByteArray& out) {
    if (hasBuffer()) {
        out = ByteArray(bufferBytes(), bufferLength());
        useBuffer(bufferLength());
        return *this;
    }
    out = decodeNextPiece();
    adjustCount(static_cast<std::int64_t>(out.size()));
    return *this;
}

std::size_t Base64InputStream::readFromSource(unsigned char* destination, std::size_t count) {
    if (count == 0) return 0;
    const std::size_t decoded = decodeInPlace(destination, count);
    if (decoded > 0) return decoded;
    for (;;) {
        ByteArray piece = decodeNextPiece();
        if (!piece.isEmpty()) {
            const std::size_t n = std::min(count, piece.size());
            std::memcpy(destination, piece.data(), n);
            keepForLater(piece.data() + n, piece.size() - n);
            return n;
        }
        if (!source().hasData()) return 0;
    }
}

std::size_t Base64InputStream::decodeInPlace(unsigned char* destination, std::size_t count) {
    if (count >= kSmallRead) return decodeWindow(source(), destination, count);
    // A small read takes a few groups; what it leaves is pushed back onto this stream.
    unsigned char octets[kSmallRead];
    const std::size_t decoded = decodeWindow(source(), octets, kSmallRead);
    const std::size_t n = std::min(count, decoded);
    std::memcpy(destination, octets, n);
    keepForLater(octets + n, decoded - n);
    return n;
}

void Base64InputStream::keepForLater(const unsigned char* octets, std::size_t count) {
    if (count == 0) return;
    // These octets were never counted as read, so the count that pushBack takes off is given back.
    pushBack(ByteArray(octets, count));
    adjustCount(static_cast<std::int64_t>(count));
}

ByteArray Base64InputStream::decodeNextPiece() {
    InputStream& in = source();

    // Gather chunks until one as long as a full line arrives or the source runs dry.
    ByteArray gathered;
    in >> gathered;
    if (gathered.size() < kFullLine && in.hasData()) {
        ByteArray chunk;
        do {
            in >> chunk;
            gathered += chunk;
        } while (chunk.size() < kFullLine && in.hasData());
    }

    // Cut after the last line end, else after the whole text. Whenever text is left for later, the
    // cut is moved back, if need be, to the end of a whole group of four digits, so that lines of any
    // length (or ended by LF alone) decode as in the whole text. At the end of the source, text
    // without a line end is decoded as it is rather than dropped.
    std::size_t cut = afterLastLineEnd(gathered);
    if (cut == 0) cut = gathered.size();
    if (cut < gathered.size() || in.hasData()) {
        const std::size_t whole = afterWholeGroups(gathered, cut);
        if (whole > 0) {
            cut = whole;
        } else {
            // Only part of a group before the cut: take all of the text, with more of it if need be.
            std::size_t counted = base64::countDigits(gathered.data(), gathered.size());
            ByteArray chunk;
            while (counted < 4 && counted % 4 != 0 && in.hasData()) {
                in >> chunk;
                counted += base64::countDigits(chunk.data(), chunk.size());
                gathered += chunk;
            }
            cut = gathered.size();
            if (in.hasData()) cut = afterWholeGroups(gathered, cut);
        }
    }
    if (cut < gathered.size()) in.pushBack(gathered.right(cut));

    gathered.truncate(cut);
    return coder.decode(gathered);
}

}  // namespace Velmora
