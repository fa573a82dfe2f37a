#pragma once
// Helpers shared by the IOU tests: component checks, and streams that generate or check large octet
// strings on the fly without storing them. Octets and failures come from tests/support.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/ChunkedInputStream.h"
#include "support/Failures.h"
#include "support/Octets.h"
#include "zentrik/asn1/BERCoder.h"
#include "zentrik/iou/ASN1IOUExplicitObject.h"
#include "zentrik/iou/ASN1IOUImplicitObject.h"
#include "zentrik/iou/ASN1IOUObject.h"
#include "zentrik/platform/utils/Exception.h"
#include "zentrik/platform/utils/InputStream.h"
#include "zentrik/platform/utils/OutputStream.h"

namespace iou_test {

using Velmora::ByteArray;

using zentrik_test::expectCoderFailure, zentrik_test::Outcome, zentrik_test::outcomeOf;
using zentrik_test::hex;

// Whether the next component of `parent` comes and decodes to `expected` (false, not a crash, when
// no component comes).
inline bool nextIs(Ostrel::ASN1IOUObject& parent, const Ostrel::ASN1Object& expected) {
    const Velmora::SmartPointer<Ostrel::ASN1IOUObject> component = parent.getNextComponent();
    if (!component) return false;
    const Ostrel::ASN1Object* value = component->getValue();
    return value != nullptr && value->equals(expected);
}

// A copy of the value of the next component of `parent`; throws, failing the test, when none comes.
inline std::unique_ptr<Ostrel::ASN1Object> nextValue(Ostrel::ASN1IOUObject& parent) {
    const Velmora::SmartPointer<Ostrel::ASN1IOUObject> component = parent.getNextComponent();
    if (!component || !component->getValue()) throw std::runtime_error("no component where one was expected");
    return std::unique_ptr<Ostrel::ASN1Object>(component->getValue()->clone());
}

// The octets every large-data test uses: octet p is byte p % 8 of a 64-bit mix of p / 8, so that a
// misplaced, lost or repeated block shows.
inline std::uint64_t patternWord(std::uint64_t index) {
    std::uint64_t z = index * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

inline void fillPattern(unsigned char* out, std::uint64_t offset, std::size_t count) {
    while (count && offset % 8) {
        *out++ = static_cast<unsigned char>(patternWord(offset / 8) >> (8 * (offset % 8)));
        ++offset;
        --count;
    }
    for (; count >= 8; count -= 8, offset += 8, out += 8) {
        const std::uint64_t w = patternWord(offset / 8);
        for (int i = 0; i < 8; ++i) out[i] = static_cast<unsigned char>(w >> (8 * i));
    }
    for (std::size_t i = 0; i < count; ++i)
        out[i] = static_cast<unsigned char>(patternWord((offset + i) / 8) >> (8 * ((offset + i) % 8)));
}

inline ByteArray pattern(std::uint64_t offset, std::size_t count) {
    ByteArray out;
    unsigned char* room = out.prepareAppend(count);
    fillPattern(room, offset, count);
    out.setLength(count);
    return out;
}

// Whether `octets` are the pattern from `offset` on, compared a block at a time.
inline bool matchesPattern(const unsigned char* octets, std::size_t count, std::uint64_t offset) {
    unsigned char expected[4096];
    while (count) {
        const std::size_t n = std::min(count, sizeof expected);
        fillPattern(expected, offset, n);
        if (std::memcmp(expected, octets, n) != 0) return false;
        octets += n;
        offset += n;
        count -= n;
    }
    return true;
}

// `total` octets of the pattern, at most 64 KiB per read; records the largest read asked of it.
class PatternSource : public Velmora::InputStream {
  public:
    explicit PatternSource(std::uint64_t total) : total_(total) {}
    std::size_t largestRequest() const { return largestRequest_; }
    std::uint64_t produced() const { return position_; }

  protected:
    std::size_t readFromSource(unsigned char* destination, std::size_t count) override {
        largestRequest_ = std::max(largestRequest_, count);
        const std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>({count, kChunkSize, total_ - position_}));
        fillPattern(destination, position_, n);
        position_ += n;
        return n;
    }
    bool sourceHasData() override { return position_ < total_; }

  private:
    std::uint64_t total_;
    std::uint64_t position_ = 0;
    std::size_t largestRequest_ = 0;
};

// Generates an encoded octet string on the fly: `prefix`, then `total` octets of the pattern as
// primitive segments 04 <length> <octets> whose sizes cycle through `sizes`, then `zeros` zero octets.
// Records the largest read asked of it and the largest push-back.
class SegmentedSource : public Velmora::InputStream {
  public:
    SegmentedSource(ByteArray prefix, std::uint64_t total, std::vector<std::size_t> sizes, unsigned int zeros)
        : pending_(std::move(prefix)), total_(total), sizes_(std::move(sizes)), zeros_(zeros) {}

