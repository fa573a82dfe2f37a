#include "zentrik/asn1/CodingStreams.h"

namespace Ostrel {

DecodingStream::DecodingStream(const unsigned char* octets, std::size_t count) {
    setWindow(octets, octets + count);
}

DecodingStream::DecodingStream(Velmora::InputStream& source) : source_(&source) {
    adjustCount(static_cast<std::int64_t>(source.getCount()));
    borrowWindow();
}

DecodingStream::~DecodingStream() {
    if (!source_) return;
    returnWindow();
    // Octets pushed back here were read from the source: they go back in front of it.
    if (hasBuffer()) source_->pushBack(Velmora::ByteArray(bufferBytes(), bufferLength()));
}

void DecodingStream::borrowWindow() {
    const unsigned char* end = nullptr;
    borrowed_ = source_->windowAhead(end);
    setWindow(borrowed_, end);
}

void DecodingStream::returnWindow() {
    source_->consumeInPlace(static_cast<std::size_t>(windowPosition() - borrowed_));
    borrowWindow();  // the rest, from here on, so that stepping back never reaches what was returned
}

bool DecodingStream::hasData() {
    return inMemory() > 0 || sourceHasData();
}

std::size_t DecodingStream::readFromSource(unsigned char* destination, std::size_t count) {
    if (!source_) return 0;
    returnWindow();  // the window is used up: what was read of it is the source's no more
    const std::size_t got = source_->read(destination, count);
    borrowWindow();
    return got;
}

bool DecodingStream::sourceHasData() {
    if (!source_) return false;
    returnWindow();
    const bool more = source_->hasData();
    borrowWindow();  // the source may have brought more into memory
    return more;
}

EncodingStream::EncodingStream(Velmora::OutputStream& target)
    : own_(std::make_unique<State>()), state_(own_.get()), target_(&target) {}

EncodingStream::EncodingStream() : own_(std::make_unique<State>()), state_(own_.get()), bytes_(256) {}

EncodingStream::EncodingStream(State& state) : state_(&state), bytes_(256) {}

EncodingStream::~EncodingStream() = default;

void EncodingStream::flush() {
    if (target_) target_->flush();
}

Velmora::OutputStream& EncodingStream::operator<<(char octet) {
    if (target_)
        *target_ << octet;
    else
        bytes_.append(static_cast<unsigned char>(octet));
    return *this;
}

Velmora::OutputStream& EncodingStream::operator<<(const Velmora::ByteArray& octets) {
    if (target_)
        *target_ << octets;
    else
        bytes_.append(octets.data(), octets.size());
    return *this;
}

void EncodingStream::writeBytes(const unsigned char* bytes, std::size_t count) {
    if (target_)
        target_->write(bytes, count);
    else
        bytes_.append(bytes, count);
}

Velmora::ByteArray EncodingStream::takeByteArray() {
    Velmora::ByteArray taken = std::move(bytes_);
    bytes_.clear();
    return taken;
}

void EncodingStream::State::addBuffer() {
    if (buffers.empty()) buffers.reserve(16);
    buffers.push_back(std::unique_ptr<EncodingStream>(new EncodingStream(*this)));
}

void ContentsBuffer::ownBuffer() {
    own_ = std::make_unique<EncodingStream>();
    stream_ = own_.get();
}

}  // namespace Ostrel
