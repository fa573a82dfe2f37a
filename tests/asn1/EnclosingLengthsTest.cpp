// Every length is honoured: an element that runs past the end of the element enclosing it is
// refused, whichever coder reads it, and a BOOLEAN reads its length like every other element.
#include "asn1/CodecTestSupport.h"
#include "zentrik/iou/ASN1IOUObject.h"

namespace codec_test {
namespace {

struct LengthCase {
    const char* input;
    int der;  // the failure number of each decoder; 0: decoded
    int ber;  // the BER decoder and the streaming readers alike
};

// Reads an element to its end with the streaming readers, component by component, piece by piece.
void readThrough(ASN1IOUObject& reader) {
    if (reader.hasData()) {
        while (reader.hasData()) reader.getData();
    } else {
        while (SmartPointer<ASN1IOUObject> component = reader.getNextComponent()) readThrough(*component);
    }
    reader.endIOU();
}

// The failure number of a call; 0 when it succeeds.
int failureOf(const std::function<void()>& call) {
    const Outcome o = outcomeOf(call);
    if (o.indexOutOfRange) return -1;
    return o.error ? static_cast<int>(o.error->getNumber()) : 0;
}

TEST(EnclosingLengths, ElementsRunningPastTheirEnclosingElementAreRefused) {
    const LengthCase cases[] = {
        {"30 03 02 02 01 05", 28, 28},
        {"30 04 30 02 02 01 05 00", 28, 28},
        {"24 04 04 03 41 42 43 00", 28, 28},
        {"31 04 04 01 41 05 00", 28, 28},
        {"30 05 30 80 02 01 05 00 00", 20, 28},
        {"30 80 30 02 02 01 05 00 00", 20, 28},
        {"23 04 03 03 00 41 42 00", 19, 28},
        // Lengths that fit exactly are read as ever.
        {"30 06 30 04 02 02 01 05", 0, 0},
        {"23 07 03 02 00 41 03 01 00", 19, 0},
        // A BOOLEAN has exactly one contents octet, its length read in any form.
        {"01 02 FF 00", 8, 8},
        {"01 00", 8, 8},
        {"01 81 01 FF", 0, 0},
        {"01 80 FF 00 00", 20, 8},
    };
    for (const LengthCase& c : cases) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(failureOf([&] { DERCoder::decode(hex(c.input)); }), c.der) << "DER";
        EXPECT_EQ(failureOf([&] { BERCoder::decode(hex(c.input)); }), c.ber) << "BER";
        EXPECT_EQ(failureOf([&] {
                      ByteArrayInputStream in(hex(c.input));
                      readThrough(*BERCoder::decodeIOU(in));
                  }),
                  c.ber)
            << "streaming readers";
    }
}

TEST(EnclosingLengths, TheMessageNamesBothEnds) {
    const Outcome o = outcomeOf([] { DERCoder::decode(hex("30 03 02 02 01 05")); });
    ASSERT_TRUE(o.error.has_value());
    EXPECT_EQ(o.error->getMessage(),
              String("the INTEGER at offset 2 ends at octet 6, past the end of its SEQUENCE at octet 5"));
}

TEST(EnclosingLengths, ABooleanWithALongFormLengthKeepsTheRestInStep) {
    // SET { TRUE, OCTET STRING "" }, as every other reader of BER sees it.
    const SmartPointer<ASN1Object> set = BERCoder::decode(hex("31 80 01 81 01 FF 24 00 00 00"));
    const auto* structure = asn1_const_cast<ASNStructured>(set.get());
    ASSERT_EQ(structure->getNumberOfComponents(), 2u);
    EXPECT_TRUE(asn1_const_cast<ASN1Boolean>(structure->getComponent(0))->getValue());
    EXPECT_EQ(asn1_const_cast<ASN1OctetString>(structure->getComponent(1))->getValue(), ByteArray());
    EXPECT_EQ(DERCoder::encode(*set), hex("31 05 01 01 FF 04 00"));
}

}  // namespace
}  // namespace codec_test
