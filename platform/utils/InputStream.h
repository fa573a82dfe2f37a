#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "zentrik/platform/utils/ByteArray.h"
#include "zentrik/platform/utils/Export.h"

namespace Velmora {

/// A source of octets with a push-back buffer in front of it.
///
/// Derived streams supply readFromSource and sourceHasData; everything else works on top of them.
/// Octets pushed back are read again first, in the order they were pushed back in; getCount() is the
/// net position (octets consumed less octets pushed back).
/// A stream is not synchronised: one thread at a time.
class ZENTRIK_API InputStream {
  public:
    static constexpr std::size_t kChunkSize = 64 * 1024;  ///< what operator>>(ByteArray&) reads at most

    InputStream() = default;
    /// Copies take the stream's own state along (pushed-back octets, position); sources are shared.
    /// @{
    InputStream(const InputStream&) = default;
    InputStream& operator=(const InputStream&) = default;
    /// @}
    virtual ~InputStream();

    /// Releases what the stream holds open (nothing here; a file stream closes its file, a filter its
    /// source).
    virtual void close();
    /// Whether another octet can be read.
    virtual bool hasData();

    /// One octet; UtilsException at the end of the data.
    virtual InputStream& operator>>(unsigned char& octet);
    /// The next available octets: the pushed-back ones if there are any, else the next chunk of the
    /// source (at most kChunkSize); an empty array at the end of the data.
    virtual InputStream& operator>>(ByteArray& chunk);
    /// Puts octets back in front of the stream, to be read again next; getCount() steps back.
    /// @{
    virtual void pushBack(unsigned char octet);
    virtual void pushBack(const ByteArray& octets);
    /// @}

    /// Steps back `count` octets where the stream can; UtilsException where it cannot.
    virtual void _rewind(unsigned int count);

    /// Up to `count` octets; fewer, or none, only at the end of the data. Never reserves `count` up front.
    ByteArray readBlob(std::size_t count);
    /// Up to `count` octets into `destination`; returns how many (0 only at the end of the data).
    std::size_t read(void* destination, std::size_t count) {
        if (pushedFront_ == pushedBack_.size() && static_cast<std::size_t>(windowEnd_ - window_) >= count) {
            if (count) std::memcpy(destination, window_, count);
            window_ += count;
            count_ += count;
            return count;
        }
        return readSlowly(destination, count);
    }
    /// The next octet, or -1 at the end of the data.
    int readOctet() {
        if (pushedFront_ == pushedBack_.size() && window_ != windowEnd_) {
            ++count_;
            return *window_++;
        }
        return readOctetSlowly();
    }
    /// Up to `count` octets as readBlob gives them, left unconsumed.
    ByteArray peek(std::size_t count);
    /// Discards up to `count` octets; returns how many.
    std::uint64_t skip(std::uint64_t count);
    /// The net position: octets consumed less octets pushed back.
    std::uint64_t getCount() const { return count_; }

    /// Octets that are already in memory, ready to be read without asking the source: the pushed-back
    /// ones and the rest of the memory window.
    std::size_t inMemory() const {
        return (pushedBack_.size() - pushedFront_) + static_cast<std::size_t>(windowEnd_ - window_);
    }

    /// For a stream that reads on this one's behalf: the rest of the memory window when nothing is
    /// pushed back (else an empty range), to be read in place; consumeInPlace(n) then takes n of them.
    const unsigned char* windowAhead(const unsigned char*& end) const {
        end = hasBuffer() ? window_ : windowEnd_;
        return window_;
    }
    /// Takes `count` octets of what windowAhead showed as read.
    void consumeInPlace(std::size_t count) {

        window_ += count;
        count_ += count;
    }

    /// The push-back buffer, for filters that hand pushed-back octets out as they are.
    /// Whether octets are pushed back; where they are and how many (valid until the next read or
    /// push-back); useBuffer takes `count` of them as read.
    /// @{
    bool hasBuffer() const { return pushedBack_.size() > pushedFront_; }
    const unsigned char* bufferBytes() const { return pushedBack_.data() + pushedFront_; }
    unsigned int bufferLength() const { return static_cast<unsigned int>(pushedBack_.size() - pushedFront_); }
    void useBuffer(unsigned int count);
    /// @}


  protected:
    /// Reads up to `count` octets of the underlying data; 0 only at its end.
    virtual std::size_t readFromSource(unsigned char* destination, std::size_t count) = 0;
    /// Whether the underlying data has another octet.
    virtual bool sourceHasData() = 0;

    /// A stream whose data sits in memory shows it as a window, read without virtual calls; reads
    /// come from the window until it is used up, then from readFromSource.
    void setWindow(const unsigned char* begin, const unsigned char* end) {
        windowStart_ = window_ = begin;
        windowEnd_ = end;
    }
    /// Where reading in the window stands; moving it does not change getCount().
    /// @{
    const unsigned char* windowPosition() const { return window_; }
    void setWindowPosition(const unsigned char* position) { window_ = position; }
    /// @}

    /// Derived streams that rewind adjust the net position with this.
    void adjustCount(std::int64_t delta) {
        count_ = static_cast<std::uint64_t>(static_cast<std::int64_t>(count_) + delta);
    }

  private:
    std::size_t takeBuffered(unsigned char* destination, std::size_t count);
    int readOctetSlowly();
    std::size_t readSlowly(void* destination, std::size_t count);

    const unsigned char* windowStart_ = nullptr;
    const unsigned char* window_ = nullptr;
    const unsigned char* windowEnd_ = nullptr;
    std::vector<unsigned char> pushedBack_;  // pending octets are [pushedFront_, size)
    std::size_t pushedFront_ = 0;
    std::uint64_t count_ = 0;
};

/// Wraps another stream, which the caller owns and which must outlive the filter.
class ZENTRIK_API FilteredInputStream : public InputStream {
  public:
    /// A filter reading from `source`.
    explicit FilteredInputStream(InputStream& source) : source_(&source) {}

    void close() override;
    bool hasData() override;
    void _rewind(unsigned int count) override;

  protected:
    /// The stream read from.
    InputStream& source() const { return *source_; }

    std::size_t readFromSource(unsigned char* destination, std::size_t count) override;
    bool sourceHasData() override;

  private:
    InputStream* source_;
};

/// Reads a byte array. It keeps its own copy, or reads the caller's octets in place with the
/// pointer form (which must then outlive the stream).
class ZENTRIK_API ByteArrayInputStream : public InputStream {
  public:
    /// Reads a copy of `bytes` (taken over when moved in).
    /// @{
    explicit ByteArrayInputStream(const ByteArray& bytes);
    explicit ByteArrayInputStream(ByteArray&& bytes);
    /// @}
    /// Reads the caller's `count` octets at `bytes` in place; they must outlive the stream.
    ByteArrayInputStream(const unsigned char* bytes, std::size_t count);
    /// A stream over the same octets (its own copy when `other` has one), at the same position.
    ByteArrayInputStream(const ByteArrayInputStream& other);

    ByteArrayInputStream& operator=(const ByteArrayInputStream&) = delete;

    void _rewind(unsigned int count) override;
    /// How many octets are left to read (pushed-back ones not counted).
    std::size_t remaining() const {
 return static_cast<std::size_t>(bytes_ + size_ - windowPosition()); }

  protected:
    std::size_t readFromSource(unsigned char* destination, std::size_t count) override;
    bool sourceHasData() override { return false; }  ///< everything is in the window


  private:
    ByteArray owned_;
    const unsigned char* bytes_;
    std::size_t size_;
};

}  // namespace Velmora