    std::size_t largestRequest() const { return largestRequest_; }
    std::size_t largestPushBack() const { return largestPushBack_; }
    std::size_t largestPending() const { return largestPending_; }
    std::uint64_t encodedSize() const {
        std::uint64_t size = prefixSize_ + zeros_, left = total_;
        for (std::size_t i = 0; left; ++i) {
            const std::uint64_t n = std::min<std::uint64_t>(sizes_[i % sizes_.size()], left);
            size += 1 + Ostrel::DERCoder::encodeLength(static_cast<unsigned int>(n)).size() + n;
            left -= n;
        }
        return size;
    }

    void pushBack(const ByteArray& octets) override {
        largestPushBack_ = std::max(largestPushBack_, octets.size());
        InputStream::pushBack(octets);
        largestPending_ = std::max<std::size_t>(largestPending_, bufferLength());
    }
    using InputStream::pushBack;

  protected:
    std::size_t readFromSource(unsigned char* destination, std::size_t count) override {
        largestRequest_ = std::max(largestRequest_, count);
        std::size_t done = 0;
        while (done < count) {
            if (pendingAt_ < pending_.size()) {
                const std::size_t n = std::min(count - done, pending_.size() - pendingAt_);
                std::memcpy(destination + done, pending_.data() + pendingAt_, n);
                pendingAt_ += n;
                done += n;
            } else if (segmentLeft_) {
                const std::size_t n =
                    static_cast<std::size_t>(std::min<std::uint64_t>(count - done, segmentLeft_));
                fillPattern(destination + done, offset_, n);
                offset_ += n;
                segmentLeft_ -= n;
                done += n;
            } else if (!nextPiece()) {
                break;
            }
        }
        return done;
    }
    bool sourceHasData() override {
        return pendingAt_ < pending_.size() || segmentLeft_ || offset_ < total_ || !closed_;
    }

  private:
    // Queues the next segment header, or the end-of-contents octets; false at the end.
    bool nextPiece() {
        pending_.clear();
        pendingAt_ = 0;
        if (offset_ < total_) {
            const std::uint64_t n =
                std::min<std::uint64_t>(sizes_[segment_++ % sizes_.size()], total_ - offset_);
            pending_ += static_cast<unsigned char>(0x04);
            pending_ += Ostrel::DERCoder::encodeLength(static_cast<unsigned int>(n));
            segmentLeft_ = n;
            return true;
        }
        if (closed_) return false;
        closed_ = true;
        for (unsigned int i = 0; i < zeros_; ++i) pending_ += static_cast<unsigned char>(0);
        return zeros_ > 0;
    }

    ByteArray pending_;
    std::size_t pendingAt_ = 0;
    std::size_t prefixSize_ = pending_.size();
    std::uint64_t total_;
    std::vector<std::size_t> sizes_;
    unsigned int zeros_;
    std::uint64_t offset_ = 0;
    std::uint64_t segmentLeft_ = 0;
    std::size_t segment_ = 0;
    bool closed_ = false;
    std::size_t largestRequest_ = 0;
    std::size_t largestPushBack_ = 0;
    std::size_t largestPending_ = 0;
};

// Checks, without storing it, that what is written is `prefix`, then primitive segments 04 <length>
// <octets> carrying the pattern in order, then `zeros` zero octets. Counts octets and segments.
class SegmentCheckingSink : public Velmora::OutputStream {
  public:
    SegmentCheckingSink(ByteArray prefix, unsigned int zeros) : prefix_(std::move(prefix)), zeros_(zeros) {}

    std::uint64_t written() const { return written_; }
    std::uint64_t dataOctets() const { return offset_; }
    std::uint64_t segments() const { return segments_; }
    std::uint64_t largestSegment() const { return largestSegment_; }
    std::size_t largestWrite() const { return largestWrite_; }
    const std::string& error() const { return error_; }
    bool closed() const { return error_.empty() && state_ == State::Trailer && zerosSeen_ == zeros_; }

  protected:
    void writeBytes(const unsigned char* bytes, std::size_t count) override {
        written_ += count;
        largestWrite_ = std::max(largestWrite_, count);
        while (count && error_.empty()) {
            const std::size_t used = consume(bytes, count);
            bytes += used;
            count -= used;
        }
    }

