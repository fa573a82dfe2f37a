// Heap held per decoded small element at the peak of a decode: a definite-length SEQUENCE of 100,000
// INTEGERs, BOOLEANs, short PrintableStrings or OBJECT IDENTIFIERs, decoded to objects and kept until
// the peak is read. Peer: OpenSSL's generic decoder of the same octets (d2i_ASN1_SEQUENCE_ANY, a stack
// of ASN1_TYPE), its allocations counted through CRYPTO_set_mem_functions. The result is the counter
// heap_bytes_per_element (usable block sizes, so the allocator's rounding counts, and the value pages
// in use, in whole pages).
#include <openssl/asn1.h>

#include <vector>

#include "BenchSupport.h"
#include "HeapCounter.h"
#include "zentrik/asn1/DERCoder.h"
#include "zentrik/platform/asn1/ASN1.h"
#include "zentrik/platform/asn1/ASN1ValueCache.h"

namespace {

using Ostrel::ASN1Object;
using Ostrel::ASNStructured;
using Ostrel::DERCoder;
using Velmora::SmartPointer;

constexpr unsigned int kElements = 100000;

// SEQUENCE { element x kElements } with a four-octet length.
std::vector<unsigned char> sequenceOf(const std::vector<unsigned char>& element) {
    const std::size_t length = element.size() * kElements;
    std::vector<unsigned char> out{0x30, 0x84, static_cast<unsigned char>(length >> 24),
                                   static_cast<unsigned char>(length >> 16),
                                   static_cast<unsigned char>(length >> 8), static_cast<unsigned char>(length)};
    for (unsigned int i = 0; i < kElements; ++i) out.insert(out.end(), element.begin(), element.end());
    return out;
}

void record(benchmark::State& state, std::size_t peak) {
    state.counters["heap_bytes_per_element"] = static_cast<double>(peak) / kElements;
}

void zentrik(benchmark::State& state, std::vector<unsigned char> element) {
    const Velmora::ByteArray input = bench::toByteArray(sequenceOf(element));
    std::size_t peak = 0;
    for (auto _ : state) {
        Ostrel::valueCache::trim();  // blocks cached by earlier cases would hide what this decode needs
        const std::size_t pagesBefore = Ostrel::valueCache::pageOctets();
        bench::heap::start();
        {
            SmartPointer<ASN1Object> value = DERCoder::decode(input);
            // Small values live in pages the library maps itself, which malloc does not see: whole
            // pages count, cut into blocks or not.
            peak = bench::heap::peak() + (Ostrel::valueCache::pageOctets() - pagesBefore);
            const auto* sequence = static_cast<const ASNStructured*>(value.get());
            if (!bench::verified(state, sequence->getNumberOfComponents() == kElements, "every element"))
                break;
        }
        bench::heap::stop();
    }
    record(state, peak);
}

void openssl(benchmark::State& state, std::vector<unsigned char> element) {
    const std::vector<unsigned char> input = sequenceOf(element);
    std::size_t peak = 0;
    for (auto _ : state) {
        bench::heap::startOpenSSL();
        const unsigned char* p = input.data();
        STACK_OF(ASN1_TYPE)* items = d2i_ASN1_SEQUENCE_ANY(nullptr, &p, static_cast<long>(input.size()));
        peak = bench::heap::peakOpenSSL();
        const bool right = items && sk_ASN1_TYPE_num(items) == static_cast<int>(kElements);
        sk_ASN1_TYPE_pop_free(items, ASN1_TYPE_free);
        if (!bench::verified(state, right, "every element")) break;
    }
    record(state, peak);
}

const std::vector<unsigned char> kInteger{0x02, 0x02, 0x01, 0x2C};
const std::vector<unsigned char> kBoolean{0x01, 0x01, 0xFF};
const std::vector<unsigned char> kString{0x13, 0x08, 'E', 'x', 'a', 'm', 'p', 'l', 'e', 's'};
const std::vector<unsigned char> kOID{0x06, 0x08, 0x2A, 0x86, 0x48, 0xCE, 0x3D, 0x03, 0x01, 0x07};

}  // namespace

// Each runs once: the count does not change from run to run.
BENCHMARK_CAPTURE(zentrik, integer, kInteger)->Name("heap_integer/zentrik")->Iterations(1);
BENCHMARK_CAPTURE(openssl, integer, kInteger)->Name("heap_integer/openssl_generic")->Iterations(1);
BENCHMARK_CAPTURE(zentrik, boolean, kBoolean)->Name("heap_boolean/zentrik")->Iterations(1);
BENCHMARK_CAPTURE(openssl, boolean, kBoolean)->Name("heap_boolean/openssl_generic")->Iterations(1);
BENCHMARK_CAPTURE(zentrik, string, kString)->Name("heap_printable_string_8/zentrik")->Iterations(1);
BENCHMARK_CAPTURE(openssl, string, kString)->Name("heap_printable_string_8/openssl_generic")->Iterations(1);
BENCHMARK_CAPTURE(zentrik, oid, kOID)->Name("heap_object_identifier/zentrik")->Iterations(1);
BENCHMARK_CAPTURE(openssl, oid, kOID)->Name("heap_object_identifier/openssl_generic")->Iterations(1);
