// OBJECT IDENTIFIER: dotted text both ways, arcs, and refused text.
#include <gtest/gtest.h>

#include "zentrik/platform/asn1/ASN1Errors.h"
#include "zentrik/platform/asn1/ASN1ObjectIdentifier.h"
#include "zentrik/platform/utils/Exception.h"

using namespace Ostrel;
using Velmora::IntArray;
using Velmora::String;

namespace {

struct ParseCase {
    const char* text;
    IntArray arcs;
};

class ObjectIdentifierText : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ObjectIdentifierText, ParsesAndPrintsBack) {
    const ParseCase& c = GetParam();
    ASN1ObjectIdentifier oid(c.text);
    EXPECT_FALSE(oid.isNull());
    EXPECT_EQ(oid.getValue(), c.arcs);
    EXPECT_EQ(oid.getLength(), c.arcs.length());
    EXPECT_EQ(oid.toString(), String(c.text));
    EXPECT_EQ(ASN1ObjectIdentifier(c.arcs).toString(), String(c.text));
}

INSTANTIATE_TEST_SUITE_P(Identifiers, ObjectIdentifierText,
                         ::testing::Values(ParseCase{"1.2.840.113549", {1, 2, 840, 113549}},
                                           ParseCase{"2.5.4.3", {2, 5, 4, 3}}, ParseCase{"0.0", {0, 0}},
                                           ParseCase{"1", {1}}, ParseCase{"2.999.1", {2, 999, 1}},
                                           ParseCase{"1.2.2147483647", {1, 2, 2147483647}},
                                           // arcs of 2^31 and above are held as their 32-bit pattern
                                           ParseCase{"1.2.4294967295", {1, 2, -1}},
                                           ParseCase{"1.2.2147483648", {1, 2, INT32_MIN}}));

class ObjectIdentifierBadText : public ::testing::TestWithParam<const char*> {};

TEST_P(ObjectIdentifierBadText, IsRefusedAndLeavesTheValueAlone) {
    ASN1ObjectIdentifier oid("1.2.3");
    try {
        oid.setValue(String(GetParam()));
        FAIL() << "accepted \"" << GetParam() << "\"";
    } catch (const Velmora::Exception& e) {
        EXPECT_EQ(e.getLibrary(), Velmora::Exception::LIB_ASN1);
        EXPECT_EQ(e.getNumber(), ASN1Error::BAD_OBJECT_IDENTIFIER);
    }
    EXPECT_EQ(oid.getValue(), (IntArray{1, 2, 3}));
    EXPECT_THROW(ASN1ObjectIdentifier{GetParam()}, Velmora::Exception);
}

INSTANTIATE_TEST_SUITE_P(Refused, ObjectIdentifierBadText,
                         ::testing::Values("", ".", "1.", ".1", "1..2", "1.2.a", "1 .2", "1.-2",
                                           "1.2.4294967296", "1.2.99999999999999999999", "1,2", "１.2"));

TEST(ASN1ObjectIdentifier, SettersAndComparison) {
    ASN1ObjectIdentifier oid;
    EXPECT_TRUE(oid.isNull());
    EXPECT_EQ(oid.getLength(), 0u);
    oid.setValue(IntArray{1, 3, 6, 1});
    EXPECT_FALSE(oid.isNull());
    EXPECT_EQ(oid, ASN1ObjectIdentifier("1.3.6.1"));
    EXPECT_NE(oid, ASN1ObjectIdentifier("1.3.6.1.0"));
    EXPECT_NE(oid, ASN1ObjectIdentifier("1.3.6"));
    oid.setValue("2.5");
    EXPECT_EQ(oid.getLength(), 2u);
    EXPECT_EQ(oid.getValue()[1], 5);
}

}  // namespace
