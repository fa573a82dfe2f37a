// SEQUENCE, SET and SET OF: components, ownership, copies and the component rules.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <typeinfo>

#include "zentrik/platform/asn1/ASN1.h"
#include "zentrik/platform/utils/Exception.h"

using namespace Ostrel;
using Velmora::BigNumber;

namespace {

// The dynamic class of a value.
const std::type_info& dynamicType(const ASN1Object& value) {
    return typeid(value);
}

// Counts how many of its kind are alive, to check that structures delete what they own.
class Counted : public ASN1Object {
  public:
    explicit Counted(int* alive) : ASN1Object(ASNTag::INTEGER), alive_(alive) {
        ++*alive_;
        markSet();
    }
    Counted(const Counted& other) : ASN1Object(other), alive_(other.alive_) { ++*alive_; }
    ~Counted() override { --*alive_; }
    ASN1Object* clone() const override { return new Counted(*this); }

  private:
    int* alive_;
};

TEST(ASNStructured, KindsAndInitialState) {
    const struct {
        std::unique_ptr<ASNStructured> value;
        ASNTag::ASN1_TAG tag;
    } cases[] = {{std::make_unique<ASN1Sequence>(), ASNTag::SEQUENCE},
                 {std::make_unique<ASN1Set>(), ASNTag::SET},
                 {std::make_unique<ASN1SetOf>(), ASNTag::SET}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.value->getTagValue(), c.tag);
        EXPECT_TRUE(c.value->isConstructed());
        EXPECT_FALSE(c.value->isNull());  // an empty structure is a value
        EXPECT_EQ(c.value->getNumberOfComponents(), 0u);
        EXPECT_FALSE(c.value->ignoresComponentRules());
    }
}

TEST(ASNStructured, ComponentsKeepTheirOrder) {
    ASN1Sequence sequence;
    sequence.appendComponent(new ASN1Integer(1), 0);
    sequence.appendComponent(std::make_unique<ASN1Boolean>(true));
    sequence.add(ASN1Null());
    ASSERT_EQ(sequence.getNumberOfComponents(), 3u);
    EXPECT_EQ(sequence.getComponent(0)->getTagValue(), ASNTag::INTEGER);
    EXPECT_EQ(sequence.getComponent(1)->getTagValue(), ASNTag::BOOLEAN);
    EXPECT_EQ(sequence.getComponent(2)->getTagValue(), ASNTag::ASN1_NULL);
    const ASN1Sequence& constant = sequence;
    EXPECT_EQ(constant.getComponent(0), sequence.getComponent(0));
    EXPECT_THROW(constant.getComponent(3), Velmora::IndexOutOfRange);
    EXPECT_THROW(constant.getComponent(5), std::out_of_range) << "standard handlers catch it too";
    EXPECT_EQ(sequence.toString(), Velmora::String("SEQUENCE { 1, TRUE, NULL }"));
}

TEST(ASNStructured, OwnsItsComponents) {
    int alive = 0;
    {
        ASN1Set set;
        set.appendComponent(new Counted(&alive), 0);
        set.appendComponent(std::make_unique<Counted>(&alive));
        EXPECT_EQ(alive, 2);
        {
            ASN1Set copy(set);
            EXPECT_EQ(alive, 4);
        }
        EXPECT_EQ(alive, 2);
        set.clearComponents();
        EXPECT_EQ(alive, 0);
        set.appendComponent(new Counted(&alive), 0);
    }
    EXPECT_EQ(alive, 0);
}

TEST(ASNStructured, NullComponentIsRefused) {
    ASN1Sequence sequence;
    try {
        sequence.appendComponent(nullptr, 0);
        FAIL() << "null component accepted";
    } catch (const Velmora::Exception& e) {
        EXPECT_EQ(e.getLibrary(), Velmora::Exception::LIB_ASN1);
        EXPECT_EQ(e.getNumber(), ASN1Error::NULL_COMPONENT);
    }
    EXPECT_EQ(sequence.getNumberOfComponents(), 0u);
}

TEST(ASNStructured, CloneIsDeepAndEqual) {
    ASN1Sequence inner;
    inner.add(ASN1Integer(7));
    ASN1Sequence outer;
    outer.add(inner);
    outer.add(ASN1ObjectIdentifier("1.2.3"));
    outer.setExplicitTag(1);
    std::unique_ptr<ASN1Object> copy(outer.clone());
    ASSERT_EQ(dynamicType(*copy), typeid(ASN1Sequence));
    EXPECT_EQ(*copy, outer);
    auto* copiedInner = static_cast<ASN1Sequence*>(static_cast<ASN1Sequence*>(copy.get())->getComponent(0));
    static_cast<ASN1Integer*>(copiedInner->getComponent(0))->setValue(8);
    EXPECT_NE(*copy, outer);
    EXPECT_EQ(static_cast<const ASN1Integer*>(inner.getComponent(0))->getValue(), BigNumber(7));
}

TEST(ASNStructured, EqualityLooksAtKindOrderAndComponents) {
    ASN1Sequence a, b;
    a.add(ASN1Integer(1));
    a.add(ASN1Integer(2));
    b.add(ASN1Integer(2));
    b.add(ASN1Integer(1));
    EXPECT_NE(a, b);
    ASN1Sequence c(a);
    EXPECT_EQ(a, c);
    c.add(ASN1Null());
    EXPECT_NE(a, c);
    ASN1Set set;
    set.add(ASN1Integer(1));
    set.add(ASN1Integer(2));
    EXPECT_NE(static_cast<const ASN1Object&>(a), static_cast<const ASN1Object&>(set));
    EXPECT_EQ(ASN1Sequence(), ASN1Sequence());
}

TEST(ASN1SetOf, TakesComponentsOfOneKindUnlessRulesAreIgnored) {
    ASN1SetOf setOf;
    setOf.add(ASN1Integer(1));
    setOf.add(ASN1Integer(2));
    try {
        setOf.add(ASN1Boolean(true));
        FAIL() << "mixed SET OF accepted";
    } catch (const Velmora::Exception& e) {
        EXPECT_EQ(e.getNumber(), ASN1Error::COMPONENT_REFUSED);
    }
    EXPECT_THROW(setOf.appendComponent(std::make_unique<ASN1Boolean>(false)), Velmora::Exception);
    EXPECT_EQ(setOf.getNumberOfComponents(), 2u);
    setOf.ignoreComponentRules(true);
    EXPECT_TRUE(setOf.ignoresComponentRules());
    setOf.add(ASN1Boolean(true));
    EXPECT_EQ(setOf.getNumberOfComponents(), 3u);
}

TEST(ASN1SetOf, RefusedComponentIsDeleted) {
    int alive = 0;
    ASN1SetOf setOf;
    setOf.add(ASN1Boolean(true));
    EXPECT_THROW(setOf.appendComponent(new Counted(&alive), 0), Velmora::Exception);
    EXPECT_EQ(alive, 0);
}

}  // namespace
