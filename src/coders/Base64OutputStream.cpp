#include "zentrik/coders/Base64OutputStream.h"

#include <algorithm>
#include <cstring>

#include "zentrik/coders/Base64Kernels.h"

namespace Velmora {

Base64OutputStream::Base64OutputStream(OutputStream& target) : FilteredOutputStream(target), coder(true) {}

Base64OutputStream::~Base64OutputStream() {
    try {
        flush();
    } catch (...) {
        // A destructor must not throw; a failing target loses the last line.
    }
}

void Base64OutputStream::flush() {
    if (pendingLength == 0) return;
    text.clear();
    coder.appendEncoded(pending.data(), pendingLength, text);
    pendingLength = 0;
    target() << text;
}

OutputStream& Base64OutputStream::operator<<(char octet) {
    pending[pendingLength++] = static_cast<unsigned char>(octet);
    if (pendingLength == kLineOctets) {
        pendingLength = 0;  // first, so that a target that throws leaves no full line behind
        encodeLines(pending.data(), kLineOctets);
    }
    return *this;
}

OutputStream& Base64OutputStream::operator<<(const char* text) {
    return *this << ByteArray(text ? text : "");
}

OutputStream& Base64OutputStream::operator<<(const ByteArray& data) {
    writeBytes(data.data(), data.size());
    return *this;
}

void Base64OutputStream::writeBytes(const unsigned char* bytes, std::size_t count) {
    // Complete the pending line first, then encode whole lines straight from the caller's octets.
    if (pendingLength > 0) {
        const std::size_t take = std::min(count, kLineOctets - pendingLength);
        std::memcpy(pending.data() + pendingLength, bytes, take);
        pendingLength += take;
        bytes += take;
        count -= take;
        if (pendingLength < kLineOctets) return;
        pendingLength = 0;
        encodeLines(pending.data(), kLineOctets);
    }
    const std::size_t whole = count / kLineOctets * kLineOctets;
    encodeLines(bytes, whole);
    pendingLength = count - whole;
    if (pendingLength > 0) std::memcpy(pending.data(), bytes + whole, pendingLength);
}

void Base64OutputStream::encodeLines(const unsigned char* bytes, std::size_t count) {
    static_assert(kLineOctets == base64::kLineInput);
    // Slices of 128 lines: their 10 KiB of text stay in the first-level cache until the target has
    // taken them, however much is written at once.
    constexpr std::size_t kSlice = 128 * kLineOctets;
    for (std::size_t at = 0; at < count; at += kSlice) {
        text.clear();
        coder.appendEncoded(bytes + at, std::min(kSlice, count - at), text);
        target() << text;
    }
}

}  // namespace Velmora
