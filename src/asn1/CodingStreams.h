#pragma once
// The streams a coding call works through. They carry the call's own state (how deep values nest,
// the encoder's contents buffers), so that the coders hold none and one coder object may serve any
// number of calls at once, on any threads.
#include <cstdint>
#include <memory>
#include <typeinfo>
#include <vector>

#include "zentrik/platform/utils/InputStream.h"
#include "zentrik/platform/utils/OutputStream.h"

namespace Ostrel {

// What a decoding call reads: the octets of a byte array in place, or a caller's stream passed
// through. Positions (getCount) are the caller's: a stream passed through counts on from where the
// caller's stream stood.
class DecodingStream final : public Velmora::InputStream {
  public:
    DecodingStream(const unsigned char* octets, std::size_t count);
    explicit DecodingStream(Velmora::InputStream& source);
    DecodingStream(const DecodingStream&) = delete;
    DecodingStream& operator=(const DecodingStream&) = delete;
    // Octets pushed back but not read again go back to the caller's stream.
    ~DecodingStream() override;

    bool hasData() override;

    // The decoding stream `in` is, or nullptr when it is another stream.
    static DecodingStream* of(Velmora::InputStream& in) {
        return typeid(in) == typeid(DecodingStream) ? static_cast<DecodingStream*>(&in) : nullptr;
    }

    // Levels of constructed elements open in this call.
    unsigned int depth = 0;

  protected:
    std::size_t readFromSource(unsigned char* destination, std::size_t count) override;
    bool sourceHasData() override;

  private:
    // Reads the caller's octets that sit in memory in place, through this stream's window.
    void borrowWindow();
    // Tells the caller's stream how much of its window was read here.
    void returnWindow();

    Velmora::InputStream* source_ = nullptr;
    const unsigned char* borrowed_ = nullptr;  // where the window borrowed from the source starts
};

// What an encoding call writes to: either a buffer of contents (collecting) or the caller's stream
// (passing through). Every such stream of one call shares the call's state.
class EncodingStream final : public Velmora::OutputStream {
  public:
    struct State;
    // Passes what is written on to `target`, with a state of its own.
    explicit EncodingStream(Velmora::OutputStream& target);
    // Collects what is written, with a state of its own.
    EncodingStream();
    EncodingStream(const EncodingStream&) = delete;
    EncodingStream& operator=(const EncodingStream&) = delete;
    ~EncodingStream() override;

    static EncodingStream* of(Velmora::OutputStream& out) {
        return typeid(out) == typeid(EncodingStream) ? static_cast<EncodingStream*>(&out) : nullptr;
    }

    void flush() override;
    Velmora::OutputStream& operator<<(char octet) override;
    Velmora::OutputStream& operator<<(const Velmora::ByteArray& octets) override;
    using Velmora::OutputStream::operator<<;

    // A collecting stream's octets.
    const Velmora::ByteArray& getByteArray() const { return bytes_; }
    Velmora::ByteArray takeByteArray();
    std::size_t size() const { return bytes_.size(); }

    State& state() const { return *state_; }

  protected:
    void writeBytes(const unsigned char* bytes, std::size_t count) override;

  private:
    friend struct State;
    explicit EncodingStream(State& state);

    std::unique_ptr<State> own_;
    State* state_;
    Velmora::OutputStream* target_ = nullptr;
    Velmora::ByteArray bytes_;
};

// The state of one encoding call.
struct EncodingStream::State {
    unsigned int depth = 0;
    // Contents buffers, one per level of nesting in use; the first `inUse` are taken.
    std::vector<std::unique_ptr<EncodingStream>> buffers;
    unsigned int inUse = 0;
    EncodingStream& takeBuffer() {
        if (inUse == buffers.size()) addBuffer();
        EncodingStream& buffer = *buffers[inUse++];
        buffer.bytes_.clear();
        return buffer;
    }
    void giveBack() { --inUse; }
    void addBuffer();
};

}  // namespace Ostrel

namespace Ostrel {

// A contents buffer of the encoding call that writes to `out`, the call's again when this ends;
// elements nested inside take buffers of their own, so a call costs one buffer per level of nesting,
// not one per element. Outside an encoding call it is a buffer of its own.
class ContentsBuffer {
  public:
    explicit ContentsBuffer(Velmora::OutputStream& out) {
        if (EncodingStream* call = EncodingStream::of(out)) {
            state_ = &call->state();
            stream_ = &state_->takeBuffer();
        } else {
            ownBuffer();
        }
    }
    ~ContentsBuffer() {
        if (state_) state_->giveBack();
    }
    ContentsBuffer(const ContentsBuffer&) = delete;
    ContentsBuffer& operator=(const ContentsBuffer&) = delete;
    EncodingStream& stream() const { return *stream_; }

  private:
    void ownBuffer();

    std::unique_ptr<EncodingStream> own_;
    EncodingStream::State* state_ = nullptr;
    EncodingStream* stream_ = nullptr;
};

}  // namespace Ostrel
