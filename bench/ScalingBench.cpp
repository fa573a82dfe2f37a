// Scaling: DER decode and encode of a SEQUENCE of INTEGERs and of an OCTET STRING whose encodings
// are about n octets, n from 1 KiB to 64 MiB. Throughputs count octets of the encoding, so the time
// per octet should stay flat as n grows (every cost linear in the input).
#include <cstring>
#include <map>

#include "BenchSupport.h"
#include "zentrik/asn1/DERCoder.h"
#include "zentrik/platform/asn1/ASN1.h"

namespace {

using Ostrel::ASN1Object;
using Ostrel::ASNStructured;
using Ostrel::DERCoder;
using Velmora::ByteArray;
using Velmora::SmartPointer;

void appendHeader(std::vector<unsigned char>& out, unsigned char identifier, std::size_t length) {
    out.push_back(identifier);
    if (length < 0x80) {
        out.push_back(static_cast<unsigned char>(length));
        return;
    }
    unsigned char octets[8];
    int count = 0;
    for (std::size_t l = length; l; l >>= 8) octets[count++] = static_cast<unsigned char>(l);
    out.push_back(static_cast<unsigned char>(0x80 | count));
    while (count--) out.push_back(octets[count]);
}

// SEQUENCE of n/4 INTEGERs of two contents octets each (02 02 hi lo), 256 to 32,767 by turns.
ByteArray sequenceOfIntegers(std::size_t n) {
    const std::size_t count = n / 4;
    std::vector<unsigned char> out;
    out.reserve(n + 8);
    appendHeader(out, 0x30, count * 4);
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned int v = 0x100 + static_cast<unsigned int>(i % 0x7F00);
        out.insert(out.end(),
                   {0x02, 0x02, static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v)});
    }
    return bench::toByteArray(out);
}

ByteArray octetString(std::size_t n) {
    std::vector<unsigned char> out;
    out.reserve(n + 8);
    appendHeader(out, 0x04, n);
    const std::vector<unsigned char> contents = bench::randomOctets(n, n);
    out.insert(out.end(), contents.begin(), contents.end());
    return bench::toByteArray(out);
}

// Encodings by (kind, n), made once: the larger ones take a while.
const ByteArray& encoding(bool sequence, std::size_t n) {
    static std::map<std::pair<bool, std::size_t>, ByteArray> made;
    auto& slot = made[{sequence, n}];
    if (slot.isEmpty()) slot = sequence ? sequenceOfIntegers(n) : octetString(n);
    return slot;
}

void decode(benchmark::State& state, bool sequence) {
    const ByteArray& octets = encoding(sequence, static_cast<std::size_t>(state.range(0)));
    {
        SmartPointer<ASN1Object> value = DERCoder::decode(octets);
        const bool right =
            !sequence || static_cast<const ASNStructured*>(value.get())->getNumberOfComponents() ==
                             static_cast<unsigned int>(state.range(0) / 4);
        if (!bench::verified(state, right, "components")) return;
    }
    for (auto _ : state) {
        SmartPointer<ASN1Object> value = DERCoder::decode(octets);
        benchmark::DoNotOptimize(value.get());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * octets.size()));
}

void encode(benchmark::State& state, bool sequence) {
    const ByteArray& octets = encoding(sequence, static_cast<std::size_t>(state.range(0)));
    const SmartPointer<ASN1Object> value = DERCoder::decode(octets);
    if (!bench::verified(state, DERCoder::encode(value.get()) == octets, "round trip")) return;
    for (auto _ : state) {
        ByteArray again = DERCoder::encode(value.get());
        benchmark::DoNotOptimize(again.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * octets.size()));
}

// The reference: copying the same number of octets into a buffer made once.
void copyMemcpy(benchmark::State& state) {
    const ByteArray& octets = encoding(false, static_cast<std::size_t>(state.range(0)));
    std::vector<unsigned char> to(octets.size());
    bench::runOctets(state, octets.size(), [&] {
        std::memcpy(to.data(), octets.data(), octets.size());
        benchmark::ClobberMemory();
    });
}

void sizes(benchmark::internal::Benchmark* b) {
    for (long n : {1L << 10, 1L << 16, 1L << 22, 1L << 26}) b->Arg(n);
    b->Unit(benchmark::kMicrosecond);
}

// The copy-bound series are short and swayed by whatever else uses the memory bus: the median of three.
void sizesMedian(benchmark::internal::Benchmark* b) {
    sizes(b);
    b->Repetitions(3)->ReportAggregatesOnly(true);
}

}  // namespace

BENCHMARK_CAPTURE(decode, sequence, true)->Name("scaling_sequence_of_integers_decode")->Apply(sizes);
BENCHMARK_CAPTURE(encode, sequence, true)->Name("scaling_sequence_of_integers_encode")->Apply(sizes);
BENCHMARK_CAPTURE(decode, octets, false)->Name("scaling_octet_string_decode")->Apply(sizesMedian);
BENCHMARK_CAPTURE(encode, octets, false)->Name("scaling_octet_string_encode")->Apply(sizesMedian);
BENCHMARK(copyMemcpy)->Name("scaling_memcpy")->Apply(sizesMedian);
