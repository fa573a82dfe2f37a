// Streaming: 256 MiB written through a writing IOU object and a streamable OCTET STRING (which the
// BER encoder sends out block by block) into a counting sink, and read back through reading IOU
// objects (getNextComponent, hasData / getData) from a stream that makes the encoding on the fly.
// Neither side holds 256 MiB. Peers: memcpy of 256 MiB, buffer to buffer and in 64 KiB pieces.
#include <algorithm>
#include <cstring>
#include <memory>

#include "BenchSupport.h"
#include "zentrik/asn1/BERCoder.h"
#include "zentrik/iou/ASN1IOUObject.h"
#include "zentrik/platform/asn1/ASN1.h"
#include "zentrik/platform/utils/InputStream.h"

namespace {

using bench::KiB;
using bench::MiB;
using Ostrel::ASN1IOUObject;
using Ostrel::ASN1OctetString;
using Ostrel::ASNTag;
using Ostrel::BERCoder;
using Velmora::ByteArray;
using Velmora::InputStream;
using Velmora::SmartPointer;

constexpr std::size_t kTotal = 256 * MiB;
constexpr std::size_t kPiece = 64 * KiB;

const std::vector<unsigned char>& pattern() {
    static const std::vector<unsigned char> p = bench::randomOctets(kPiece, 0x256);
    return p;
}

// `total` octets of a repeated 64 KiB pattern.
class PatternInputStream : public InputStream {
  public:
    explicit PatternInputStream(std::size_t total) : left_(total) {}

  protected:
    std::size_t readFromSource(unsigned char* destination, std::size_t count) override {
        std::size_t done = 0;
        while (done < count && left_ > 0) {
            const std::size_t at = offset_ % kPiece;
            const std::size_t n = std::min({count - done, left_, kPiece - at});
            std::memcpy(destination + done, pattern().data() + at, n);
            done += n;
            left_ -= n;
            offset_ += n;
        }
        return done;
    }
    bool sourceHasData() override { return left_ > 0; }

  private:
    std::size_t left_;
    std::size_t offset_ = 0;
};

// The BER encoding of SEQUENCE { OCTET STRING } with the string in segments of 64 KiB, both of
// indefinite length, made as it is read: 30 80 24 80 (04 83 01 00 00 <64 KiB>)... 00 00 00 00.
class SegmentedEncodingStream : public InputStream {
  public:
    explicit SegmentedEncodingStream(std::size_t total) : segmentsLeft_(total / kPiece) {
        setFraming({0x30, 0x80, 0x24, 0x80});
    }

  protected:
    std::size_t readFromSource(unsigned char* destination, std::size_t count) override {
        std::size_t done = 0;
        while (done < count) {
            if (framingAt_ < framing_.size()) {
                const std::size_t n = std::min(count - done, framing_.size() - framingAt_);
                std::memcpy(destination + done, framing_.data() + framingAt_, n);
                framingAt_ += n;
                done += n;
            } else if (payloadLeft_ > 0) {
                const std::size_t n = std::min(count - done, payloadLeft_);
                std::memcpy(destination + done, pattern().data() + (kPiece - payloadLeft_), n);
                payloadLeft_ -= n;
                done += n;
            } else if (segmentsLeft_ > 0) {
                --segmentsLeft_;
                payloadLeft_ = kPiece;
                setFraming({0x04, 0x83, 0x01, 0x00, 0x00});
            } else if (!closed_) {
                closed_ = true;
                setFraming({0x00, 0x00, 0x00, 0x00});
            } else {
                break;
            }
        }
        return done;
    }
    bool sourceHasData() override {
        return framingAt_ < framing_.size() || payloadLeft_ > 0 || segmentsLeft_ > 0 || !closed_;
    }

  private:
    void setFraming(std::initializer_list<unsigned char> octets) {
        framing_.assign(octets);
        framingAt_ = 0;
    }

    std::vector<unsigned char> framing_;
    std::size_t framingAt_ = 0;
    std::size_t payloadLeft_ = 0;
    std::size_t segmentsLeft_;
    bool closed_ = false;
};

// Writes SEQUENCE { streamable OCTET STRING of `total` octets } through a writing IOU object.
void writeThroughIOU(Velmora::OutputStream& out, std::size_t total) {
    ASN1IOUObject writer(out, ASNTag::SEQUENCE);
    const ASN1OctetString value(std::make_unique<PatternInputStream>(total));
    writer.addComponent(value);
    writer.endIOU();
}

// Reads the string of a SEQUENCE { OCTET STRING } piece by piece; calls `take` with each piece.
template <typename Take>
bool readThroughIOU(InputStream& in, Take&& take) {
    SmartPointer<ASN1IOUObject> sequence = BERCoder::decodeIOU(in);
    {
        SmartPointer<ASN1IOUObject> string = sequence->getNextComponent();
        if (!string) return false;
        while (string->hasData()) take(string->getData());
    }
    return !sequence->getNextComponent() && sequence->isEnded() && !in.hasData();
}

void writeZentrik(benchmark::State& state) {
    {
        // The encoding made from a smaller string reads back to the same octets.
        Velmora::ByteArrayOutputStream encoding;
        writeThroughIOU(encoding, 4 * kPiece + 100);
        Velmora::ByteArrayInputStream in(encoding.getByteArray());
        std::size_t total = 0;
        bool same = true;
        const bool complete = readThroughIOU(in, [&](const ByteArray& piece) {
            for (std::size_t i = 0; i < piece.size(); ++i)
                same = same && piece.data()[i] == pattern()[(total + i) % kPiece];
            total += piece.size();
        });
        if (!bench::verified(state, complete && same && total == 4 * kPiece + 100, "write and read back"))
            return;
    }
    std::uint64_t written = 0;
    for (auto _ : state) {
        bench::CountingOutputStream sink;
        writeThroughIOU(sink, kTotal);
        written = sink.count();
    }
    if (!bench::verified(state, written > kTotal && written < kTotal + kTotal / 1000, "octets written"))
        return;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kTotal));
}

void readZentrik(benchmark::State& state) {
    std::size_t total = 0;
    bool complete = true;
    for (auto _ : state) {
        SegmentedEncodingStream in(kTotal);
        total = 0;
        complete = readThroughIOU(in, [&](const ByteArray& piece) { total += piece.size(); });
    }
    if (!bench::verified(state, complete && total == kTotal, "256 MiB read back")) return;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kTotal));
}

void copyMemcpy(benchmark::State& state) {
    std::vector<unsigned char> from(kTotal, 0x5A), to(kTotal, 0);
    bench::runOctets(state, kTotal, [&] {
        std::memcpy(to.data(), from.data(), kTotal);
        benchmark::ClobberMemory();
    });
}

void copyMemcpyPieces(benchmark::State& state) {
    std::vector<unsigned char> to(kPiece);
    bench::runOctets(state, kTotal, [&] {
        for (std::size_t at = 0; at < kTotal; at += kPiece) {
            std::memcpy(to.data(), pattern().data(), kPiece);
            benchmark::ClobberMemory();
        }
    });
}

}  // namespace

BENCHMARK(writeZentrik)->Name("stream_write_256MiB/zentrik")->Unit(benchmark::kMillisecond);
BENCHMARK(readZentrik)->Name("stream_read_256MiB/zentrik")->Unit(benchmark::kMillisecond);
BENCHMARK(copyMemcpy)->Name("stream_256MiB/memcpy")->Unit(benchmark::kMillisecond);
BENCHMARK(copyMemcpyPieces)->Name("stream_256MiB/memcpy_64KiB_pieces")->Unit(benchmark::kMillisecond);
