// Base64: whole buffers without line breaks against OpenSSL's block functions and memcpy; text with
// CR LF every 76 characters against EVP_DecodeUpdate; the stream filters in chunks of 64 KiB, against
// OpenSSL and against the whole-buffer coder on the same text.
// Every throughput counts octets of binary data (the encoder's input, the decoder's output).
#include <openssl/evp.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "BenchSupport.h"
#include "zentrik/coders/Base64Coder.h"
#include "zentrik/coders/Base64InputStream.h"
#include "zentrik/coders/Base64OutputStream.h"
#include "zentrik/platform/utils/InputStream.h"

namespace {

using bench::KiB;
using bench::MiB;
using Velmora::Base64Coder;
using Velmora::ByteArray;

constexpr std::size_t kStreamChunk = 64 * KiB;

struct Base64Data {
    explicit Base64Data(std::size_t size) : raw(bench::randomOctets(size)) {
        const ByteArray rawArray = bench::toByteArray(raw);
        plain = Base64Coder(false).encode(rawArray);
        crlf = Base64Coder(true).encode(rawArray);
        bench::require(Base64Coder(false).decode(plain) == rawArray, "Base64 round trip without line breaks");
        bench::require(Base64Coder(true).decode(crlf) == rawArray, "Base64 round trip with CR LF");
    }
    std::vector<unsigned char> raw;
    ByteArray plain;  // one unbroken line
    ByteArray crlf;   // lines of 76 characters ended by CR LF, as Base64Coder(true) writes them
};

const Base64Data& data1MiB() {
    static const Base64Data data(1 * MiB);
    return data;
}

const Base64Data& data64MiB() {
    static const Base64Data data(64 * MiB);
    return data;
}

struct EncodeContext {
    std::unique_ptr<EVP_ENCODE_CTX, decltype(&EVP_ENCODE_CTX_free)> ctx{EVP_ENCODE_CTX_new(),
                                                                        &EVP_ENCODE_CTX_free};
};

// EVP_DecodeUpdate over `text` in pieces of at most `piece` characters; returns the decoded length.
std::size_t opensslDecodeUpdate(const unsigned char* text, std::size_t length, unsigned char* out,
                                std::size_t piece) {
    EncodeContext c;
    EVP_DecodeInit(c.ctx.get());
    std::size_t written = 0;
    for (std::size_t at = 0; at < length; at += piece) {
        int n = 0;
        const int in = static_cast<int>(std::min(piece, length - at));
        if (EVP_DecodeUpdate(c.ctx.get(), out + written, &n, text + at, in) < 0) return 0;
        written += static_cast<std::size_t>(n);
    }
    int n = 0;
    if (EVP_DecodeFinal(c.ctx.get(), out + written, &n) < 0) return 0;
    return written + static_cast<std::size_t>(n);
}

// --- without line breaks, 1 MiB -------------------------------------------------------------------

// The whole-buffer coder, with or without line breaks.
void encodeZentrik(benchmark::State& state, const Base64Data& (*data)(), bool breakLines) {
    const ByteArray input = bench::toByteArray(data().raw);
    Base64Coder coder(breakLines);
    if (!bench::verified(state, coder.encode(input) == (breakLines ? data().crlf : data().plain), "encode"))
        return;
    bench::runOctets(state, input.size(), [&] {
        ByteArray text = coder.encode(input);
        benchmark::DoNotOptimize(text.data());
    });
}

void encodeOpenSSLBlock(benchmark::State& state) {
    const auto& raw = data1MiB().raw;
    std::vector<unsigned char> out(raw.size() / 3 * 4 + 8);
    const int n = EVP_EncodeBlock(out.data(), raw.data(), static_cast<int>(raw.size()));
    if (!bench::verified(state, ByteArray(out.data(), static_cast<std::size_t>(n)) == data1MiB().plain,
                         "encode"))
        return;
    bench::runOctets(state, raw.size(), [&] {
        benchmark::DoNotOptimize(EVP_EncodeBlock(out.data(), raw.data(), static_cast<int>(raw.size())));
        benchmark::ClobberMemory();
    });
}

void decodeZentrik(benchmark::State& state) {
    const ByteArray& text = data1MiB().plain;
    Base64Coder coder(false);
    bench::runOctets(state, data1MiB().raw.size(), [&] {
        ByteArray octets = coder.decode(text);
        benchmark::DoNotOptimize(octets.data());
    });
}

void decodeOpenSSLBlock(benchmark::State& state) {
    const ByteArray& text = data1MiB().plain;
    std::vector<unsigned char> out(text.size() / 4 * 3 + 8);
    const int n = EVP_DecodeBlock(out.data(), text.data(), static_cast<int>(text.size()));
    // EVP_DecodeBlock counts the padding as octets; the first raw.size() octets must match.
    if (!bench::verified(
            state, n >= 0 && std::equal(data1MiB().raw.begin(), data1MiB().raw.end(), out.begin()), "decode"))
        return;
    bench::runOctets(state, data1MiB().raw.size(), [&] {
        benchmark::DoNotOptimize(EVP_DecodeBlock(out.data(), text.data(), static_cast<int>(text.size())));
        benchmark::ClobberMemory();
    });
}

void copyMemcpy(benchmark::State& state) {
    const auto& raw = data1MiB().raw;
    std::vector<unsigned char> out(raw.size());
    bench::runOctets(state, raw.size(), [&] {
        std::memcpy(out.data(), raw.data(), raw.size());
        benchmark::ClobberMemory();
    });
}

// --- text with CR LF every 76 characters -----------------------------------------------------------

void decodeCRLFZentrik(benchmark::State& state, const Base64Data& (*data)()) {
    const ByteArray& text = data().crlf;
    Base64Coder coder(true);
    bench::runOctets(state, data().raw.size(), [&] {
        ByteArray octets = coder.decode(text);
        benchmark::DoNotOptimize(octets.data());
    });
}

void decodeCRLFOpenSSL(benchmark::State& state, const Base64Data& (*data)()) {
    const ByteArray& text = data().crlf;
    const auto& raw = data().raw;
    std::vector<unsigned char> out(text.size() / 4 * 3 + 80);
    const std::size_t n = opensslDecodeUpdate(text.data(), text.size(), out.data(), text.size());
    if (!bench::verified(state, n == raw.size() && std::equal(raw.begin(), raw.end(), out.begin()),
                         "EVP_DecodeUpdate"))
        return;
    bench::runOctets(state, raw.size(), [&] {
        benchmark::DoNotOptimize(opensslDecodeUpdate(text.data(), text.size(), out.data(), text.size()));
        benchmark::ClobberMemory();
    });
}

// --- stream filters over 64 MiB in chunks of 64 KiB -----------------------------------------------

// Base64OutputStream fed in 64 KiB chunks into a sink that only counts.
void outputStreamZentrik(benchmark::State& state, const Base64Data& (*data)()) {
    const auto& raw = data().raw;
    auto writeAll = [&](Velmora::OutputStream& sink) {
        Velmora::Base64OutputStream encoder(sink);
        for (std::size_t at = 0; at < raw.size(); at += kStreamChunk)
            encoder.write(raw.data() + at, std::min(kStreamChunk, raw.size() - at));
        encoder.flush();
    };
    {
        Velmora::ByteArrayOutputStream text;
        writeAll(text);
        if (!bench::verified(state, text.getByteArray() == data().crlf, "Base64OutputStream")) return;
    }
    bench::runOctets(state, raw.size(), [&] {
        bench::CountingOutputStream sink;
        writeAll(sink);
        benchmark::DoNotOptimize(sink.count());
    });
}

void outputStreamOpenSSL(benchmark::State& state) {
    const auto& raw = data64MiB().raw;
    std::vector<unsigned char> out(kStreamChunk / 48 * 65 + 200);
    bench::runOctets(state, raw.size(), [&] {
        EncodeContext c;
        EVP_EncodeInit(c.ctx.get());
        std::uint64_t written = 0;
        int n = 0;
        for (std::size_t at = 0; at < raw.size(); at += kStreamChunk) {
            EVP_EncodeUpdate(c.ctx.get(), out.data(), &n, raw.data() + at, static_cast<int>(kStreamChunk));
            written += static_cast<std::uint64_t>(n);
        }
        EVP_EncodeFinal(c.ctx.get(), out.data(), &n);
        benchmark::DoNotOptimize(written + static_cast<std::uint64_t>(n));
    });
}

// Base64InputStream drained in 64 KiB chunks from the text in memory.
void inputStreamZentrik(benchmark::State& state, const Base64Data& (*data)()) {
    const ByteArray& text = data().crlf;
    const auto& raw = data().raw;
    std::vector<unsigned char> chunk(kStreamChunk);
    auto readAll = [&](bool compare) {
        Velmora::ByteArrayInputStream source(text.data(), text.size());
        Velmora::Base64InputStream decoder(source);
        std::size_t total = 0;
        bool same = true;
        for (;;) {
            const std::size_t n = decoder.read(chunk.data(), chunk.size());
            if (n == 0) break;
            if (compare)
                same =
                    same && total + n <= raw.size() && std::memcmp(chunk.data(), raw.data() + total, n) == 0;
            total += n;
        }
        return same && total == raw.size();
    };
    if (!bench::verified(state, readAll(true), "Base64InputStream")) return;
    bench::runOctets(state, raw.size(), [&] { benchmark::DoNotOptimize(readAll(false)); });
}

void inputStreamOpenSSL(benchmark::State& state) {
    const ByteArray& text = data64MiB().crlf;
    const auto& raw = data64MiB().raw;
    // Text pieces that decode to about 64 KiB each, as the library's reader delivers them.
    const std::size_t piece = kStreamChunk / 57 * 78;
    std::vector<unsigned char> out(text.size() / 4 * 3 + 80);
    const std::size_t n = opensslDecodeUpdate(text.data(), text.size(), out.data(), piece);
    if (!bench::verified(state, n == raw.size() && std::equal(raw.begin(), raw.end(), out.begin()),
                         "EVP_DecodeUpdate"))
        return;
    bench::runOctets(state, raw.size(), [&] {
        benchmark::DoNotOptimize(opensslDecodeUpdate(text.data(), text.size(), out.data(), piece));
        benchmark::ClobberMemory();
    });
}

void copyMemcpyChunks64MiB(benchmark::State& state) {
    const auto& raw = data64MiB().raw;
    std::vector<unsigned char> out(kStreamChunk);
    bench::runOctets(state, raw.size(), [&] {
        for (std::size_t at = 0; at < raw.size(); at += kStreamChunk) {
            std::memcpy(out.data(), raw.data() + at, kStreamChunk);
            benchmark::ClobberMemory();
        }
    });
}

}  // namespace

