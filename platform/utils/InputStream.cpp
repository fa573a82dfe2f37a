#include "zentrik/platform/utils/InputStream.h"

#include <algorithm>
#include <cstring>

#include "zentrik/platform/utils/Exception.h"

namespace Velmora {

InputStream::~InputStream() = default;

void InputStream::close() {}

bool InputStream::hasData() {
    return hasBuffer() || window_ != windowEnd_ || sourceHasData();
}

InputStream& InputStream::operator>>(unsigned char& octet) {
    if (read(&octet, 1) == 0)
        throw UtilsException(4, "InputStream::operator>>(unsigned char&)", "no more data to read");
    return *this;
}

InputStream& InputStream::operator>>(ByteArray& chunk) {
    chunk.clear();
    if (hasBuffer()) {
        chunk.append(bufferBytes(), bufferLength());
        useBuffer(bufferLength());
        return *this;
    }
    if (window_ != windowEnd_) {
        const std::size_t n =
            std::min<std::size_t>(kChunkSize, static_cast<std::size_t>(windowEnd_ - window_));
        chunk.append(window_, n);
        window_ += n;
        count_ += n;
        return *this;
    }
    unsigned char* room = chunk.prepareAppend(kChunkSize);
    std::size_t got = readFromSource(room, kChunkSize);
    chunk.setLength(got);
    count_ += got;
    return *this;
}

void InputStream::pushBack(unsigned char octet) {
    // The octet just read from the window goes back by stepping the window back.
    if (!hasBuffer() && window_ != windowStart_ && window_[-1] == octet) {
        --window_;
        --count_;
        return;
    }
    pushBack(ByteArray(octet));
}

void InputStream::pushBack(const ByteArray& octets) {
    const std::size_t n = octets.size();
    if (n == 0) return;
    // Octets that were just read from the window go back by stepping the window back.
    if (!hasBuffer() && static_cast<std::size_t>(window_ - windowStart_) >= n &&
        std::memcmp(window_ - n, octets.data(), n) == 0) {
        window_ -= n;
        count_ -= n;
        return;
    }
    if (pushedFront_ < n) {
        // Make room in front: the pending octets move to the end of a larger buffer, with headroom
        // that grows with what is pushed back, so repeated push-backs cost O(octets pushed back).
        const std::size_t pending = pushedBack_.size() - pushedFront_;
        const std::size_t headroom = std::max<std::size_t>(2 * n, 64);
        std::vector<unsigned char> fresh(headroom + pending);
        if (pending) std::memcpy(fresh.data() + headroom, pushedBack_.data() + pushedFront_, pending);
        pushedBack_.swap(fresh);
        pushedFront_ = headroom;
    }
    pushedFront_ -= n;
    std::memcpy(pushedBack_.data() + pushedFront_, octets.data(), n);
    count_ -= n;
}

void InputStream::_rewind(unsigned int) {
    throw UtilsException(5, "InputStream::_rewind(unsigned int)", "this stream cannot step back");
}

void InputStream::useBuffer(unsigned int count) {
    const std::size_t used = std::min<std::size_t>(count, bufferLength());
    pushedFront_ += used;
    count_ += used;
}

std::size_t InputStream::takeBuffered(unsigned char* destination, std::size_t count) {
    const std::size_t n = std::min<std::size_t>(count, bufferLength());
    if (n) {
        std::memcpy(destination, bufferBytes(), n);
        pushedFront_ += n;
    }
    return n;
}

std::size_t InputStream::readSlowly(void* destination, std::size_t count) {
    unsigned char* out = static_cast<unsigned char*>(destination);
    std::size_t done = takeBuffered(out, count);
    if (done < count && window_ != windowEnd_) {
        const std::size_t n =
            std::min<std::size_t>(count - done, static_cast<std::size_t>(windowEnd_ - window_));
        std::memcpy(out + done, window_, n);
        window_ += n;
        done += n;
    }
    while (done < count) {
        std::size_t got = readFromSource(out + done, count - done);
        if (got == 0) break;
        done += got;
    }
    count_ += done;
    return done;
}

int InputStream::readOctetSlowly() {
    unsigned char octet;
    return read(&octet, 1) == 1 ? octet : -1;
}

ByteArray InputStream::readBlob(std::size_t count) {
    ByteArray result;
    // Grow with what actually arrives rather than with what was asked for.
    std::size_t step = std::min<std::size_t>(count, kChunkSize);
    while (result.size() < count) {
        std::size_t want = std::min(step, count - result.size());
        unsigned char* room = result.prepareAppend(want);
        std::size_t got = read(room, want);
        result.setLength(result.size() + got);
        if (got < want) break;
        step = std::min<std::size_t>(step * 2, 16 * kChunkSize);
    }
    return result;
}

ByteArray InputStream::peek(std::size_t count) {
    ByteArray octets = readBlob(count);
    pushBack(octets);
    return octets;
}

std::uint64_t InputStream::skip(std::uint64_t count) {
    unsigned char scratch[4096];
    std::uint64_t done = 0;
    while (done < count) {
        std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(sizeof scratch, count - done));
        std::size_t got = read(scratch, want);
        done += got;
        if (got < want) break;
    }
    return done;
}

// FilteredInputStream

void FilteredInputStream::close() {
    source_->close();
}

bool FilteredInputStream::hasData() {
    return hasBuffer() || source_->hasData();
}

void FilteredInputStream::_rewind(unsigned int count) {
    source_->_rewind(count);
}

std::size_t FilteredInputStream::readFromSource(unsigned char* destination, std::size_t count) {
    return source_->read(destination, count);
}

bool FilteredInputStream::sourceHasData() {
    return source_->hasData();
}

// ByteArrayInputStream

// The whole array is the window: reads never reach readFromSource.
ByteArrayInputStream::ByteArrayInputStream(const ByteArray& bytes)
    : owned_(bytes), bytes_(owned_.data()), size_(owned_.size()) {
    setWindow(bytes_, bytes_ + size_);
}

ByteArrayInputStream::ByteArrayInputStream(ByteArray&& bytes)
    : owned_(std::move(bytes)), bytes_(owned_.data()), size_(owned_.size()) {
    setWindow(bytes_, bytes_ + size_);
}

ByteArrayInputStream::ByteArrayInputStream(const unsigned char* bytes, std::size_t count)
    : bytes_(bytes), size_(count) {
    setWindow(bytes_, bytes_ + size_);
}

ByteArrayInputStream::ByteArrayInputStream(const ByteArrayInputStream& other)
    : InputStream(other),
      owned_(other.owned_),
      bytes_(other.bytes_ == other.owned_.data() ? owned_.data() : other.bytes_),
      size_(other.size_) {
    const std::size_t position = static_cast<std::size_t>(other.windowPosition() - other.bytes_);
    setWindow(bytes_, bytes_ + size_);
    setWindowPosition(bytes_ + position);
}

std::size_t ByteArrayInputStream::readFromSource(unsigned char*, std::size_t) {
    return 0;
}

void ByteArrayInputStream::_rewind(unsigned int count) {
    const std::size_t position = static_cast<std::size_t>(windowPosition() - bytes_);
    const std::size_t n = std::min<std::size_t>(count, position);
    setWindowPosition(windowPosition() - n);
    adjustCount(-static_cast<std::int64_t>(n));
}

}  // namespace Velmora
