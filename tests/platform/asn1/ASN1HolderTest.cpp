// CHOICE, ANY and the tagged value kept as its encoding.
#include <gtest/gtest.h>

#include <memory>

#include "zentrik/platform/asn1/ASN1.h"
#include "zentrik/platform/utils/Exception.h"

using namespace Ostrel;
using Velmora::ByteArray;

namespace {

TEST(ASN1Choice, HoldsTheChosenAlternative) {
    ASN1Choice choice;
    EXPECT_TRUE(choice.isChoice());
    EXPECT_FALSE(choice.isAny());
    EXPECT_EQ(choice.getTagValue(), ASNTag::CHOICE);
    EXPECT_TRUE(choice.isNull());
    EXPECT_EQ(choice.getValue(), nullptr);
    auto* chosen = new ASN1Integer(5);
    choice.setValue(chosen);
    EXPECT_FALSE(choice.isNull());
    EXPECT_EQ(choice.getValue(), chosen);
    choice.setValue(ASN1Boolean(true));  // a copy replaces the alternative
    ASSERT_NE(choice.getValue(), nullptr);
    EXPECT_EQ(choice.getValue()->getTagValue(), ASNTag::BOOLEAN);
    EXPECT_EQ(choice.toString(), Velmora::String("TRUE"));
}

TEST(ASN1Choice, CopiesAreDeep) {
    ASN1Choice choice(ASN1Integer(5));
    choice.setExplicitTag(2);
    ASN1Choice copy(choice);
    EXPECT_EQ(copy, choice);
    ASSERT_NE(copy.getValue(), choice.getValue());
    static_cast<ASN1Integer*>(copy.getValue())->setValue(6);
    EXPECT_NE(copy, choice);
    std::unique_ptr<ASN1Object> clone(choice.clone());
    EXPECT_EQ(*clone, choice);
    EXPECT_TRUE(clone->isChoice());
    ASN1Choice assigned;
    assigned = choice;
    EXPECT_EQ(assigned, choice);
}

TEST(ASN1Choice, ComparesTheAlternatives) {
    EXPECT_EQ(ASN1Choice(ASN1Integer(1)), ASN1Choice(ASN1Integer(1)));
    EXPECT_NE(ASN1Choice(ASN1Integer(1)), ASN1Choice(ASN1Enumerated(1)));
    EXPECT_NE(ASN1Choice(ASN1Integer(1)), ASN1Choice());
    EXPECT_EQ(ASN1Choice(), ASN1Choice());
    EXPECT_NE(static_cast<const ASN1Object&>(ASN1Choice(ASN1Integer(1))),
              static_cast<const ASN1Object&>(ASN1Any(ASN1Integer(1))));
}

TEST(ASN1Choice, NullAlternativeIsRefused) {
    ASN1Choice choice;
    EXPECT_THROW(choice.setValue(static_cast<ASN1Object*>(nullptr)), Velmora::Exception);
    EXPECT_TRUE(choice.isNull());
}

TEST(ASN1Choice, ReleaseGivesTheAlternativeAway) {
    ASN1Choice choice(std::make_unique<ASN1Integer>(3));
    std::unique_ptr<ASN1Object> released = choice.releaseValue();
    ASSERT_NE(released, nullptr);
    EXPECT_EQ(*released, ASN1Integer(3));
    EXPECT_TRUE(choice.isNull());
    EXPECT_EQ(choice.getValue(), nullptr);
}

TEST(ASN1Any, HoldsAValueOfAnyKind) {
    ASN1Any any;
    EXPECT_TRUE(any.isAny());
    EXPECT_FALSE(any.isChoice());
    EXPECT_EQ(any.getTagValue(), ASNTag::ANY);
    EXPECT_TRUE(any.isNull());
    ASN1Sequence sequence;
    sequence.add(ASN1Integer(1));
    any.setValue(sequence);
    EXPECT_FALSE(any.isNull());
    ASSERT_NE(any.getValue(), nullptr);
    EXPECT_EQ(*any.getValue(), sequence);
    ASN1Any copy(any);
    EXPECT_EQ(copy, any);
    EXPECT_NE(copy.getValue(), any.getValue());
}

TEST(ASN1TaggedValue, KeepsItsEncodingAndTagNumber) {
    const struct {
        unsigned int tagNumber;
        ByteArray encoding;
        bool constructed;
        unsigned char identifier;
    } cases[] = {
        {0, ByteArray{0xA0, 0x03, 0x02, 0x01, 0x05}, true, 0xA0},
        {31, ByteArray{0x9F, 0x1F, 0x01, 0x00}, false, 0x9F},
        {1, ByteArray{0x81, 0x01, 0x41}, false, 0x81},
        {2, ByteArray{0xE2, 0x00}, true, 0xE2},
    };
    for (const auto& c : cases) {
        std::unique_ptr<ASN1Object> value(ASN1Object::makeASN1Object(ASNTag::TAGGED, c.tagNumber));
        EXPECT_TRUE(value->isNull());
        value->setDERBytes(c.encoding);
        EXPECT_FALSE(value->isNull());
        EXPECT_EQ(value->getDERBytes(), c.encoding);
        EXPECT_EQ(value->taggedValue(), c.tagNumber);
        EXPECT_EQ(value->isConstructed(), c.constructed);
        EXPECT_EQ(static_cast<ASN1TaggedValue*>(value.get())->getIdentifierOctet(), c.identifier);
        std::unique_ptr<ASN1Object> copy(value->clone());
        EXPECT_EQ(*copy, *value);
        EXPECT_EQ(copy->getDERBytes(), c.encoding);
    }
}

TEST(ASN1TaggedValue, DifferentEncodingsDiffer) {
    ASN1TaggedValue a(0, ByteArray{0x80, 0x01, 0x01});
    ASN1TaggedValue b(0, ByteArray{0x80, 0x01, 0x02});
    ASN1TaggedValue c(1, ByteArray{0x80, 0x01, 0x01});
    EXPECT_NE(a, b);
    EXPECT_NE(a, c);
    EXPECT_EQ(a, ASN1TaggedValue(0, ByteArray{0x80, 0x01, 0x01}));
    EXPECT_EQ(a.toString(), Velmora::String("[0] 800101"));
}

}  // namespace
