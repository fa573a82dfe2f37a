// The checked cast: which tags each class accepts, and failures 23 and 29.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "zentrik/platform/asn1/ASN1.h"

using namespace Ostrel;

namespace {

// Tries the cast of `value` to every target class; true where it succeeds.
struct Target {
    const char* name;
    std::function<void(const ASN1Object*)> cast;
};

template <typename T>
Target target(const char* name) {
    return {name, [](const ASN1Object* value) { EXPECT_EQ(asn1_const_cast<T>(value), value); }};
}

const std::vector<Target>& targets() {
    static const std::vector<Target> all = {
        target<ASN1Boolean>("ASN1Boolean"),
        target<ASN1Integer>("ASN1Integer"),
        target<ASN1BitString>("ASN1BitString"),
        target<ASN1OctetString>("ASN1OctetString"),
        target<ASN1Null>("ASN1Null"),
        target<ASN1ObjectIdentifier>("ASN1ObjectIdentifier"),
        target<ASN1Enumerated>("ASN1Enumerated"),
        target<ASN1String>("ASN1String"),
        target<ASN1Time>("ASN1Time"),
        target<ASNStructured>("ASNStructured"),
        target<ASN1Sequence>("ASN1Sequence"),
        target<ASN1Set>("ASN1Set"),
        target<ASN1Choice>("ASN1Choice"),
        target<ASN1Any>("ASN1Any"),
        target<ASN1TaggedValue>("ASN1TaggedValue"),
    };
    return all;
}

struct CastCase {
    std::function<std::unique_ptr<ASN1Object>()> make;
    std::vector<std::string> accepted;  // the target classes that take the value
};

class Cast : public ::testing::TestWithParam<CastCase> {};

TEST_P(Cast, AcceptsItsOwnClassesAndRefusesTheOthersWith23) {
    const CastCase& c = GetParam();
    std::unique_ptr<ASN1Object> value = c.make();
    for (const Target& t : targets()) {
        const bool accepted = std::find(c.accepted.begin(), c.accepted.end(), t.name) != c.accepted.end();
        if (accepted) {
            EXPECT_NO_THROW(t.cast(value.get())) << t.name << " for kind " << value->getTagValue();
            continue;
        }
        try {
            t.cast(value.get());
            ADD_FAILURE() << t.name << " accepted kind " << value->getTagValue();
        } catch (const ASN1CastException& e) {
            EXPECT_EQ(e.getNumber(), 23u) << t.name;
            EXPECT_EQ(e.getLibrary(), Velmora::Exception::LIB_GENERAL);
            EXPECT_EQ(e.getOperation(), Velmora::String("asn1_const_cast()"));
            EXPECT_TRUE(e.getMessage().isEmpty());
        }
    }
}

template <typename T, typename... Args>
std::function<std::unique_ptr<ASN1Object>()> maker(Args... args) {
    return [=] { return std::unique_ptr<ASN1Object>(new T(args...)); };
}

std::unique_ptr<ASN1Object> constructedOctets() {
    auto value = std::make_unique<ASN1OctetString>();
    value->appendComponent(std::make_unique<ASN1OctetString>(Velmora::ByteArray("A")));
    return value;
}

std::unique_ptr<ASN1Object> constructedBits() {
    auto value = std::make_unique<ASN1BitString>();
    value->appendComponent(std::make_unique<ASN1BitString>(Velmora::ByteArray("A"), 0));
    return value;
}

INSTANTIATE_TEST_SUITE_P(
    EveryClass, Cast,
    ::testing::Values(
        CastCase{maker<ASN1Boolean>(true), {"ASN1Boolean"}}, CastCase{maker<ASN1Integer>(1), {"ASN1Integer"}},
        CastCase{maker<ASN1BitString>(), {"ASN1BitString"}}, CastCase{constructedBits, {"ASN1BitString"}},
        CastCase{maker<ASN1OctetString>(), {"ASN1OctetString"}},
        CastCase{constructedOctets, {"ASN1OctetString"}}, CastCase{maker<ASN1Null>(), {"ASN1Null"}},
        CastCase{maker<ASN1ObjectIdentifier>("1.2"), {"ASN1ObjectIdentifier"}},
        CastCase{maker<ASN1Enumerated>(1), {"ASN1Enumerated"}},
        CastCase{maker<ASN1UTF8String>("a"), {"ASN1String"}},
        CastCase{maker<ASN1NumericString>("1"), {"ASN1String"}},
        CastCase{maker<ASN1PrintableString>("a"), {"ASN1String"}},
        CastCase{maker<ASN1TeletexString>("a"), {"ASN1String"}},
        CastCase{maker<ASN1IA5String>("a"), {"ASN1String"}},
        CastCase{maker<ASN1VisibleString>("a"), {"ASN1String"}},
        CastCase{maker<ASN1UniversalString>("a"), {"ASN1String"}},
        CastCase{maker<ASN1BMPString>("a"), {"ASN1String"}}, CastCase{maker<ASN1UTCTime>("a"), {"ASN1Time"}},
        CastCase{maker<ASN1GeneralizedTime>("a"), {"ASN1Time"}},
        CastCase{maker<ASN1Sequence>(), {"ASNStructured", "ASN1Sequence"}},
        CastCase{maker<ASN1Set>(), {"ASNStructured", "ASN1Set"}},
        CastCase{maker<ASN1SetOf>(), {"ASNStructured", "ASN1Set"}}, CastCase{maker<ASN1Any>(), {"ASN1Any"}},
        CastCase{maker<ASN1TaggedValue>(3u), {"ASN1TaggedValue"}}));

TEST(Cast, NullIs23) {
    for (const Target& t : targets()) {
        try {
            t.cast(nullptr);
            ADD_FAILURE() << t.name << " accepted null";
        } catch (const ASN1CastException& e) {
            EXPECT_EQ(e.getNumber(), 23u);
        }
    }
}

TEST(Cast, ChoiceToAnotherClassIs29) {
    ASN1Choice choice(ASN1Integer(5));
    EXPECT_EQ(asn1_const_cast<ASN1Choice>(&choice), &choice);
    for (const Target& t : targets()) {
        if (std::string(t.name) == "ASN1Choice") continue;
        try {
            t.cast(&choice);
            ADD_FAILURE() << t.name << " accepted a CHOICE";
        } catch (const ASN1CastException& e) {
            EXPECT_EQ(e.getNumber(), 29u) << t.name;
            EXPECT_EQ(e.getOperation(), Velmora::String("asn1_const_cast()"));
        }
    }
}

TEST(Cast, ConcreteStringClassesTakeTheirOwnTagOnly) {
    ASN1IA5String ia5("a");
    EXPECT_EQ(asn1_const_cast<ASN1IA5String>(&ia5), &ia5);
    EXPECT_THROW(asn1_const_cast<ASN1PrintableString>(&ia5), ASN1CastException);
    ASN1UTCTime utc("a");
    EXPECT_THROW(asn1_const_cast<ASN1GeneralizedTime>(&utc), ASN1CastException);
}

// A class of its own that borrows the INTEGER tag is not taken for an ASN1Integer.
class Impostor : public ASN1Object {
  public:
    Impostor() : ASN1Object(ASNTag::INTEGER) {}
    ASN1Object* clone() const override { return new Impostor(*this); }
};

TEST(Cast, TagAloneDoesNotMakeTheClass) {
    Impostor impostor;
    EXPECT_THROW(asn1_const_cast<ASN1Integer>(&impostor), ASN1CastException);
}

// A structure of the caller's own with the SEQUENCE tag is an ASNStructured but no ASN1Sequence.
class OwnStructure : public ASNStructured {
  public:
    OwnStructure() : ASNStructured(ASNTag::SEQUENCE) {}
    ASN1Object* clone() const override { return new OwnStructure(*this); }
};

// A subclass of a library class is still that class.
class OwnInteger : public ASN1Integer {
  public:
    using ASN1Integer::ASN1Integer;
    ASN1Object* clone() const override { return new OwnInteger(*this); }
};

TEST(Cast, ClassesOfTheCallersOwn) {
    OwnStructure structure;
    EXPECT_EQ(asn1_const_cast<ASNStructured>(&structure), &structure);
    EXPECT_THROW(asn1_const_cast<ASN1Sequence>(&structure), ASN1CastException);
    OwnInteger integer(4);
    EXPECT_EQ(asn1_const_cast<ASN1Integer>(&integer), &integer);
    EXPECT_THROW(asn1_const_cast<ASN1Enumerated>(&integer), ASN1CastException);
}

TEST(Cast, MutableForm) {
    ASN1Integer value(1);
    ASN1Object* base = &value;
    asn1_cast<ASN1Integer>(base)->setValue(2);
    EXPECT_EQ(value.getValue(), Velmora::BigNumber(2));
    EXPECT_THROW(asn1_cast<ASN1Boolean>(base), ASN1CastException);
}

TEST(Cast, ExceptionIsAnException) {
    const ASN1CastException e(23);
    const Velmora::Exception& base = e;
    EXPECT_EQ(base.getNumber(), 23u);
    EXPECT_EQ(base.getClassCode(), ASN1CastException::CLASS_CODE);
    EXPECT_NE(std::string(base.what()).find("asn1_const_cast()"), std::string::npos);
}

}  // namespace
