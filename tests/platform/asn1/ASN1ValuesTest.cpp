// The simple value classes: constructors, setters, copies and comparison.
#include <gtest/gtest.h>

#include <memory>
#include <typeinfo>

#include "zentrik/platform/asn1/ASN1.h"

using namespace Ostrel;
using Velmora::BigNumber;
using Velmora::String;

namespace {

// The dynamic class of a value.
const std::type_info& dynamicType(const ASN1Object& value) {
    return typeid(value);
}

TEST(ASN1Boolean, HoldsItsValue) {
    ASN1Boolean unset;
    EXPECT_TRUE(unset.isNull());
    for (bool b : {true, false}) {
        ASN1Boolean value(b);
        EXPECT_FALSE(value.isNull());
        EXPECT_EQ(value.getValue(), b);
        value.setValue(!b);
        EXPECT_EQ(value.getValue(), !b);
    }
    EXPECT_NE(ASN1Boolean(true), ASN1Boolean(false));
    EXPECT_EQ(ASN1Boolean(true), ASN1Boolean(true));
}

TEST(ASN1Integer, FromPlainNumbersAndBigNumbers) {
    const BigNumber big = BigNumber::fromDecimal("-123456789012345678901234567890");
    const struct {
        ASN1Integer value;
        BigNumber expected;
    } cases[] = {{ASN1Integer(42), BigNumber(42)},
                 {ASN1Integer(-1), BigNumber(-1)},
                 {ASN1Integer(0), BigNumber(0)},
                 {ASN1Integer(big), big}};
    for (const auto& c : cases) {
        EXPECT_FALSE(c.value.isNull());
        EXPECT_EQ(c.value.getValue(), c.expected);
        EXPECT_EQ(c.value.toString(), String(c.expected.toDecimal()));
    }
    ASN1Integer value;
    EXPECT_TRUE(value.isNull());
    value.setValue(big);
    EXPECT_EQ(value.getValue(), big);
    value.setValue(7);
    EXPECT_EQ(value.getValue(), BigNumber(7));
}

TEST(ASN1Enumerated, HoldsAnInt) {
    for (int v : {0, 1, 127, 128, -1, 2147483647}) {
        ASN1Enumerated value(v);
        EXPECT_EQ(value.getValue(), v);
        EXPECT_EQ(value, ASN1Enumerated(v));
    }
    ASN1Enumerated value;
    EXPECT_TRUE(value.isNull());
    value.setValue(3);
    EXPECT_EQ(value.getValue(), 3);
    EXPECT_NE(value, ASN1Enumerated(4));
}

TEST(ASN1Null, IsSetFromTheStart) {
    ASN1Null value;
    EXPECT_FALSE(value.isNull());
    EXPECT_EQ(value.getTagValue(), ASNTag::ASN1_NULL);
    EXPECT_EQ(value, ASN1Null());
}

TEST(ASN1Time, KeepsTheTextAndTheKind) {
    ASN1UTCTime utc("991231235959Z");
    ASN1GeneralizedTime generalized("19991231235959Z");
    EXPECT_EQ(utc.getTagValue(), ASNTag::UTC_TIME);
    EXPECT_EQ(generalized.getTagValue(), ASNTag::GENERALIZED_TIME);
    EXPECT_EQ(utc.getValue(), String("991231235959Z"));
    EXPECT_EQ(generalized.getValue(), String("19991231235959Z"));
    // Same text, different kinds: different values.
    EXPECT_NE(ASN1UTCTime("x"), ASN1GeneralizedTime("x"));
    ASN1UTCTime unset;
    EXPECT_TRUE(unset.isNull());
    unset.setValue(String("not checked"));
    EXPECT_EQ(unset.getValue(), String("not checked"));
}

struct StringCase {
    std::unique_ptr<ASN1String> value;
    ASNTag::ASN1_TAG tag;
    int kind;
};

TEST(ASN1String, EachTypeHasItsTagAndKind) {
    const String text("Grüße");
    StringCase cases[] = {
        {std::make_unique<ASN1UTF8String>(text), ASNTag::UTF8_STRING, ASN1String::UTF8},
        {std::make_unique<ASN1NumericString>(text), ASNTag::NUMERIC_STRING, ASN1String::ASCII},
        {std::make_unique<ASN1PrintableString>(text), ASNTag::PRINTABLE_STRING, ASN1String::ASCII},
        {std::make_unique<ASN1TeletexString>(text), ASNTag::TELETEX_STRING, ASN1String::ASCII},
        {std::make_unique<ASN1IA5String>(text), ASNTag::IA5_STRING, ASN1String::ASCII},
        {std::make_unique<ASN1VisibleString>(text), ASNTag::VISIBLE_STRING, ASN1String::ASCII},
        {std::make_unique<ASN1UniversalString>(text), ASNTag::UNIVERSAL_STRING, ASN1String::UNIVERSAL},
        {std::make_unique<ASN1BMPString>(text), ASNTag::BMP_STRING, ASN1String::UCS2},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.value->getTagValue(), c.tag);
        EXPECT_EQ(c.value->getStringType(), c.kind);
        EXPECT_EQ(c.value->getValue(), text);
        EXPECT_FALSE(c.value->isNull());
        std::unique_ptr<ASN1Object> copy(c.value->clone());
        EXPECT_EQ(*copy, *c.value);
        EXPECT_EQ(dynamicType(*copy), dynamicType(*c.value));
    }
    EXPECT_EQ(ASN1String::UCS2, 4);
    EXPECT_EQ(ASN1String::UTF8, 6);
    EXPECT_EQ(ASN1String::UNIVERSAL, 7);
}

