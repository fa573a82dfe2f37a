#include "zentrik/platform/utils/OutputStream.h"

#include <cstring>

namespace Velmora {

OutputStream::~OutputStream() = default;

void OutputStream::close() {
    flush();
}

void OutputStream::flush() {}

OutputStream& OutputStream::operator<<(char octet) {
    const unsigned char byte = static_cast<unsigned char>(octet);
    writeBytes(&byte, 1);
    return *this;
}

OutputStream& OutputStream::operator<<(const char* text) {
    if (text) writeBytes(reinterpret_cast<const unsigned char*>(text), std::strlen(text));
    return *this;
}

OutputStream& OutputStream::operator<<(const ByteArray& octets) {
    writeBytes(octets.data(), octets.size());
    return *this;
}

void FilteredOutputStream::close() {
    flush();
    target_->close();
}

void FilteredOutputStream::flush() {
    target_->flush();
}

void FilteredOutputStream::writeBytes(const unsigned char* bytes, std::size_t count) {
    target_->write(bytes, count);
}

OutputStream& ByteArrayOutputStream::operator<<(char octet) {
    bytes_.append(static_cast<unsigned char>(octet));
    return *this;
}

OutputStream& ByteArrayOutputStream::operator<<(const ByteArray& octets) {
    bytes_.append(octets.data(), octets.size());
    return *this;
}

ByteArray ByteArrayOutputStream::takeByteArray() {
    ByteArray out = std::move(bytes_);
    bytes_ = ByteArray();
    return out;
}

}  // namespace Velmora
