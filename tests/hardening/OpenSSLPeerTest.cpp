// Interoperability with OpenSSL, driven by the openssl tool at test time (skipped without it).
// Documents of every key type and kind that OpenSSL makes round-trip octet for octet through the DER
// coder, read the same through the BER coder and the streaming readers, and OpenSSL reads back what
// our coders write: re-encodings of its own documents, values described to its generator, CMS data.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "hardening/HardeningSupport.h"
#include "support/Peers.h"
#include "zentrik/asn1/BERCoder.h"
#include "zentrik/asn1/DERCoder.h"
#include "zentrik/iou/ASN1IOUObject.h"
#include "zentrik/platform/asn1/ASN1.h"

namespace hardening_test {
namespace {

namespace fs = std::filesystem;
using zentrik_test::haveOpenSSL, zentrik_test::quoted, zentrik_test::readBytes, zentrik_test::run,
    zentrik_test::Scratch, zentrik_test::sourceDir, zentrik_test::writeBytes, zentrik_test::writeText;
using namespace Ostrel;
using Velmora::ByteArrayInputStream;
using Velmora::InputStream;
using Velmora::SmartPointer;
using Velmora::String;

// The documents that peer-documents.sh makes, in a scratch folder; made once per test.
class Documents {
  public:
    Documents() {
        ok_ = run("bash " + quoted(sourceDir() / "tests/hardening/peer-documents.sh") + " " +
                      quoted(scratch_.path() / "docs"),
                  scratch_ / "make.log") == 0;
        if (!ok_) return;
        for (const auto& entry : fs::directory_iterator(scratch_.path() / "docs")) {
            const std::string ext = entry.path().extension().string();
            if (ext == ".der" || ext == ".ber") files_.push_back(entry.path());
        }
        std::sort(files_.begin(), files_.end());
    }
    bool ok() const { return ok_; }
    const std::vector<fs::path>& files() const { return files_; }
    fs::path file(const std::string& name) const { return scratch_.path() / "docs" / name; }
    fs::path scratch(const std::string& name) const { return scratch_ / name; }
    std::string log() const { return std::string(readBytes(scratch_ / "make.log").view()); }

