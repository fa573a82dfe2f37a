// OpenSSL as a peer: a streamed CMS signature walked component by component down to the segments of
// its content, and a streamed CMS data object written here and read by OpenSSL.
#include <gtest/gtest.h>

#include <string>

#include "IOUTestSupport.h"
#include "support/Peers.h"

using namespace Ostrel;
using iou_test::hex;
using Velmora::ByteArrayInputStream;
using Velmora::ByteArrayOutputStream;

namespace {

using zentrik_test::haveOpenSSL, zentrik_test::quoted, zentrik_test::readBytes, zentrik_test::run,
    zentrik_test::Scratch, zentrik_test::writeBytes;

ByteArray encodingOf(const ASN1Object* value) {
    return BERCoder::encode(value);
}

const ByteArray kSignedDataOID = hex("06 09 2A 86 48 86 F7 0D 01 07 02");
const ByteArray kDataOID = hex("06 09 2A 86 48 86 F7 0D 01 07 01");

// Walks ContentInfo { signedData, [0] EXPLICIT SignedData { version, digestAlgorithms,
// encapContentInfo { data, [0] EXPLICIT OCTET STRING }, [0] certificates, signerInfos } } and returns
// the content segment by segment.
ByteArray walkSignedData(InputStream& in, std::size_t& segments) {
    ByteArray content;
    SmartPointer<ASN1IOUObject> contentInfo = BERCoder::decodeIOU(in);
    EXPECT_EQ(contentInfo->getIdentifier(), 0x30u);
    EXPECT_TRUE(contentInfo->isIndefinite());
    EXPECT_EQ(encodingOf(iou_test::nextValue(*contentInfo).get()), kSignedDataOID);
    {
        SmartPointer<ASN1IOUObject> signedData = contentInfo->getNextExplicitComponent();
        EXPECT_EQ(signedData->getTaggedValue(), 0u);
        EXPECT_EQ(signedData->getIdentifier(), 0x30u);
        EXPECT_EQ(iou_test::nextValue(*signedData)->getTagValue(), ASNTag::INTEGER);
        EXPECT_EQ(iou_test::nextValue(*signedData)->getTagValue(), ASNTag::SET);
        {
            SmartPointer<ASN1IOUObject> encapsulated = signedData->getNextComponent();
            EXPECT_EQ(encapsulated->getIdentifier(), 0x30u);
            EXPECT_EQ(encodingOf(iou_test::nextValue(*encapsulated).get()), kDataOID);
            {
                SmartPointer<ASN1IOUObject> eContent = encapsulated->getNextExplicitComponent();
                EXPECT_EQ(eContent->getTaggedValue(), 0u);
                EXPECT_EQ(eContent->getIdentifier(), 0x24u);
                EXPECT_TRUE(eContent->isIndefinite());
                while (eContent->hasData()) {
                    content += eContent->getData();
                    ++segments;
                }
                EXPECT_TRUE(eContent->isEnded());
            }
            EXPECT_FALSE(encapsulated->hasNextComponent());
            EXPECT_FALSE(encapsulated->getNextComponent());
            EXPECT_TRUE(encapsulated->isEnded());
        }
        // certificates [0] IMPLICIT SET OF Certificate, then signerInfos SET.
        bool sawCertificates = false, sawSignerInfos = false;
        while (signedData->hasNextComponent()) {
            if (in.peek(1)[0] & 0x80) {
                SmartPointer<ASN1IOUObject> certificates = signedData->getNextImplicitComponent(ASNTag::SET);
                EXPECT_EQ(certificates->getTaggedValue(), 0u);
                ASN1Object* set = certificates->getValue();
                EXPECT_EQ(set->taggedContext(), ASNTag::IMPLICIT);
                EXPECT_EQ(asn1_const_cast<ASNStructured>(set)->getNumberOfComponents(), 1u);
                sawCertificates = true;
            } else {
                SmartPointer<ASN1IOUObject> signerInfos = signedData->getNextComponent();
                EXPECT_EQ(signerInfos->getIdentifier(), 0x31u);
                // Walk the one SignerInfo instead of decoding the whole set.
                SmartPointer<ASN1IOUObject> signerInfo = signerInfos->getNextComponent();
                EXPECT_EQ(signerInfo->getIdentifier(), 0x30u);
                std::size_t fields = 0;
                while (signerInfo->hasNextComponent()) {
                    // signedAttrs [0] and unsignedAttrs [1] are IMPLICIT SET OF Attribute.
                    SmartPointer<ASN1IOUObject> field =
                        (in.peek(1)[0] & 0x80) ? signerInfo->getNextImplicitComponent(ASNTag::SET)
                                               : signerInfo->getNextComponent();
                    if (field->isConstructed()) field->getValue();
                    ++fields;
                }
                EXPECT_GE(fields, 5u);
                EXPECT_FALSE(signerInfos->getNextComponent());
                sawSignerInfos = true;
            }
        }
        EXPECT_TRUE(sawCertificates);
        EXPECT_TRUE(sawSignerInfos);
        EXPECT_FALSE(signedData->getNextComponent());
        EXPECT_TRUE(signedData->isEnded());
    }
    EXPECT_FALSE(contentInfo->getNextComponent());
    EXPECT_TRUE(contentInfo->isEnded());
    return content;
}

}  // namespace

class IOUOpenSSLPeerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!haveOpenSSL()) GTEST_SKIP() << "openssl is not installed";
    }
    Scratch scratch;
};

TEST_F(IOUOpenSSLPeerTest, StreamedSignatureIsWalkedDownToTheSegmentsOfItsContent) {
    const ByteArray data = iou_test::pattern(11, 300000);
    writeBytes(scratch / "data.bin", data);
    ASSERT_EQ(
        run("openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 -subj /CN=iou"
            " -keyout " +
            quoted(scratch / "key.pem") + " -out " + quoted(scratch / "cert.pem")),
        0);
    ASSERT_EQ(run("openssl cms -sign -stream -binary -nodetach -outform DER -in " +
                  quoted(scratch / "data.bin") + " -signer " + quoted(scratch / "cert.pem") + " -inkey " +
                  quoted(scratch / "key.pem") + " -out " + quoted(scratch / "signed.der")),
              0);
    const ByteArray signedFile = readBytes(scratch / "signed.der");
    ASSERT_GT(signedFile.size(), data.size());
    // The peer really wrote the indefinite forms this walk is about.
    ASSERT_EQ(signedFile.subBytes(0, 2), hex("30 80"));

    {
        ByteArrayInputStream in(signedFile);
        std::size_t segments = 0;
        EXPECT_EQ(walkSignedData(in, segments), data);
        EXPECT_GT(segments, 1u);
        EXPECT_EQ(in.getCount(), signedFile.size());
        EXPECT_FALSE(in.hasData());
    }
    {  // the same through a stream that hands out one octet per read
        iou_test::TrickleInputStream in(signedFile);
        std::size_t segments = 0;
        EXPECT_EQ(walkSignedData(in, segments), data);
        EXPECT_EQ(in.getCount(), signedFile.size());
    }
    // The whole decoder agrees about the content.
    SmartPointer<ASN1Object> whole = BERCoder::decode(signedFile);
    EXPECT_EQ(whole->getTagValue(), ASNTag::SEQUENCE);
}

TEST_F(IOUOpenSSLPeerTest, StreamedDataWrittenHereIsReadByOpenSSL) {
    const std::size_t size = 200000;
    ByteArrayOutputStream out;
    {
        ASN1IOUObject contentInfo(out, ASNTag::SEQUENCE);
        contentInfo.addComponent(ASN1ObjectIdentifier("1.2.840.113549.1.7.1"));
        ASN1OctetString content(std::make_unique<iou_test::PatternSource>(size));
        content.setExplicitTag(0);
        BERCoder::encode(&content, out);
    }
    EXPECT_EQ(out.getByteArray().subBytes(0, 17), hex("30 80 06 09 2A 86 48 86 F7 0D 01 07 01 A0 80 24 80"));
    writeBytes(scratch / "data.der", out.getByteArray());
    ASSERT_EQ(run("openssl cms -data_out -inform DER -in " + quoted(scratch / "data.der") + " -out " +
                  quoted(scratch / "data.bin")),
              0);
    EXPECT_EQ(readBytes(scratch / "data.bin"), iou_test::pattern(0, size));
}
