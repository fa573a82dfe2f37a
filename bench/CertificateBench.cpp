// DER: a real RSA-2048 and an EC P-256 certificate (bench/data, made by make-data.sh) decoded into
// value objects and encoded again, against OpenSSL on the same octets: its template codec on a
// certificate template of our own, its X509 item, its generic decoder recursed to full depth, and
// a walk of the headers with ASN1_get_object (the floor).
//
// The library's decoder keeps context-specific elements ([0] version, [3] extensions) as their
// encodings. The "full" cases also decode what is inside them, as a reader of a certificate would, so
// that every case counts the same elements; "items" is that count.
#include <openssl/x509.h>

#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "OpenSSLCertificate.h"
#include "zentrik/asn1/DERCoder.h"
#include "zentrik/platform/asn1/ASN1.h"
#include "zentrik/platform/utils/InputStream.h"

namespace {

using Ostrel::ASN1Object;
using Ostrel::ASNStructured;
using Ostrel::ASNTag;
using Ostrel::DERCoder;
using Velmora::ByteArray;
using Velmora::SmartPointer;

struct Certificate {
    explicit Certificate(const char* file)
        : octets(bench::readDataFile(file)), array(bench::toByteArray(octets)) {}
    std::vector<unsigned char> octets;
    ByteArray array;
};

const Certificate& rsaCertificate() {
    static const Certificate c("rsa2048.der");
    return c;
}

const Certificate& ecCertificate() {
    static const Certificate c("p256.der");
    return c;
}

using CertificateSource = const Certificate& (*)();

// --- the library ------------------------------------------------------------------------------------

// A decoded certificate with the contents of its constructed context-specific elements decoded too.
struct FullTree {
    struct Tagged {
        ASN1Object* value;  // the element as the decoder kept it (its encoding)
        unsigned char identifier;
        unsigned int tagNumber;
        std::vector<SmartPointer<ASN1Object>> inner;
    };
    SmartPointer<ASN1Object> root;
    std::vector<Tagged> tagged;  // in document order: an element comes before those nested in it
    std::size_t items = 0;
};

void decodeInside(ASN1Object* value, FullTree& tree) {
    ++tree.items;
    const ASNTag::ASN1_TAG kind = value->getTagValue();
    if (kind == ASNTag::SEQUENCE || kind == ASNTag::SET) {
        auto* structure = static_cast<ASNStructured*>(value);
        for (unsigned int i = 0; i < structure->getNumberOfComponents(); ++i)
            decodeInside(structure->getComponent(i), tree);
    } else if (kind == ASNTag::TAGGED && value->isConstructed()) {
        const ByteArray& encoding = value->getDERBytes();
        Velmora::ByteArrayInputStream in(encoding.data(), encoding.size());
        const unsigned int tagNumber = DERCoder::getTaggedValue(in);
        DERCoder::getLength(in);
        const std::size_t at = tree.tagged.size();
        tree.tagged.push_back({value, encoding[0u], tagNumber, {}});
        while (in.remaining() > 0) {
            SmartPointer<ASN1Object> inner = DERCoder::decode(in);
            decodeInside(inner.get(), tree);
            tree.tagged[at].inner.push_back(std::move(inner));
        }
    }
}

FullTree decodeFull(const ByteArray& octets) {
    FullTree tree;
    tree.root = DERCoder::decode(octets);
    decodeInside(tree.root.get(), tree);
    return tree;
}

// Encodes the inner values again, stores each context-specific element's new encoding in it (the
// innermost first), then encodes the whole tree.
ByteArray encodeFull(FullTree& tree) {
    for (auto t = tree.tagged.rbegin(); t != tree.tagged.rend(); ++t) {
        Velmora::ByteArrayOutputStream contents;
        for (const auto& inner : t->inner) DERCoder::encode(inner.get(), contents);
        ByteArray encoding = DERCoder::encodeTagClassValue(t->identifier & 0xE0, t->tagNumber);
        encoding += DERCoder::encodeLength(static_cast<unsigned int>(contents.size()));
        encoding += contents.getByteArray();
        t->value->setDERBytes(encoding);
    }
    return DERCoder::encode(tree.root.get());
}

void reportCertificate(benchmark::State& state, const Certificate& c, long items) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * c.octets.size()));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * items);
    state.counters["items"] = static_cast<double>(items);
}

