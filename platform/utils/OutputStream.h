#pragma once
#include <cstddef>

#include "zentrik/platform/utils/ByteArray.h"
#include "zentrik/platform/utils/Export.h"

namespace Velmora {

/// A sink of octets. Derived streams supply writeBytes; the operators write through it unless a
/// derived stream replaces them.
/// A stream is not synchronised: one thread at a time.
class ZENTRIK_API OutputStream {
  public:
    OutputStream() = default;
    /// The base holds no state: copies are for deriving classes.
    /// @{
    OutputStream(const OutputStream&) = default;
    OutputStream& operator=(const OutputStream&) = default;
    /// @}
    virtual ~OutputStream();

    /// Flushes, and releases what the stream holds open (a file stream closes its file, a filter its
    /// target).
    virtual void close();
    /// Hands buffered octets on (nothing here); failures as the stream's writes.
    virtual void flush();
    /// Writes one octet.
    virtual OutputStream& operator<<(char octet);

    virtual OutputStream& operator<<(const char* text);  ///< the characters, without the zero
    /// Writes the octets of `octets`.
    virtual OutputStream& operator<<(const ByteArray& octets);


    /// Writes `count` octets through the same path as the operators.
    OutputStream& write(const void* bytes, std::size_t count) {
        writeBytes(static_cast<const unsigned char*>(bytes), count);
        return *this;
    }

  protected:
    /// Writes `count` octets from `bytes`: what every write comes down to.
    virtual void writeBytes(const unsigned char* bytes, std::size_t count) = 0;

};

/// Wraps another stream, which the caller owns and which must outlive the filter.
class ZENTRIK_API FilteredOutputStream : public OutputStream {
  public:
    /// A filter writing to `target`.
    explicit FilteredOutputStream(OutputStream& target) : target_(&target) {}

    void close() override;
    void flush() override;

  protected:
    /// The stream written to.
    OutputStream& target() const { return *target_; }

    void writeBytes(const unsigned char* bytes, std::size_t count) override;

  private:
    OutputStream* target_;
};

/// Collects what is written in memory.
class ZENTRIK_API ByteArrayOutputStream : public OutputStream {
  public:
    /// An empty stream, or one with room for `capacity` octets.
    /// @{
    ByteArrayOutputStream() = default;
    explicit ByteArrayOutputStream(int capacity) : bytes_(capacity) {}
    /// @}


    OutputStream& operator<<(char octet) override;
    OutputStream& operator<<(const ByteArray& octets) override;
    using OutputStream::operator<<;

    /// The octets written so far; valid until the next write.
    const ByteArray& getByteArray() const { return bytes_; }

    ByteArray takeByteArray();  ///< moves the octets out and empties the stream
    /// How many octets were written.
    std::size_t size() const { return bytes_.size(); }
    /// Empties the stream.
    void reset() { bytes_.clear(); }


  protected:
    void writeBytes(const unsigned char* bytes, std::size_t count) override { bytes_.append(bytes, count); }

  private:
    ByteArray bytes_;
};

}  // namespace Velmora