  private:
    enum class State { Prefix, Identifier, Length, Contents, Trailer };

    void fail(const std::string& what) {
        if (error_.empty()) error_ = what + " at octet " + std::to_string(written_);
    }

    std::size_t consume(const unsigned char* bytes, std::size_t count) {
        switch (state_) {
            case State::Prefix:
                if (bytes[0] != prefix_[static_cast<unsigned int>(prefixAt_)]) fail("wrong header octet");
                if (++prefixAt_ == prefix_.size()) state_ = State::Identifier;
                return 1;
            case State::Identifier:
                if (bytes[0] == 0x04) {
                    state_ = State::Length;
                    lengthOctets_ = -1;
                } else if (bytes[0] == 0x00) {
                    state_ = State::Trailer;
                    zerosSeen_ = 1;
                } else {
                    fail("unexpected identifier octet");
                }
                return 1;
            case State::Length:
                if (lengthOctets_ < 0) {
                    if (bytes[0] < 0x80) {
                        startSegment(bytes[0]);
                    } else if (bytes[0] == 0x80 || bytes[0] > 0x84) {
                        fail("unexpected length octet");
                    } else {
                        lengthOctets_ = bytes[0] & 0x7F;
                        segmentLeft_ = 0;
                    }
                } else {
                    segmentLeft_ = (segmentLeft_ << 8) | bytes[0];
                    if (--lengthOctets_ == 0) startSegment(segmentLeft_);
                }
                return 1;
            case State::Contents: {
                const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(count, segmentLeft_));
                if (!matchesPattern(bytes, n, offset_)) fail("contents differ from the pattern");
                offset_ += n;
                segmentLeft_ -= n;
                if (segmentLeft_ == 0) state_ = State::Identifier;
                return n;
            }
            case State::Trailer:
                if (bytes[0] != 0x00 || ++zerosSeen_ > zeros_) fail("unexpected octet after the segments");
                return 1;
        }
        return count;
    }

    void startSegment(std::uint64_t length) {
        ++segments_;
        largestSegment_ = std::max(largestSegment_, length);
        segmentLeft_ = length;
        state_ = length ? State::Contents : State::Identifier;
    }

    ByteArray prefix_;
    unsigned int zeros_;
    State state_ = State::Prefix;
    std::size_t prefixAt_ = 0;
    int lengthOctets_ = -1;
    std::uint64_t segmentLeft_ = 0;
    std::uint64_t offset_ = 0;
    std::uint64_t written_ = 0;
    std::uint64_t segments_ = 0;
    std::uint64_t largestSegment_ = 0;
    std::size_t largestWrite_ = 0;
    unsigned int zerosSeen_ = 0;
    std::string error_;
};

// Delivers a byte array one octet per read, so that every readBlob crosses many reads.
class TrickleInputStream : public zentrik_test::ChunkedInputStream {
  public:
    explicit TrickleInputStream(const ByteArray& data)
        : ChunkedInputStream(data, zentrik_test::fixedChunks(1)) {}
};

// Hands out fixed blocks of a byte array through operator>>(ByteArray&), as a streamable string reads.
class BlockInputStream : public Velmora::InputStream {
  public:
    explicit BlockInputStream(std::vector<ByteArray> blocks) : blocks_(std::move(blocks)) {}

    InputStream& operator>>(ByteArray& block) override {
        block.clear();
        if (next_ < blocks_.size()) block = blocks_[next_++];
        return *this;
    }
    using InputStream::operator>>;

  protected:
    std::size_t readFromSource(unsigned char*, std::size_t) override { return 0; }
    bool sourceHasData() override { return next_ < blocks_.size(); }

  private:
    std::vector<ByteArray> blocks_;
    std::size_t next_ = 0;
};

// A stream that fails once `limit` blocks were handed out.
class FailingInputStream : public Velmora::InputStream {
  public:
    explicit FailingInputStream(unsigned int limit) : limit_(limit) {}

    InputStream& operator>>(ByteArray& block) override {
        if (handedOut_ == limit_) throw Velmora::UtilsException(4, "FailingInputStream", "the source broke");
        ++handedOut_;
        block = ByteArray{0xAB, 0xCD};
        return *this;
    }
    using InputStream::operator>>;

  protected:
    std::size_t readFromSource(unsigned char*, std::size_t) override { return 0; }
    bool sourceHasData() override { return true; }

  private:
    unsigned int limit_;
    unsigned int handedOut_ = 0;
};

}  // namespace iou_test