  private:
    Scratch scratch_;
    bool ok_ = false;
    std::vector<fs::path> files_;
};

// The openssl command that prints a document of the kind its name says, reading `in`.
std::string printCommand(const std::string& name, const fs::path& in) {
    const std::string f = " -in " + quoted(in);
    auto has = [&](const char* part) { return name.find(part) != std::string::npos; };
    if (has("ocsp-request")) return "openssl ocsp -req_text -reqin " + quoted(in);
    if (has("certificate")) return "openssl x509 -inform DER -noout -text" + f;
    if (has("request.der")) return "openssl req -inform DER -noout -text" + f;
    if (has("-private")) return "openssl pkey -inform DER -noout -text" + f;
    if (has("-public")) return "openssl pkey -pubin -inform DER -noout -text" + f;
    if (has("rsa-traditional")) return "openssl rsa -inform DER -noout -text" + f;
    if (has("ec256-traditional")) return "openssl ec -inform DER -noout -text" + f;
    if (has("ec384-parameters")) return "openssl ecparam -inform DER -noout -text" + f;
    if (has("revocation-list")) return "openssl crl -inform DER -noout -text" + f;
    if (has("pkcs7")) return "openssl pkcs7 -inform DER -print -noout" + f;
    if (has("pkcs12")) return "openssl pkcs12 -passin pass:peer -nokeys -info" + f;
    if (has("cms")) return "openssl cms -cmsout -print -noout -inform DER" + f;
    return "openssl asn1parse -inform DER" + f;
}

// Walks one element with the streaming readers, components in depth; context-tagged components are
// read as implicit ones (constructed as SEQUENCE, primitive as OCTET STRING). Counts the elements.
void walk(ASN1IOUObject& object, InputStream& in, std::size_t& elements) {
    ++elements;
    if (!object.isConstructed()) {
        object.getValue();
        return;
    }
    while (object.hasNextComponent()) {
        const unsigned char next = in.peek(1)[0];
        SmartPointer<ASN1IOUObject> component =
            (next & 0x80)
                ? object.getNextImplicitComponent((next & 0x20) ? ASNTag::SEQUENCE : ASNTag::OCTET_STRING)
                : object.getNextComponent();
        ASSERT_TRUE(component);
        walk(*component, in, elements);
    }
}

// The number of elements openssl asn1parse lists (lines "offset:d=depth ...").
std::size_t openSSLElements(const fs::path& file, const fs::path& log) {
    if (run("openssl asn1parse -inform DER -in " + quoted(file), log) != 0) return 0;
    const std::string text(readBytes(log).view());
    std::size_t count = 0;
    for (std::size_t at = text.find(":d="); at != std::string::npos; at = text.find(":d=", at + 3)) ++count;
    return count;
}

TEST(OpenSSLPeerTest, DocumentsOfEveryKeyTypeAndKindRoundTripOctetForOctet) {
    if (!haveOpenSSL()) GTEST_SKIP() << "the openssl tool is not available";
    const Documents docs;
    ASSERT_TRUE(docs.ok()) << docs.log();
    for (const char* required :
         {"rsa-certificate.der", "rsapss-certificate.der", "ec256-certificate.der", "ec384-certificate.der",
          "ed25519-certificate.der", "ed448-certificate.der", "rsa-private.der", "ed448-public.der",
          "ec256-request.der", "leaf-certificate.der", "revocation-list.der", "ocsp-request.der",
          "ocsp-request-nonce.der", "pkcs7-bundle.der", "cms-signed.der", "cms-enveloped.der"})
        EXPECT_TRUE(fs::exists(docs.file(required))) << required << " was not made: " << docs.log();

    std::size_t checked = 0;
    for (const fs::path& path : docs.files()) {
        if (path.extension() != ".der") continue;
        SCOPED_TRACE(path.filename().string());
        const ByteArray original = readBytes(path);
        ASSERT_FALSE(original.isEmpty());
        // DER: decode and encode give the very same octets.
        SmartPointer<ASN1Object> value;
        ASSERT_FALSE(outcomeOf([&] { value = DERCoder::decode(original); }).failed());
        EXPECT_TRUE(DERCoder::encode(value.get()) == original);
        // BER reads DER the same way.
        SmartPointer<ASN1Object> lenient;
        ASSERT_FALSE(outcomeOf([&] { lenient = BERCoder::decode(original); }).failed());
        EXPECT_TRUE(DERCoder::encode(lenient.get()) == original);
        EXPECT_TRUE(BERCoder::encode(lenient.get()) == original);
        // The streaming readers meet every element that openssl lists, and end where the data ends.
        ByteArrayInputStream in(original);
        std::size_t elements = 0;
        const Outcome walked = outcomeOf([&] { walk(*BERCoder::decodeIOU(in), in, elements); });
        EXPECT_FALSE(walked.failed()) << walked.text();
        EXPECT_EQ(in.getCount(), original.size());
        EXPECT_EQ(elements, openSSLElements(path, docs.scratch("asn1parse.txt")));
        // The components of the outer element, cut out one by one, make up its contents.
        ByteArray contents;
        const std::size_t outer =
            value->isConstructed() ? dynamic_cast<ASNStructured&>(*value).getNumberOfComponents() : 0;
        for (unsigned int i = 0; i < outer; ++i) contents += DERCoder::getComponent(original, i);
        if (outer > 0) {
            EXPECT_TRUE(original.right(original.size() - contents.size()) == contents);
        }
        ++checked;
    }
    EXPECT_GE(checked, 30u);
}

TEST(OpenSSLPeerTest, OpenSSLReadsOurReencodingsOfItsDocuments) {
    if (!haveOpenSSL()) GTEST_SKIP() << "the openssl tool is not available";
    const Documents docs;
    ASSERT_TRUE(docs.ok()) << docs.log();
    std::size_t checked = 0;
    for (const fs::path& path : docs.files()) {
        const std::string name = path.filename().string();
        SCOPED_TRACE(name);
        const ByteArray original = readBytes(path);
        SmartPointer<ASN1Object> value;
        ASSERT_FALSE(outcomeOf([&] { value = BERCoder::decode(original); }).failed());
        const fs::path theirs = docs.scratch("theirs.txt");
        ASSERT_EQ(run(printCommand(name, path), theirs), 0) << std::string(readBytes(theirs).view());
        const std::string expected(readBytes(theirs).view());
        for (bool ber : {false, true}) {
            SCOPED_TRACE(ber ? "BERCoder" : "DERCoder");
            const fs::path ours = docs.scratch(ber ? "ours.ber" : "ours.der");
            writeBytes(ours, ber ? BERCoder::encode(value.get()) : DERCoder::encode(value.get()));
            const fs::path printed = docs.scratch("ours.txt");
            ASSERT_EQ(run(printCommand(name, ours), printed), 0) << std::string(readBytes(printed).view());
            EXPECT_EQ(std::string(readBytes(printed).view()), expected);
            EXPECT_EQ(run("openssl asn1parse -inform DER -in " + quoted(ours)), 0);
        }
        ++checked;
    }
    EXPECT_GE(checked, 30u);
    // The streamed CMS message (indefinite lengths) verifies once we have rewritten it in DER.
    const fs::path streamed = docs.file("cms-signed-streamed.ber");
    ASSERT_TRUE(fs::exists(streamed));
    const fs::path rewritten = docs.scratch("rewritten.der");
    writeBytes(rewritten, DERCoder::encode(BERCoder::decode(readBytes(streamed)).get()));
    const fs::path content = docs.scratch("content.out");
    ASSERT_EQ(run("openssl cms -verify -noverify -inform DER -in " + quoted(rewritten) + " -out " +
                  quoted(content)),
              0);
    EXPECT_TRUE(readBytes(content) == readBytes(docs.file("content.txt")));
}

// A value built with the library and the same value described to OpenSSL's generator.
struct Described {
    const char* name;
    std::function<std::unique_ptr<ASN1Object>()> build;
    const char* config;  // the generator's description; "asn1=" names the value
};

template <typename T, typename... A>
std::unique_ptr<ASN1Object> make(A&&... a) {
    return std::make_unique<T>(std::forward<A>(a)...);
}
std::unique_ptr<ASN1Object> tagged(std::unique_ptr<ASN1Object> v, unsigned int n, bool isExplicit) {
    if (isExplicit)
        v->setExplicitTag(n);
    else
        v->setImplicitTag(n);
    return v;
}

TEST(OpenSSLPeerTest, OpenSSLBuildsTheSameDERFromADescription) {
    if (!haveOpenSSL()) GTEST_SKIP() << "the openssl tool is not available";
    const std::vector<Described> cases = {
        {"small integers", [] { return make<ASN1Integer>(-129); }, "asn1=INTEGER:-129"},
        {"integer 128", [] { return make<ASN1Integer>(128); }, "asn1=INTEGER:128"},
        {"large integer",
         [] {
             return make<ASN1Integer>(
                 Velmora::BigNumber::fromDecimal("123456789012345678901234567890123456789"));
         },
         "asn1=INTEGER:123456789012345678901234567890123456789"},
        {"boolean", [] { return make<ASN1Boolean>(true); }, "asn1=BOOLEAN:TRUE"},
        {"null", [] { return make<ASN1Null>(); }, "asn1=NULL"},
        {"oid", [] { return make<ASN1ObjectIdentifier>("1.2.840.113549.1.1.11"); },
         "asn1=OID:1.2.840.113549.1.1.11"},
        {"oid with a large second arc", [] { return make<ASN1ObjectIdentifier>("2.999.3"); },
         "asn1=OID:2.999.3"},
        {"oid with a 32-bit arc", [] { return make<ASN1ObjectIdentifier>("1.3.4294967295"); },
         "asn1=OID:1.3.4294967295"},
        {"enumerated -1", [] { return make<ASN1Enumerated>(-1); }, "asn1=ENUMERATED:-1"},
        {"enumerated 300", [] { return make<ASN1Enumerated>(300); }, "asn1=ENUMERATED:300"},
        {"utf8",
         [] {
             return make<ASN1UTF8String>(
                 String("Gr\xC3\xBC\xC3\x9F"
                        "e \xE2\x82\xAC"));
         },
         "asn1=FORMAT:UTF8,UTF8String:Gr\xC3\xBC\xC3\x9F"
         "e \xE2\x82\xAC"},
        {"printable", [] { return make<ASN1PrintableString>("Zentrik Test"); },
         "asn1=PRINTABLESTRING:Zentrik Test"},
        {"ia5", [] { return make<ASN1IA5String>("peer@example.org"); }, "asn1=IA5STRING:peer@example.org"},
        {"numeric", [] { return make<ASN1NumericString>("0123 456"); }, "asn1=NUMERICSTRING:0123 456"},
        {"visible", [] { return make<ASN1VisibleString>("visible"); }, "asn1=VISIBLESTRING:visible"},
        {"teletex", [] { return make<ASN1TeletexString>("t61"); }, "asn1=T61STRING:t61"},
        {"bmp", [] { return make<ASN1BMPString>("bmp text"); }, "asn1=BMPSTRING:bmp text"},
        {"utc time", [] { return make<ASN1UTCTime>("991231235959Z"); }, "asn1=UTCTIME:991231235959Z"},
        {"generalized time", [] { return make<ASN1GeneralizedTime>("20501231235959Z"); },
         "asn1=GENERALIZEDTIME:20501231235959Z"},
        {"octet string", [] { return make<ASN1OctetString>(hex("DE AD BE EF")); },
         "asn1=FORMAT:HEX,OCTETSTRING:DEADBEEF"},
        {"bit string", [] { return make<ASN1BitString>(hex("F0 F1"), 0); }, "asn1=FORMAT:HEX,BITSTRING:F0F1"},
        {"explicit tag", [] { return tagged(make<ASN1Integer>(5), 0, true); }, "asn1=EXPLICIT:0,INTEGER:5"},
        {"explicit high tag", [] { return tagged(make<ASN1Integer>(5), 200, true); },
         "asn1=EXPLICIT:200,INTEGER:5"},
        {"implicit tag", [] { return tagged(make<ASN1OctetString>(hex("61 62 63")), 1, false); },
         "asn1=IMPLICIT:1,FORMAT:HEX,OCTETSTRING:616263"},
        {"implicit structure",
         [] {
             auto s = std::make_unique<ASN1Sequence>();
             s->appendComponent(make<ASN1Integer>(7));
             return tagged(std::move(s), 3, false);
         },
         "asn1=IMPLICIT:3,SEQUENCE:s\n[s]\na=INTEGER:7"},
        {"structure",
         [] {
             auto s = std::make_unique<ASN1Sequence>();
             s->appendComponent(make<ASN1Integer>(1));
             s->appendComponent(make<ASN1ObjectIdentifier>("1.3.101.112"));
             auto set = std::make_unique<ASN1Set>();
             set->appendComponent(make<ASN1Integer>(300));
             set->appendComponent(make<ASN1Integer>(2));
             set->appendComponent(make<ASN1PrintableString>("b"));
             s->appendComponent(std::move(set));
             s->appendComponent(tagged(make<ASN1Boolean>(false), 1, true));
             s->appendComponent(make<ASN1Sequence>());
             return s;
         },
         "asn1=SEQUENCE:s\n[s]\na=INTEGER:1\nb=OID:1.3.101.112\nc=SET:set\nd=EXPLICIT:1,BOOLEAN:FALSE\ne="
         "SEQUENCE:empty\n"
         "[set]\nx=INTEGER:300\ny=INTEGER:2\nz=PRINTABLESTRING:b\n[empty]\n"},
    };
    Scratch scratch;
    for (const Described& c : cases) {
        SCOPED_TRACE(c.name);
        writeText(scratch / "value.cnf", std::string(c.config) + "\n");
        ASSERT_EQ(run("openssl asn1parse -genconf " + quoted(scratch / "value.cnf") + " -noout -out " +
                          quoted(scratch / "theirs.der"),
                      scratch / "log.txt"),
                  0)
            << std::string(readBytes(scratch / "log.txt").view());
        const ByteArray theirs = readBytes(scratch / "theirs.der");
        const auto value = c.build();
        const ByteArray ours = DERCoder::encode(value.get());
        EXPECT_EQ(ours.toHex(), theirs.toHex());
        // And it reads OpenSSL's octets back into a value that writes them again.
        EXPECT_EQ(DERCoder::encode(DERCoder::decode(theirs).get()).toHex(), theirs.toHex());
    }
}

TEST(OpenSSLPeerTest, OpenSSLReadsCMSDataWrittenByOurCoders) {
    if (!haveOpenSSL()) GTEST_SKIP() << "the openssl tool is not available";
    Scratch scratch;
    ByteArray content;
    for (int i = 0; i < 300000; ++i) content.append(static_cast<unsigned char>(i * 7 + i / 251));
    // ContentInfo { id-data, [0] EXPLICIT OCTET STRING }: in DER, in BER from a value, in BER from a stream.
    auto contentInfo = [&](std::unique_ptr<ASN1OctetString> data) {
        auto info = std::make_unique<ASN1Sequence>();
        info->appendComponent(std::make_unique<ASN1ObjectIdentifier>("1.2.840.113549.1.7.1"));
        data->setExplicitTag(0);
        info->appendComponent(std::move(data));
        return info;
    };
    const auto plain = contentInfo(std::make_unique<ASN1OctetString>(content));
    const auto streamed =
        contentInfo(std::make_unique<ASN1OctetString>(std::make_unique<ByteArrayInputStream>(content)));
    struct Writing {
        const char* name;
        ByteArray octets;
    };
    std::vector<Writing> writings;
    writings.push_back({"DERCoder", DERCoder::encode(plain.get())});
    writings.push_back({"BERCoder", BERCoder::encode(plain.get())});
    writings.push_back({"BERCoder from a stream", BERCoder::encode(streamed.get())});
    EXPECT_NE(writings.back().octets.view().find(std::string_view("\xA0\x80\x24\x80", 4)),
              std::string_view::npos)
        << "a streamed string is written in pieces, of indefinite length";
    for (const Writing& w : writings) {
        SCOPED_TRACE(w.name);
        writeBytes(scratch / "ours.cms", w.octets);
        ASSERT_EQ(run("openssl cms -data_out -inform DER -in " + quoted(scratch / "ours.cms") + " -out " +
                          quoted(scratch / "content.out"),
                      scratch / "log.txt"),
                  0)
            << std::string(readBytes(scratch / "log.txt").view());
        EXPECT_TRUE(readBytes(scratch / "content.out") == content);
        EXPECT_EQ(run("openssl cms -cmsout -print -noout -inform DER -in " + quoted(scratch / "ours.cms")),
                  0);
        EXPECT_EQ(run("openssl asn1parse -inform DER -in " + quoted(scratch / "ours.cms")), 0);
    }
}

}  // namespace
}  // namespace hardening_test
