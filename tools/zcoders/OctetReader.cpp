#include "OctetReader.h"

#include <algorithm>
#include <cstring>

namespace zcoders {

OctetReader::OctetReader(Velmora::InputStream& in, std::size_t bufferSize) : in_(&in), buffer_(bufferSize) {
    begin_ = at_ = end_ = buffer_.data();
}

OctetReader::OctetReader(const unsigned char* data, std::size_t count, std::uint64_t base)
    : begin_(data), at_(data), end_(data + count), consumed_(base) {}

bool OctetReader::refill() {
    if (!in_) return false;
    consumed_ += static_cast<std::uint64_t>(end_ - begin_);
    const std::size_t got = in_->read(buffer_.data(), buffer_.size());
    begin_ = at_ = buffer_.data();
    end_ = begin_ + got;
    return got > 0;
}

std::size_t OctetReader::read(unsigned char* destination, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        if (at_ == end_ && !refill()) break;
        const std::size_t part = std::min(count - done, static_cast<std::size_t>(end_ - at_));
        std::memcpy(destination + done, at_, part);
        at_ += part;
        done += part;
    }
    return done;
}

std::uint64_t OctetReader::skip(std::uint64_t count) {
    std::uint64_t done = 0;
    while (done < count) {
        if (at_ == end_ && !refill()) break;
        const auto part = std::min<std::uint64_t>(count - done, static_cast<std::uint64_t>(end_ - at_));
        at_ += part;
        done += part;
    }
    return done;
}

}  // namespace zcoders
