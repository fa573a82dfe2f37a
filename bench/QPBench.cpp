// Quoted-printable: encode and decode of 1 MiB of text-like and of random data; memcpy of the same
// octets is the peer. Throughputs count octets of the original data. With ZENTRIK_QP_DATA_OUT set to a
// folder, the mail-like text and its encoding are also written there (text.bin, text.qp), for the
// Python peer that bench/run times on the same octets.
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <string_view>

#include "BenchSupport.h"
#include "zentrik/coders/QPCoder.h"

namespace {

using bench::MiB;
using Velmora::ByteArray;
using Velmora::QPCoder;

// Mail-like text: words, punctuation, a few Latin-1 letters and '=' signs, lines of 40 to 78 octets
// ended by CR LF (which the encoder escapes), some with trailing blanks.
std::vector<unsigned char> textLike(std::size_t size) {
    static constexpr std::string_view kWords[] = {
        "the",
        "quick",
        "brown",
        "fox",
        "jumps",
        "over",
        "lazy",
        "dog",
        "Zentrik",
        "coder",
        "price",
        "=",
        "50%",
        "caf\xE9",
        "na\xEFve",
        "stra\xDF"
        "e",
        "ASN.1",
        "Base64",
        "e-mail",
        "(note)",
        "2026-12-07",
    };
    std::vector<unsigned char> text;
    text.reserve(size + 100);
    const std::vector<unsigned char> dice = bench::randomOctets(size, 0x7E47);
    std::size_t roll = 0, line = 0;
    const std::size_t lineLimit = 40;
    while (text.size() < size) {
        const unsigned char r = dice[roll++ % dice.size()];
        const std::string_view word = kWords[r % std::size(kWords)];
        text.insert(text.end(), word.begin(), word.end());
        line += word.size();
        if (line >= lineLimit + (r % 39)) {
            if (r & 0x80) text.push_back(' ');  // a trailing blank, which must be escaped
            text.push_back('\r');
            text.push_back('\n');
            line = 0;
        } else {
            text.push_back((r & 7) == 0 ? ',' : ' ');
            ++line;
        }
    }
    text.resize(size);
    return text;
}

struct QPData {
    QPData(std::vector<unsigned char> octets) : raw(std::move(octets)) {
        const ByteArray array = bench::toByteArray(raw);
        encoded = QPCoder().encode(array);
        bench::require(QPCoder().decode(encoded) == array, "quoted-printable round trip");
    }
    std::vector<unsigned char> raw;
    ByteArray encoded;
};

void writeFile(const std::string& path, const unsigned char* octets, std::size_t count) {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(octets), static_cast<std::streamsize>(count));
    bench::require(static_cast<bool>(file), "cannot write " + path);
}

const QPData& textData() {
    static const QPData data = [] {
        QPData made(textLike(1 * MiB));
        if (const char* folder = std::getenv("ZENTRIK_QP_DATA_OUT")) {
            writeFile(std::string(folder) + "/text.bin", made.raw.data(), made.raw.size());
            writeFile(std::string(folder) + "/text.qp", made.encoded.data(), made.encoded.size());
        }
        return made;
    }();
    return data;
}

const QPData& randomData() {
    static const QPData data(bench::randomOctets(1 * MiB, 0x9D));
    return data;
}

void encodeZentrik(benchmark::State& state, const QPData& (*data)()) {
    const ByteArray input = bench::toByteArray(data().raw);
    QPCoder coder;
    bench::runOctets(state, input.size(), [&] {
        ByteArray text = coder.encode(input);
        benchmark::DoNotOptimize(text.data());
    });
    state.counters["expansion"] =
        static_cast<double>(data().encoded.size()) / static_cast<double>(input.size());
}

void decodeZentrik(benchmark::State& state, const QPData& (*data)()) {
    const ByteArray& text = data().encoded;
    QPCoder coder;
    bench::runOctets(state, data().raw.size(), [&] {
        ByteArray octets = coder.decode(text);
        benchmark::DoNotOptimize(octets.data());
    });
}

void copyMemcpy(benchmark::State& state, const QPData& (*data)()) {
    const auto& raw = data().raw;
    std::vector<unsigned char> out(raw.size());
    bench::runOctets(state, raw.size(), [&] {
        std::memcpy(out.data(), raw.data(), raw.size());
        benchmark::ClobberMemory();
    });
}

}  // namespace

BENCHMARK_CAPTURE(encodeZentrik, text, textData)->Name("qp_encode_text_1MiB/zentrik");
BENCHMARK_CAPTURE(copyMemcpy, text, textData)->Name("qp_encode_text_1MiB/memcpy");
BENCHMARK_CAPTURE(decodeZentrik, text, textData)->Name("qp_decode_text_1MiB/zentrik");
BENCHMARK_CAPTURE(copyMemcpy, text, textData)->Name("qp_decode_text_1MiB/memcpy");
BENCHMARK_CAPTURE(encodeZentrik, random, randomData)->Name("qp_encode_random_1MiB/zentrik");
BENCHMARK_CAPTURE(copyMemcpy, random, randomData)->Name("qp_encode_random_1MiB/memcpy");
BENCHMARK_CAPTURE(decodeZentrik, random, randomData)->Name("qp_decode_random_1MiB/zentrik");
BENCHMARK_CAPTURE(copyMemcpy, random, randomData)->Name("qp_decode_random_1MiB/memcpy");