void zentrikDecode(benchmark::State& state, CertificateSource source) {
    const Certificate& c = source();
    if (!bench::verified(state, DERCoder::encode(DERCoder::decode(c.array).get()) == c.array, "round trip"))
        return;
    for (auto _ : state) {
        SmartPointer<ASN1Object> value = DERCoder::decode(c.array);
        benchmark::DoNotOptimize(value.get());
    }
    FullTree probe;
    probe.root = DERCoder::decode(c.array);
    std::size_t topItems = 0;
    // Elements of the tree as the decoder builds it (context-specific ones count as one).
    auto count = [&](auto&& self, const ASN1Object* v) -> void {
        ++topItems;
        if (v->getTagValue() == ASNTag::SEQUENCE || v->getTagValue() == ASNTag::SET) {
            const auto* s = static_cast<const ASNStructured*>(v);
            for (unsigned int i = 0; i < s->getNumberOfComponents(); ++i) self(self, s->getComponent(i));
        }
    };
    count(count, probe.root.get());
    reportCertificate(state, c, static_cast<long>(topItems));
}

void zentrikDecodeFull(benchmark::State& state, CertificateSource source) {
    const Certificate& c = source();
    const long items = static_cast<long>(decodeFull(c.array).items);
    if (!bench::verified(
            state, items == bench::openssl::walkHeaders(c.octets.data(), static_cast<long>(c.octets.size())),
            "element count"))
        return;
    for (auto _ : state) {
        FullTree tree = decodeFull(c.array);
        benchmark::DoNotOptimize(tree.root.get());
    }
    reportCertificate(state, c, items);
}

void zentrikEncode(benchmark::State& state, CertificateSource source) {
    const Certificate& c = source();
    const SmartPointer<ASN1Object> value = DERCoder::decode(c.array);
    if (!bench::verified(state, DERCoder::encode(value.get()) == c.array, "encode")) return;
    for (auto _ : state) {
        ByteArray octets = DERCoder::encode(value.get());
        benchmark::DoNotOptimize(octets.data());
    }
    reportCertificate(state, c, 1);
}

void zentrikEncodeFull(benchmark::State& state, CertificateSource source) {
    const Certificate& c = source();
    FullTree tree = decodeFull(c.array);
    if (!bench::verified(state, encodeFull(tree) == c.array, "encode")) return;
    for (auto _ : state) {
        ByteArray octets = encodeFull(tree);
        benchmark::DoNotOptimize(octets.data());
    }
    reportCertificate(state, c, static_cast<long>(tree.items));
}

void zentrikDecodeEncodeFull(benchmark::State& state, CertificateSource source) {
    const Certificate& c = source();
    {
        FullTree tree = decodeFull(c.array);
        if (!bench::verified(state, encodeFull(tree) == c.array, "decode and encode")) return;
    }
    long items = 0;
    for (auto _ : state) {
        FullTree tree = decodeFull(c.array);
        ByteArray octets = encodeFull(tree);
        benchmark::DoNotOptimize(octets.data());
        items = static_cast<long>(tree.items);
    }
    reportCertificate(state, c, items);
}

// --- OpenSSL ------------------------------------------------------------------------------------------

void opensslGenericFull(benchmark::State& state, CertificateSource source) {
    const Certificate& c = source();
    const long length = static_cast<long>(c.octets.size());
    const long items = bench::openssl::decodeGenericFullDepth(c.octets.data(), length);
    if (!bench::verified(state, items == bench::openssl::walkHeaders(c.octets.data(), length),
                         "element count"))
        return;
    for (auto _ : state)
        benchmark::DoNotOptimize(bench::openssl::decodeGenericFullDepth(c.octets.data(), length));
    reportCertificate(state, c, items);
}

struct ItemValue {
    ASN1_VALUE* value;
    ~ItemValue() { ASN1_item_free(value, bench::openssl::certificateItem()); }
};

ASN1_VALUE* templateDecode(const Certificate& c) {
    const unsigned char* p = c.octets.data();
    return ASN1_item_d2i(nullptr, &p, static_cast<long>(c.octets.size()), bench::openssl::certificateItem());
}

bool templateRoundTrips(const Certificate& c) {
    ItemValue decoded{templateDecode(c)};
    if (!decoded.value) return false;
    unsigned char* out = nullptr;
    const int n = ASN1_item_i2d(decoded.value, &out, bench::openssl::certificateItem());
    const bool same = n > 0 && ByteArray(out, static_cast<std::size_t>(n)) == c.array;
    OPENSSL_free(out);
    return same;
}

void opensslTemplateDecode(benchmark::State& state, CertificateSource source) {
    const Certificate& c = source();
    if (!bench::verified(state, templateRoundTrips(c), "template round trip")) return;
    for (auto _ : state) {
        ItemValue decoded{templateDecode(c)};
        benchmark::DoNotOptimize(decoded.value);
    }
    reportCertificate(state, c,
                      bench::openssl::walkHeaders(c.octets.data(), static_cast<long>(c.octets.size())));
}

