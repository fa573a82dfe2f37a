// BER: an indefinite-length SEQUENCE of 10,000 components, and a context-specific [0] of indefinite
// length holding nested indefinite elements, which the decoder gathers with readTillDoubleZero.
// Peers: OpenSSL's generic decoder on the same octets (d2i_ASN1_SEQUENCE_ANY; d2i_ASN1_TYPE, which
// finds the end of the [0] and copies it as an ANY) and the ASN1_get_object walk (the floor).
#include <openssl/asn1.h>

#include <cstring>

#include "BenchSupport.h"
#include "OpenSSLCertificate.h"
#include "zentrik/asn1/BERCoder.h"
#include "zentrik/platform/asn1/ASN1.h"

namespace {

using Ostrel::ASN1Object;
using Ostrel::ASNStructured;
using Ostrel::ASNTag;
using Ostrel::BERCoder;
using Velmora::ByteArray;
using Velmora::SmartPointer;

constexpr unsigned int kComponents = 10000;
constexpr unsigned int kGroups = 2000;

struct Encoding {
    std::vector<unsigned char> octets;
    ByteArray array;
    long items = 0;  // elements, end-of-contents octets included, as the header walk counts them
};

void append(std::vector<unsigned char>& out, std::initializer_list<unsigned char> octets) {
    out.insert(out.end(), octets);
}

void appendOctetString(std::vector<unsigned char>& out, unsigned char length, unsigned char fill) {
    out.push_back(0x04);
    out.push_back(length);
    out.insert(out.end(), length, fill);
}

Encoding finish(std::vector<unsigned char> octets) {
    Encoding e;
    e.octets = std::move(octets);
    e.array = bench::toByteArray(e.octets);
    e.items = bench::openssl::walkHeaders(e.octets.data(), static_cast<long>(e.octets.size()));
    return e;
}

// 30 80, then INTEGERs and OCTET STRINGs of 8 octets by turns, then 00 00.
const Encoding& indefiniteSequence() {
    static const Encoding e = [] {
        std::vector<unsigned char> out{0x30, 0x80};
        for (unsigned int i = 0; i < kComponents; ++i) {
            if (i % 2 == 0)
                append(out, {0x02, 0x02, static_cast<unsigned char>(0x01 + (i >> 8) % 0x7F),
                             static_cast<unsigned char>(i)});
            else
                appendOctetString(out, 8, static_cast<unsigned char>(i));
        }
        append(out, {0x00, 0x00});
        return finish(std::move(out));
    }();
    return e;
}

// A0 80 { kGroups x (A1 80 { A2 80 { 04 10 .., 02 01 05 } 00 00, 04 20 .. } 00 00) } 00 00.
const Encoding& nestedTagged() {
    static const Encoding e = [] {
        std::vector<unsigned char> out{0xA0, 0x80};
        for (unsigned int g = 0; g < kGroups; ++g) {
            append(out, {0xA1, 0x80, 0xA2, 0x80});
            appendOctetString(out, 0x10, static_cast<unsigned char>(g));
            append(out, {0x02, 0x01, 0x05, 0x00, 0x00});
            appendOctetString(out, 0x20, static_cast<unsigned char>(g >> 3));
            append(out, {0x00, 0x00});
        }
        append(out, {0x00, 0x00});
        return finish(std::move(out));
    }();
    return e;
}

void report(benchmark::State& state, const Encoding& e) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * e.octets.size()));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * e.items);
    state.counters["items"] = static_cast<double>(e.items);
}

void sequenceZentrik(benchmark::State& state) {
    const Encoding& e = indefiniteSequence();
    {
        SmartPointer<ASN1Object> value = BERCoder::decode(e.array);
        const bool right =
            value->getTagValue() == ASNTag::SEQUENCE &&
            static_cast<const ASNStructured*>(value.get())->getNumberOfComponents() == kComponents;
        if (!bench::verified(state, right, "10,000 components")) return;
    }
    for (auto _ : state) {
        SmartPointer<ASN1Object> value = BERCoder::decode(e.array);
        benchmark::DoNotOptimize(value.get());
    }
    report(state, e);
}

void sequenceOpenSSL(benchmark::State& state) {
    const Encoding& e = indefiniteSequence();
    auto decode = [&] {
        const unsigned char* p = e.octets.data();
        return d2i_ASN1_SEQUENCE_ANY(nullptr, &p, static_cast<long>(e.octets.size()));
    };
    {
        STACK_OF(ASN1_TYPE)* items = decode();
        const bool right = items && sk_ASN1_TYPE_num(items) == static_cast<int>(kComponents);
        sk_ASN1_TYPE_pop_free(items, ASN1_TYPE_free);
        if (!bench::verified(state, right, "10,000 components")) return;
    }
    for (auto _ : state) {
        STACK_OF(ASN1_TYPE)* items = decode();
        benchmark::DoNotOptimize(items);
        sk_ASN1_TYPE_pop_free(items, ASN1_TYPE_free);
    }
    report(state, e);
}

void nestedZentrik(benchmark::State& state) {
    const Encoding& e = nestedTagged();
    {
        SmartPointer<ASN1Object> value = BERCoder::decode(e.array);
        if (!bench::verified(state, value->getTagValue() == ASNTag::TAGGED && value->getDERBytes() == e.array,
                             "the [0] element kept whole"))
            return;
    }
    for (auto _ : state) {
        SmartPointer<ASN1Object> value = BERCoder::decode(e.array);
        benchmark::DoNotOptimize(value.get());
    }
    report(state, e);
}

void nestedOpenSSL(benchmark::State& state) {
    const Encoding& e = nestedTagged();
    auto decode = [&] {
        const unsigned char* p = e.octets.data();
        return d2i_ASN1_TYPE(nullptr, &p, static_cast<long>(e.octets.size()));
    };
    {
        ASN1_TYPE* value = decode();
        const bool right = value && value->type == V_ASN1_OTHER &&
                           value->value.asn1_string->length == static_cast<int>(e.octets.size());
        ASN1_TYPE_free(value);
        if (!bench::verified(state, right, "the [0] element kept whole")) return;
    }
    for (auto _ : state) {
        ASN1_TYPE* value = decode();
        benchmark::DoNotOptimize(value);
        ASN1_TYPE_free(value);
    }
    report(state, e);
}

void walk(benchmark::State& state, const Encoding& (*source)()) {
    const Encoding& e = source();
    for (auto _ : state)
        benchmark::DoNotOptimize(
            bench::openssl::walkHeaders(e.octets.data(), static_cast<long>(e.octets.size())));
    report(state, e);
}

}  // namespace

BENCHMARK(sequenceZentrik)->Name("ber_indefinite_sequence_10000/zentrik");
BENCHMARK(sequenceOpenSSL)->Name("ber_indefinite_sequence_10000/openssl_generic");
BENCHMARK_CAPTURE(walk, sequence, indefiniteSequence)
    ->Name("ber_indefinite_sequence_10000/openssl_get_object_walk");
BENCHMARK(nestedZentrik)->Name("ber_nested_tagged_read_till_double_zero/zentrik");
BENCHMARK(nestedOpenSSL)->Name("ber_nested_tagged_read_till_double_zero/openssl_d2i_ASN1_TYPE");
BENCHMARK_CAPTURE(walk, nested, nestedTagged)
    ->Name("ber_nested_tagged_read_till_double_zero/openssl_get_object_walk");
