// The base of every value: the factory, tagging, optional and unset values.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <typeinfo>

#include "zentrik/platform/asn1/ASN1.h"
#include "zentrik/platform/utils/Exception.h"

using namespace Ostrel;

namespace {

// The dynamic class of a value.
const std::type_info& dynamicType(const ASN1Object& value) {
    return typeid(value);
}

struct FactoryCase {
    int tag;
    ASNTag::ASN1_TAG expectedTag;  // what the made value reports
    const std::type_info* type;
    bool constructed;
    bool null;  // NULL and the structures are set from the start
};

class MakeASN1Object : public ::testing::TestWithParam<FactoryCase> {};

TEST_P(MakeASN1Object, MakesAnEmptyValueOfTheTagsClass) {
    const FactoryCase& c = GetParam();
    std::unique_ptr<ASN1Object> value(ASN1Object::makeASN1Object(static_cast<ASNTag::ASN1_TAG>(c.tag), 0));
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(dynamicType(*value), *c.type);
    EXPECT_EQ(value->getTagValue(), c.expectedTag);
    EXPECT_EQ(value->getTag().getValue(), c.expectedTag);
    EXPECT_EQ(value->isConstructed(), c.constructed);
    EXPECT_EQ(value->isNull(), c.null);
    EXPECT_EQ(value->taggedContext(), ASNTag::UNTAGGED);
    EXPECT_FALSE(value->isOptional());
    EXPECT_TRUE(value->getDERBytes().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, MakeASN1Object,
    ::testing::Values(FactoryCase{1, ASNTag::BOOLEAN, &typeid(ASN1Boolean), false, true},
                      FactoryCase{2, ASNTag::INTEGER, &typeid(ASN1Integer), false, true},
                      FactoryCase{3, ASNTag::BIT_STRING, &typeid(ASN1BitString), false, true},
                      FactoryCase{4, ASNTag::OCTET_STRING, &typeid(ASN1OctetString), false, true},
                      FactoryCase{5, ASNTag::ASN1_NULL, &typeid(ASN1Null), false, false},
                      FactoryCase{6, ASNTag::OBJECT_IDENTIFIER, &typeid(ASN1ObjectIdentifier), false, true},
                      FactoryCase{10, ASNTag::ENUMERATED, &typeid(ASN1Enumerated), false, true},
                      FactoryCase{12, ASNTag::UTF8_STRING, &typeid(ASN1UTF8String), false, true},
                      FactoryCase{18, ASNTag::NUMERIC_STRING, &typeid(ASN1NumericString), false, true},
                      FactoryCase{19, ASNTag::PRINTABLE_STRING, &typeid(ASN1PrintableString), false, true},
                      FactoryCase{20, ASNTag::TELETEX_STRING, &typeid(ASN1TeletexString), false, true},
                      FactoryCase{22, ASNTag::IA5_STRING, &typeid(ASN1IA5String), false, true},
                      FactoryCase{23, ASNTag::UTC_TIME, &typeid(ASN1UTCTime), false, true},
                      FactoryCase{24, ASNTag::GENERALIZED_TIME, &typeid(ASN1GeneralizedTime), false, true},
                      FactoryCase{26, ASNTag::VISIBLE_STRING, &typeid(ASN1VisibleString), false, true},
                      FactoryCase{28, ASNTag::UNIVERSAL_STRING, &typeid(ASN1UniversalString), false, true},
                      FactoryCase{30, ASNTag::BMP_STRING, &typeid(ASN1BMPString), false, true},
                      FactoryCase{35, ASNTag::BIT_STRING, &typeid(ASN1BitString), true, true},
                      FactoryCase{36, ASNTag::OCTET_STRING, &typeid(ASN1OctetString), true, true},
                      FactoryCase{48, ASNTag::SEQUENCE, &typeid(ASN1Sequence), true, false},
                      FactoryCase{49, ASNTag::SET, &typeid(ASN1Set), true, false},
                      FactoryCase{-4, ASNTag::ANY, &typeid(ASN1Any), false, true},
                      FactoryCase{-5, ASNTag::CHOICE, &typeid(ASN1Choice), false, true},
                      FactoryCase{-6, ASNTag::TAGGED, &typeid(ASN1TaggedValue), false, true}));

class MakeASN1ObjectRefuses : public ::testing::TestWithParam<int> {};

TEST_P(MakeASN1ObjectRefuses, TagsWithoutAClass) {
    try {
        ASN1Object::makeASN1Object(static_cast<ASNTag::ASN1_TAG>(GetParam()), 0);
        FAIL() << "no exception for tag " << GetParam();
    } catch (const Velmora::Exception& e) {
        EXPECT_EQ(e.getLibrary(), Velmora::Exception::LIB_ASN1);
        EXPECT_EQ(e.getNumber(), ASN1Error::UNKNOWN_TAG);
        EXPECT_EQ(e.getOperation(),
                  Velmora::String("ASN1Object::makeASN1Object(ASNTag::ASN1_TAG, unsigned int)"));
        EXPECT_NE(e.getMessage().toUTF8().find(std::to_string(GetParam())), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(Unsupported, MakeASN1ObjectRefuses,
                         ::testing::Values(0, 7, 8, 9, 11, 13, 31, 50, -1, -8));

TEST(MakeASN1ObjectTagged, KeepsTheTagNumber) {
    for (unsigned int tagNumber : {0u, 5u, 31u, 1000u}) {
        std::unique_ptr<ASN1Object> value(ASN1Object::makeASN1Object(ASNTag::TAGGED, tagNumber));
        EXPECT_EQ(value->taggedValue(), tagNumber);
    }
}

// A value kind of the test's own, with a tag the library has no class for.
class Probe : public ASN1Object {
  public:
    explicit Probe(bool* deleted) : ASN1Object(static_cast<ASNTag::ASN1_TAG>(11)), deleted_(deleted) {}
    ~Probe() override { *deleted_ = true; }
    ASN1Object* clone() const override { return new Probe(*this); }

  private:
    bool* deleted_;
};

TEST(DeleteObject, AcceptsNullAndDeletesThroughTheBase) {
    ASN1Object::deleteObject(nullptr);
    bool deleted = false;
    ASN1Object* probe = new Probe(&deleted);
    EXPECT_EQ(static_cast<int>(probe->getTagValue()), 11);
    EXPECT_TRUE(probe->isNull());
    ASN1Object::deleteObject(probe);
    EXPECT_TRUE(deleted);
}

TEST(ASNTag, HoldsAnyInt) {
    const struct {
        ASNTag tag;
        int value;
    } cases[] = {{ASNTag(ASNTag::INTEGER), 2},
                 {ASNTag(11), 11},
                 {ASNTag(7), 7},
                 {ASNTag(ASNTag::SORTED_STRUCTURE), -8},
                 {ASNTag(-6), -6}};
    for (const auto& c : cases) EXPECT_EQ(static_cast<int>(c.tag.getValue()), c.value);
    EXPECT_EQ(ASNTag(ASNTag::SET), ASNTag(49));
    EXPECT_FALSE(ASNTag(ASNTag::SET) == ASNTag(48));
}

TEST(Tagging, SettersChangeContextAndNumberButNotTheValue) {
    ASN1Integer value(5);
    EXPECT_EQ(value.taggedContext(), ASNTag::UNTAGGED);
    value.setExplicitTag(3);
    EXPECT_EQ(value.taggedContext(), ASNTag::EXPLICIT);
    EXPECT_EQ(value.taggedValue(), 3u);
    value.setImplicitTag(31);
    EXPECT_EQ(value.taggedContext(), ASNTag::IMPLICIT);
    EXPECT_EQ(value.taggedValue(), 31u);
    EXPECT_EQ(value.getValue(), Velmora::BigNumber(5));
    EXPECT_EQ(value.getTagValue(), ASNTag::INTEGER);
    value.setUntagged();
    EXPECT_EQ(value.taggedContext(), ASNTag::UNTAGGED);
    EXPECT_EQ(value.taggedValue(), 0u);
}

TEST(Tagging, TakesPartInEquality) {
    ASN1Integer a(5), b(5);
    EXPECT_EQ(a, b);
    a.setExplicitTag(0);
    EXPECT_NE(a, b);
    b.setImplicitTag(0);
    EXPECT_NE(a, b);
    b.setExplicitTag(0);
    EXPECT_EQ(a, b);
}

TEST(NullAndOptional, SettersMarkTheValueSet) {
    ASN1Boolean value;
    EXPECT_TRUE(value.isNull());
    EXPECT_FALSE(value.isOptional());
    value.setOptional(true);
    EXPECT_TRUE(value.isOptional());
    EXPECT_TRUE(value.isNull());
    value.setValue(false);
    EXPECT_FALSE(value.isNull());
    EXPECT_TRUE(value.isOptional());
    value.setOptional(false);
    EXPECT_FALSE(value.isOptional());
}

TEST(NullAndOptional, OptionalityIsNotCompared) {
    ASN1Integer a(1), b(1);
    a.setOptional(true);
    EXPECT_EQ(a, b);
}

TEST(DERBytes, StoredEncodingIsKeptUntilANewValue) {
    ASN1Integer value;
    const Velmora::ByteArray der{0x02, 0x01, 0x07};
    value.setDERBytes(der);
    EXPECT_EQ(value.getDERBytes(), der);
    EXPECT_FALSE(value.isNull());
    value.setExplicitTag(1);  // tagging leaves the stored encoding alone
    EXPECT_EQ(value.getDERBytes(), der);
    value.setValue(9);
    EXPECT_TRUE(value.getDERBytes().isEmpty());
}

TEST(DERBytes, EmptyEncodingLeavesAnUnsetValueUnset) {
    ASN1Integer value;
    value.setDERBytes(Velmora::ByteArray());
    EXPECT_TRUE(value.isNull());
}

TEST(Printing, StreamsToString) {
    const struct {
        std::unique_ptr<ASN1Object> value;
        const char* text;
    } cases[] = {
        {std::make_unique<ASN1Integer>(-42), "-42"},
        {std::make_unique<ASN1Boolean>(true), "TRUE"},
        {std::make_unique<ASN1Boolean>(), "<unset>"},
        {std::make_unique<ASN1Null>(), "NULL"},
        {std::make_unique<ASN1Enumerated>(7), "7"},
        {std::make_unique<ASN1ObjectIdentifier>("2.5.4.3"), "2.5.4.3"},
        {std::make_unique<ASN1OctetString>(Velmora::ByteArray{0xAB, 0x01}), "ab01"},
        {std::make_unique<ASN1PrintableString>("Zentrik"), "Zentrik"},
        {std::make_unique<ASN1UTCTime>("991231235959Z"), "991231235959Z"},
    };
    for (const auto& c : cases) {
        std::ostringstream out;
        out << *c.value;
        EXPECT_EQ(out.str(), c.text);
    }
}

}  // namespace
