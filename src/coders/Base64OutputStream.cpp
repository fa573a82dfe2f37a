#include "zentrik/coders/Base64OutputStream.h"

#include <algorithm>

#include "zentrik/coders/Base64Kernels.h"

namespace Velmora {

using base64::kLineInput;

Base64OutputStream::Base64OutputStream(OutputStream& target) : FilteredOutputStream(target), coder(true) {}

Base64OutputStream::~Base64OutputStream() {
    try {
        flush();
    } catch (...) {
        // A destructor must not throw; a failing target loses the last line.
    }
}

void Base64OutputStream::flush() {
    if (pending.isEmpty()) return;
    ByteArray text;
    coder.appendEncoded(pending.data(), pending.size(), text);
    pending.clear();
    target() << text;
}

OutputStream& Base64OutputStream::operator<<(char octet) {
    pending.append(static_cast<unsigned char>(octet));
    if (pending.size() >= kLineInput) *this << ByteArray::emptyArray;
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
    // Complete the pending line first, then encode whole lines straight from the caller's octets,
    // so that a large write is not copied into `pending` first.
    ByteArray text;
    if (!pending.isEmpty()) {
        const std::size_t take = std::min(count, kLineInput - pending.size() % kLineInput);
        pending.append(bytes, take);
        bytes += take;
        count -= take;
        const std::size_t whole = pending.size() / kLineInput * kLineInput;
        if (whole == 0) return;
        coder.appendEncoded(pending.data(), whole, text);
        pending = pending.right(whole);
    }
    const std::size_t whole = count / kLineInput * kLineInput;
    if (whole) coder.appendEncoded(bytes, whole, text);
    if (count > whole) pending.append(bytes + whole, count - whole);
    if (!text.isEmpty()) target() << text;
}

}  // namespace Velmora