void opensslTemplateEncode(benchmark::State& state, CertificateSource source) {
    const Certificate& c = source();
    if (!bench::verified(state, templateRoundTrips(c), "template round trip")) return;
    ItemValue decoded{templateDecode(c)};
    for (auto _ : state) {
        unsigned char* out = nullptr;
        benchmark::DoNotOptimize(ASN1_item_i2d(decoded.value, &out, bench::openssl::certificateItem()));
        OPENSSL_free(out);
    }
    reportCertificate(state, c,
                      bench::openssl::walkHeaders(c.octets.data(), static_cast<long>(c.octets.size())));
}

void opensslTemplateDecodeEncode(benchmark::State& state, CertificateSource source) {
    const Certificate& c = source();
    if (!bench::verified(state, templateRoundTrips(c), "template round trip")) return;
    for (auto _ : state) {
        ItemValue decoded{templateDecode(c)};
        unsigned char* out = nullptr;
        benchmark::DoNotOptimize(ASN1_item_i2d(decoded.value, &out, bench::openssl::certificateItem()));
        OPENSSL_free(out);
    }
    reportCertificate(state, c,
                      bench::openssl::walkHeaders(c.octets.data(), static_cast<long>(c.octets.size())));
}

// OpenSSL's own X509 item, a fresh object each time. It does more than decode (it caches extension
// values and the encoding of the to-be-signed part, which i2d_X509 then copies instead of encoding).
void opensslX509Decode(benchmark::State& state, CertificateSource source) {
    const Certificate& c = source();
    for (auto _ : state) {
        const unsigned char* p = c.octets.data();
        X509* x = d2i_X509(nullptr, &p, static_cast<long>(c.octets.size()));
        benchmark::DoNotOptimize(x);
        X509_free(x);
    }
    reportCertificate(state, c,
                      bench::openssl::walkHeaders(c.octets.data(), static_cast<long>(c.octets.size())));
}

void opensslX509DecodeEncode(benchmark::State& state, CertificateSource source) {
    const Certificate& c = source();
    for (auto _ : state) {
        const unsigned char* p = c.octets.data();
        X509* x = d2i_X509(nullptr, &p, static_cast<long>(c.octets.size()));
        unsigned char* out = nullptr;
        benchmark::DoNotOptimize(i2d_X509(x, &out));
        OPENSSL_free(out);
        X509_free(x);
    }
    reportCertificate(state, c,
                      bench::openssl::walkHeaders(c.octets.data(), static_cast<long>(c.octets.size())));
}

void opensslWalk(benchmark::State& state, CertificateSource source) {
    const Certificate& c = source();
    const long items = bench::openssl::walkHeaders(c.octets.data(), static_cast<long>(c.octets.size()));
    for (auto _ : state)
        benchmark::DoNotOptimize(
            bench::openssl::walkHeaders(c.octets.data(), static_cast<long>(c.octets.size())));
    reportCertificate(state, c, items);
}

void registerAll() {
    const std::pair<const char*, CertificateSource> certificates[] = {{"rsa2048", rsaCertificate},
                                                                      {"p256", ecCertificate}};
    const std::pair<const char*, void (*)(benchmark::State&, CertificateSource)> cases[] = {
        {"decode/zentrik", zentrikDecode},
        {"decode/zentrik_full", zentrikDecodeFull},
        {"decode/openssl_template", opensslTemplateDecode},
        {"decode/openssl_generic_full", opensslGenericFull},
        {"decode/openssl_d2i_X509", opensslX509Decode},
        {"decode/openssl_get_object_walk", opensslWalk},
        {"encode/zentrik", zentrikEncode},
        {"encode/zentrik_full", zentrikEncodeFull},
        {"encode/openssl_template", opensslTemplateEncode},
        {"decode_encode/zentrik_full", zentrikDecodeEncodeFull},
        {"decode_encode/openssl_template", opensslTemplateDecodeEncode},
        {"decode_encode/openssl_X509", opensslX509DecodeEncode},
    };
    for (const auto& [certificate, source] : certificates)
        for (const auto& [name, run] : cases)
            benchmark::RegisterBenchmark((std::string("der_cert_") + certificate + "_" + name).c_str(), run,
                                         source);
    // Throughput on one and on two threads, each decoding certificates of its own (wall-clock time:
    // the table compares the items per second of the two runs).
    const std::pair<const char*, void (*)(benchmark::State&, CertificateSource)> threaded[] = {
        {"decode_threads/zentrik_full", zentrikDecodeFull},
        {"decode_threads/openssl_template", opensslTemplateDecode},
    };
    for (const auto& [name, run] : threaded)
        benchmark::RegisterBenchmark((std::string("der_cert_rsa2048_") + name).c_str(), run, rsaCertificate)
            ->Threads(1)
            ->Threads(2)
            ->UseRealTime();
}

const int registered = (registerAll(), 0);

}  // namespace
