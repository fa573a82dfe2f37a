// Real data made by the openssl tool at test time: certificates, keys, CRLs, CSRs and streamed CMS
// decode and encode again to the same octets, and openssl reads what the coders write.
#include <cstdio>
#include <memory>

#include "RandomTrees.h"
#include "support/Peers.h"
#include "zentrik/asn1/BERToDER.h"

namespace codec_test {
namespace {

class ASN1OpenSSLPeer : public testing::Test {
  protected:
    // Makes the documents once for the whole suite, in a folder removed at the end.
    static void SetUpTestSuite() {
        if (!zentrik_test::haveOpenSSL()) return;
        scratch_ = std::make_unique<zentrik_test::Scratch>();
        made_ =
            run("set -e; R='-x509 -nodes -days 2 -outform DER'; C='-config ca.cnf -keyfile rsa.key -cert "
                "rsa.pem'\n"
                "openssl req $R -newkey rsa:2048 -keyout rsa.key -subj /CN=rsa/O=Zentrik -out rsa.crt\n"
                "openssl req $R -newkey ec -pkeyopt ec_paramgen_curve:P-256 -keyout ec.key -subj /CN=ec -out "
                "ec.crt\n"
                "openssl req $R -newkey ed25519 -keyout ed.key -subj /CN=ed -out ed.crt\n"
                "for k in rsa ec ed; do openssl pkey -in $k.key -outform DER -out $k.pkey; done\n"
                "openssl req -new -key ec.key -subj /CN=request -outform DER -out ec.csr\n"
                "for k in rsa ec; do openssl x509 -inform DER -in $k.crt -out $k.pem; done\n"
                "touch index.txt; echo 01 > crlnumber\n"
                "printf '[ca]\\ndefault_ca=d\\n[d]\\ndatabase=index.txt\\ncrlnumber=crlnumber\\n"
                "default_md=sha256\\ndefault_crl_days=1\\n' > ca.cnf\n"
                "openssl ca $C -revoke ec.pem; openssl ca $C -gencrl -out crl.pem\n"
                "openssl crl -in crl.pem -outform DER -out rsa.crl; echo 'streamed content' > data.txt\n"
                "openssl cms -sign -stream -binary -in data.txt -signer rsa.pem -inkey rsa.key -outform DER "
                "-out cms.ber");
    }
    static void TearDownTestSuite() { scratch_.reset(); }
    void SetUp() override {
        if (!scratch_) GTEST_SKIP() << "the openssl tool is not installed";
        ASSERT_TRUE(made_) << "openssl could not make the documents";
    }

