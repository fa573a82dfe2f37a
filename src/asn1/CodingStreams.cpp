#include "zentrik/asn1/CodingStreams.h"

namespace Ostrel {

DecodingStream::DecodingStream(const unsigned char* octets, std::size_t count) : end_(octets + count) {
    setWindow(octets, end_);
}

DecodingStream::DecodingStream(Velmora::InputStream& source) : source_(&source) {
    adjustCount(static_cast<std::int64_t>(source.getCount()));
}

DecodingStream::~DecodingStream() {
    if (source_ && hasBuffer()) {
        source_->pushBack(Velmora::ByteArray(bufferBytes(), bufferLength()));
    }
}

bool DecodingStream::hasData() {
    if (hasBuffer()) return true;
    return source_ ? source_->hasData() : windowPosition() != end_;
}

std::size_t DecodingStream::readFromSource(unsigned char* destination, std::size_t count) {
    return source_ ? source_->read(destination, count) : 0;
}

bool DecodingStream::sourceHasData() {
    return source_ && source_->hasData();
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

EncodingStream& EncodingStream::State::takeBuffer() {
    if (inUse == buffers.size()) {
        if (buffers.empty()) buffers.reserve(16);
        buffers.push_back(std::unique_ptr<EncodingStream>(new EncodingStream(*this)));
    }
    EncodingStream& buffer = *buffers[inUse++];
    buffer.bytes_.clear();
    return buffer;
}

}  // namespace Ostrel

namespace Ostrel {

ContentsBuffer::ContentsBuffer(Velmora::OutputStream& out) {
    if (EncodingStream* call = EncodingStream::of(out)) {
        state_ = &call->state();
        stream_ = &state_->takeBuffer();
    } else {
        own_ = std::make_unique<EncodingStream>();
        stream_ = own_.get();
    }
}

ContentsBuffer::~ContentsBuffer() {
    if (state_) state_->giveBack();
}

}  // namespace Ostrel