TEST(ASN1String, EncodedValueIsKeptUntilTheTextChanges) {
    ASN1BMPString value;
    EXPECT_TRUE(value.isNull());
    value.setValue(String("AB"));
    const Velmora::ByteArray encoded{0x00, 0x41, 0x00, 0x42};
    value.setEncodedValue(encoded);
    EXPECT_EQ(value.getEncodedValue(), encoded);
    value.setValue(String("C"));
    EXPECT_TRUE(value.getEncodedValue().isEmpty());
    EXPECT_EQ(value.getValue(), String("C"));
}

TEST(ASN1String, ComparesTextAndKind) {
    EXPECT_EQ(ASN1IA5String("a"), ASN1IA5String("a"));
    EXPECT_NE(ASN1IA5String("a"), ASN1IA5String("b"));
    EXPECT_NE(ASN1IA5String("a"), ASN1PrintableString("a"));
    EXPECT_NE(ASN1IA5String("a"), ASN1IA5String());
}

TEST(Copies, AreDeepAndEqual) {
    std::unique_ptr<ASN1Object> originals[] = {
        std::make_unique<ASN1Boolean>(true),      std::make_unique<ASN1Integer>(-300),
        std::make_unique<ASN1Enumerated>(9),      std::make_unique<ASN1Null>(),
        std::make_unique<ASN1UTCTime>("010101Z"), std::make_unique<ASN1ObjectIdentifier>("1.2.3"),
        std::make_unique<ASN1UTF8String>("x"),    std::make_unique<ASN1Integer>()};
    for (const auto& original : originals) {
        std::unique_ptr<ASN1Object> copy(original->clone());
        EXPECT_NE(copy.get(), original.get());
        EXPECT_EQ(dynamicType(*copy), dynamicType(*original));
        EXPECT_EQ(*copy, *original) << original->toString();
        EXPECT_EQ(copy->isNull(), original->isNull());
    }
}

TEST(Copies, KeepTaggingAndOptionality) {
    ASN1Integer value(5);
    value.setImplicitTag(4);
    value.setOptional(true);
    ASN1Integer copy(value);
    EXPECT_EQ(copy.taggedContext(), ASNTag::IMPLICIT);
    EXPECT_EQ(copy.taggedValue(), 4u);
    EXPECT_TRUE(copy.isOptional());
    copy.setValue(6);
    EXPECT_EQ(value.getValue(), BigNumber(5));
}

TEST(Equality, DifferentClassesAreNeverEqual) {
    EXPECT_NE(ASN1Integer(1), ASN1Enumerated(1));
    EXPECT_NE(ASN1Boolean(true), ASN1Integer(1));
    EXPECT_NE(ASN1Integer(), ASN1Enumerated());
    EXPECT_EQ(ASN1Integer(), ASN1Integer());
}

}  // namespace