BENCHMARK_CAPTURE(encodeZentrik, 1MiB, data1MiB, false)->Name("base64_encode_1MiB/zentrik");
BENCHMARK(encodeOpenSSLBlock)->Name("base64_encode_1MiB/openssl_EncodeBlock");
BENCHMARK(copyMemcpy)->Name("base64_encode_1MiB/memcpy");
BENCHMARK(decodeZentrik)->Name("base64_decode_1MiB/zentrik");
BENCHMARK(decodeOpenSSLBlock)->Name("base64_decode_1MiB/openssl_DecodeBlock");
BENCHMARK(copyMemcpy)->Name("base64_decode_1MiB/memcpy");
BENCHMARK_CAPTURE(decodeCRLFZentrik, 1MiB, data1MiB)->Name("base64_decode_crlf_1MiB/zentrik");
BENCHMARK_CAPTURE(decodeCRLFOpenSSL, 1MiB, data1MiB)->Name("base64_decode_crlf_1MiB/openssl_DecodeUpdate");
BENCHMARK_CAPTURE(decodeCRLFZentrik, 64MiB, data64MiB)->Name("base64_decode_crlf_64MiB/zentrik");
BENCHMARK_CAPTURE(decodeCRLFOpenSSL, 64MiB, data64MiB)->Name("base64_decode_crlf_64MiB/openssl_DecodeUpdate");
BENCHMARK_CAPTURE(outputStreamZentrik, 64MiB, data64MiB)->Name("base64_output_stream_64MiB/zentrik");
BENCHMARK(outputStreamOpenSSL)->Name("base64_output_stream_64MiB/openssl_EncodeUpdate");
BENCHMARK(copyMemcpyChunks64MiB)->Name("base64_output_stream_64MiB/memcpy");
BENCHMARK_CAPTURE(encodeZentrik, 64MiB_crlf, data64MiB, true)->Name("base64_output_stream_64MiB/zentrik_coder");
BENCHMARK_CAPTURE(inputStreamZentrik, 64MiB, data64MiB)->Name("base64_input_stream_64MiB/zentrik");
BENCHMARK(inputStreamOpenSSL)->Name("base64_input_stream_64MiB/openssl_DecodeUpdate");
BENCHMARK(copyMemcpyChunks64MiB)->Name("base64_input_stream_64MiB/memcpy");
BENCHMARK_CAPTURE(decodeCRLFZentrik, 64MiB, data64MiB)->Name("base64_input_stream_64MiB/zentrik_coder");
BENCHMARK_CAPTURE(outputStreamZentrik, 1MiB, data1MiB)->Name("base64_output_stream_1MiB/zentrik");
BENCHMARK_CAPTURE(encodeZentrik, 1MiB_crlf, data1MiB, true)->Name("base64_output_stream_1MiB/zentrik_coder");
BENCHMARK_CAPTURE(inputStreamZentrik, 1MiB, data1MiB)->Name("base64_input_stream_1MiB/zentrik");
BENCHMARK_CAPTURE(decodeCRLFZentrik, 1MiB, data1MiB)->Name("base64_input_stream_1MiB/zentrik_coder");