    // Runs shell commands in the folder; true on success. Prints what they said when they fail.
    static bool run(const std::string& commands, std::string* output = nullptr) {
        FILE* pipe = popen(
            ("cd " + zentrik_test::quoted(scratch_->path()) + " && (" + commands + ") 2>&1").c_str(), "r");
        std::string text;
        char buffer[4096];
        for (std::size_t n; pipe && (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            text.append(buffer, n);
        const bool ok = pipe && pclose(pipe) == 0;
        if (!ok) std::fprintf(stderr, "%s\n", text.c_str());
        if (output) *output = text;
        return ok;
    }
    static ByteArray read(const char* name) { return zentrik_test::readBytes(*scratch_ / name); }
    static void write(const char* name, const ByteArray& bytes) {
        zentrik_test::writeBytes(*scratch_ / name, bytes);
    }

    static inline std::unique_ptr<zentrik_test::Scratch> scratch_;
    static inline bool made_ = false;
};

TEST_F(ASN1OpenSSLPeer, CertificatesKeysCRLsAndRequestsEncodeAgainToTheSameOctets) {
    for (const char* name :
         {"rsa.crt", "ec.crt", "ed.crt", "rsa.pkey", "ec.pkey", "ed.pkey", "ec.csr", "rsa.crl"}) {
        SCOPED_TRACE(name);
        const ByteArray der = read(name);
        ASSERT_GT(der.size(), 40u);
        const SmartPointer<ASN1Object> value = DERCoder::decode(der);
        EXPECT_EQ(DERCoder::encode(*value), der);
        EXPECT_EQ(BERCoder::encode(*value), der);
        EXPECT_EQ(berToDER(der), der);
        EXPECT_EQ(DERCoder::encode(*BERCoder::decode(der)), der);
        const auto* top = asn1_const_cast<ASNStructured>(value.get());
        for (unsigned int i = 0; i < top->getNumberOfComponents(); ++i)
            EXPECT_EQ(DERCoder::getComponent(der, i), DERCoder::encode(*top->getComponent(i)));
    }
}

TEST_F(ASN1OpenSSLPeer, StreamedCMSDecodesWithBERAndItsReencodingIsAccepted) {
    const ByteArray ber = read("cms.ber");
    ASSERT_EQ(ber.subBytes(0, 2), hex("30 80"));  // indefinite lengths
    EXPECT_TRUE(outcomeOf([&] { DERCoder::decode(ber); }).failed());
    const SmartPointer<ASN1Object> info = BERCoder::decode(ber);
    const auto* parts = asn1_const_cast<ASNStructured>(info.get());
    write("whole.der", DERCoder::encode(*info));
    EXPECT_TRUE(run("openssl cms -cmsout -inform DER -in whole.der -noout"));
    // The SignedData inside the [0] decoded on its own and written in DER, under definite lengths.
    const ByteArray content = parts->getComponent(1)->getDERBytes();
    ASSERT_EQ(content.subBytes(0, 2), hex("A0 80"));
    const ByteArray signedData = DERCoder::encode(*BERCoder::decode(content.right(2)));
    const ByteArray body = DERCoder::encode(*parts->getComponent(0)) + hex("A0") +
                           DERCoder::encodeLength(static_cast<unsigned int>(signedData.size())) + signedData;
    const ByteArray definite =
        hex("30") + DERCoder::encodeLength(static_cast<unsigned int>(body.size())) + body;
    EXPECT_EQ(DERCoder::encode(*DERCoder::decode(definite)), definite);
    write("definite.der", definite);
    EXPECT_TRUE(run("openssl cms -verify -noverify -inform DER -in definite.der -out out.txt"));
    EXPECT_EQ(read("out.txt"), ByteArray("streamed content\n"));
}

TEST_F(ASN1OpenSSLPeer, StreamedCMSConvertedToDERIsOpenSSLsOwnDERAndVerifies) {
    write("converted.der", berToDER(read("cms.ber")));
    ASSERT_TRUE(run("openssl cms -cmsout -inform DER -in cms.ber -outform DER -out openssl.der"));
    EXPECT_EQ(read("converted.der"), read("openssl.der"));
    EXPECT_TRUE(run("openssl cms -verify -noverify -inform DER -in converted.der -out converted.txt"));
    EXPECT_EQ(read("converted.txt"), ByteArray("streamed content\n"));
}

TEST_F(ASN1OpenSSLPeer, OpenSSLReadsWhatTheEncodersWrite) {
    const Value ber = structure(explicitly(3, structure<ASN1OctetString>(octets("41 42"), octets("43"))),
                                structure<ASN1Set>(integer(-129), oid("2.100.3")), make<ASN1Enumerated>(-1));
    write("ber.der", BERCoder::encode(*ber));
    std::string parsed;
    ASSERT_TRUE(run("openssl asn1parse -inform DER -in ber.der", &parsed));
    for (const char* item : {"cons: cont [ 3 ]", "cons: OCTET STRING", ":AB", "INTEGER           :-81",
                             "OBJECT            :2.100.3", "ENUMERATED        :-01"})
        EXPECT_NE(parsed.find(item), std::string::npos) << item << " in\n" << parsed;
    TreeMaker maker(31337);
    ByteArray trees;
    for (int i = 0; i < 200; ++i) trees += DERCoder::encode(*maker.tree(4));
    write("trees.der", trees);
    ASSERT_TRUE(run("openssl asn1parse -inform DER -in trees.der | grep -c ':d=0 '", &parsed));
    EXPECT_EQ(std::stoi(parsed), 200);  // every tree read whole, one after the other
}

}  // namespace
}  // namespace codec_test
