// Values held as the contents octets of their encoding (as the decoders set them): the octets kept,
// the value built from them when it is read, and what replacing the value does to them. Also the
// component list's own room and the encoding a value stores.
#include <gtest/gtest.h>

#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "support/Octets.h"
#include "zentrik/platform/asn1/ASN1.h"
#include "zentrik/platform/utils/Exception.h"
#include "zentrik/platform/utils/IndexOutOfRange.h"

using namespace Ostrel;
using Velmora::BigNumber;
using Velmora::ByteArray;
using Velmora::IntArray;
using Velmora::String;
using zentrik_test::hex;

namespace {

TEST(ASN1IntegerContentOctets, KeepsMinimalOctetsAndReadsTheNumberFromThem) {
    const struct {
        const char* given;
        const char* kept;
        const char* decimal;
    } cases[] = {
        {"", "00", "0"},
        {"00", "00", "0"},
        {"0000", "00", "0"},
        {"05", "05", "5"},
        {"000005", "05", "5"},
        {"7F", "7F", "127"},
        {"0080", "0080", "128"},
        {"000080", "0080", "128"},
        {"80", "80", "-128"},
        {"FF80", "80", "-128"},
        {"FF7F", "FF7F", "-129"},
        {"FFFF7F", "FF7F", "-129"},
        {"FF", "FF", "-1"},
        {"FFFFFF", "FF", "-1"},
        {"00FF", "00FF", "255"},
        {"FF00", "FF00", "-256"},
        {"0100000000000000000000", "0100000000000000000000", "1208925819614629174706176"},
        {"FF00000000000000000000", "FF00000000000000000000", "-1208925819614629174706176"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("octets ") + c.given);
        ASN1Integer copied;
        copied.setContentOctets(hex(c.given));
        ASN1Integer moved;
        moved.setContentOctets(hex(c.given));  // a temporary: the overload that takes the octets over
        for (const ASN1Integer* value : {&copied, &moved}) {
            EXPECT_FALSE(value->isNull());
            EXPECT_TRUE(value->hasContentOctets());
            EXPECT_EQ(value->getContentOctets().toHex(), hex(c.kept).toHex());
            EXPECT_EQ(value->getValue().toDecimal(), c.decimal);
            EXPECT_EQ(value->toString(), String(c.decimal));
            // Read once, the octets stay as they were.
            EXPECT_EQ(value->getContentOctets().toHex(), hex(c.kept).toHex());
        }
        // Equal to the same number given as a number, and copies keep the octets.
        EXPECT_EQ(copied, ASN1Integer(BigNumber::fromDecimal(c.decimal)));
        const std::unique_ptr<ASN1Object> clone(copied.clone());
        EXPECT_EQ(static_cast<const ASN1Integer&>(*clone).getContentOctets(), copied.getContentOctets());
        EXPECT_EQ(*clone, copied);
    }
}

TEST(ASN1IntegerContentOctets, ANumberGivenDropsTheOctetsAndOctetsDropAStoredEncoding) {
    ASN1Integer value;
    value.setContentOctets(hex("0102"));
    value.setValue(BigNumber(-7));
    EXPECT_FALSE(value.hasContentOctets());
    EXPECT_TRUE(value.getContentOctets().isEmpty());
    EXPECT_EQ(value.getValue(), BigNumber(-7));

    value.setDERBytes(hex("020101"));
    value.setContentOctets(hex("2A"));
    EXPECT_TRUE(value.getDERBytes().isEmpty());
    EXPECT_EQ(value.getValue(), BigNumber(42));
    EXPECT_NE(value, ASN1Integer(43));
}

TEST(ASN1ObjectIdentifierContentOctets, KeepsCompleteMinimalEncodings) {
    const struct {
        const char* octets;
        const char* dotted;
        unsigned int arcs;
    } cases[] = {
        {"2A864886F70D", "1.2.840.113549", 4},
        {"00", "0.0", 2},
        {"27", "0.39", 2},
        {"28", "1.0", 2},
        {"4F", "1.39", 2},
        {"50", "2.0", 2},
        {"8137", "2.103", 2},
        {"551D0E", "2.5.29.14", 4},
        {"2A8FFFFFFF7F", "1.2.4294967295", 3},
        {"888080804F", "2.2147483647", 2},
        {"2B0601040182371402", "1.3.6.1.4.1.311.20.2", 9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("octets ") + c.octets);
        const ByteArray octets = hex(c.octets);
        EXPECT_TRUE(ASN1ObjectIdentifier::isContentOctets(octets.data(), octets.size()));
        ASN1ObjectIdentifier value;
        ASSERT_TRUE(value.setContentOctets(octets));
        EXPECT_FALSE(value.isNull());
        EXPECT_TRUE(value.hasContentOctets());
        EXPECT_EQ(value.getContentOctets(), octets);
        EXPECT_EQ(value.getLength(), c.arcs);  // counted from the octets, before the arcs are built
        EXPECT_EQ(value.toString(), String(c.dotted));
        EXPECT_EQ(value.getValue(), ASN1ObjectIdentifier::parse(c.dotted));
        EXPECT_EQ(value.getLength(), c.arcs);
        EXPECT_EQ(value, ASN1ObjectIdentifier(c.dotted));
        EXPECT_EQ(ASN1ObjectIdentifier(c.dotted), value);
    }
}

TEST(ASN1ObjectIdentifierContentOctets, RefusesOtherOctetsAndKeepsItsValue) {
    const struct {
        const char* octets;
        const char* why;
    } cases[] = {
        {"", "no octets"},
        {"2A86", "the last subidentifier is unfinished"},
        {"86", "the only subidentifier is unfinished"},
        {"8001", "the first subidentifier starts with a zero group"},
        {"2A8001", "a later subidentifier starts with a zero group"},
        {"2A9080808000", "an arc of 2^32"},
        {"2AFFFFFFFF7F", "an arc of 2^35 - 1"},
        {"8880808050", "a second arc of 2^31"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        const ByteArray octets = hex(c.octets);
        EXPECT_FALSE(ASN1ObjectIdentifier::isContentOctets(octets.data(), octets.size()));
        ASN1ObjectIdentifier value("1.2.3");
        EXPECT_FALSE(value.setContentOctets(octets));
        ByteArray moved = octets;
        EXPECT_FALSE(value.setContentOctets(std::move(moved)));
        EXPECT_EQ(moved, octets) << "refused octets are not taken";
        EXPECT_FALSE(value.hasContentOctets());
        EXPECT_EQ(value.toString(), String("1.2.3"));
    }
}

// What is wrong with an identifier's octets, read one subidentifier at a time.
octets::Fault subidentifierFault(const std::vector<unsigned char>& octets) {
    if (octets.empty()) return octets::Fault::missing;
    if (octets.back() & 0x80) return octets::Fault::ended;
    std::size_t start = 0;
    for (std::size_t end = 0; end < octets.size(); ++end) {
        if (octets[end] & 0x80) continue;
        if (octets[start] == 0x80) return octets::Fault::padded;
        std::uint64_t value = 0;
        for (std::size_t i = start; i <= end; ++i) {
            value = (value << 7) | (octets[i] & 0x7F);
            if (value > 0xFFFFFFFFu) return octets::Fault::tooLarge;
        }
        if (start == 0 && value >= 80 && value - 80 > 0x7FFFFFFFu) return octets::Fault::tooLarge;
        start = end + 1;
    }
    return octets::Fault::none;
}

TEST(ASN1ObjectIdentifierContentOctets, FaultAgreesWithReadingEachSubidentifier) {
    // Octets that end, continue, pad or fill subidentifiers, in runs of every length around 16.
    const unsigned char kinds[] = {0x00, 0x01, 0x2A, 0x7F, 0x80, 0x81, 0x86, 0x8F, 0xFF};
    std::mt19937 random(7);
    for (int round = 0; round < 20000; ++round) {
        std::vector<unsigned char> octets(random() % 21);
        for (auto& octet : octets) octet = kinds[random() % sizeof kinds];
        if (!octets.empty() && round % 2 == 0) octets.back() &= 0x7F;  // half of them end complete
        SCOPED_TRACE(ByteArray(octets.data(), octets.size()).toHex());
        EXPECT_EQ(ASN1ObjectIdentifier::contentOctetsFault(octets.data(), octets.size()),
                  subidentifierFault(octets));
    }
}

TEST(ASN1ObjectIdentifierContentOctets, ArcsGivenDropTheOctets) {
    ASN1ObjectIdentifier value;
    ASSERT_TRUE(value.setContentOctets(hex("2A03")));
    value.setValue(IntArray{2, 5, 4, 3});
    EXPECT_FALSE(value.hasContentOctets());
    EXPECT_EQ(value.getLength(), 4u);
    EXPECT_EQ(value.toString(), String("2.5.4.3"));
    value.setValue("1.2");
    EXPECT_NE(value, ASN1ObjectIdentifier("1.2.3"));
}

TEST(ASN1StringContentOctets, BuildsTheTextInTheOctetFormOfTheType) {
    const auto text = [](std::u32string s) { return String(std::move(s)); };
    const struct {
        std::unique_ptr<ASN1String> value;
        const char* octets;
        String expected;
        bool written;   // the octets encode the text exactly
        bool recorded;  // getEncodedValue() gives them
    } cases[] = {
        {std::make_unique<ASN1PrintableString>(), "54657374", String("Test"), true, false},
        {std::make_unique<ASN1IA5String>(), "41E9", text(U"A\u00E9"), true, false},
        {std::make_unique<ASN1TeletexString>(), "", String(""), true, false},
        {std::make_unique<ASN1UTF8String>(), "4142", String("AB"), true, true},
        {std::make_unique<ASN1UTF8String>(), "C3A9", text(U"\u00E9"), true, true},
        {std::make_unique<ASN1UTF8String>(), "F09F9880", text(U"\U0001F600"), true, true},
        {std::make_unique<ASN1UTF8String>(), "C328", text(U"\xDCC3("), true, true},  // not UTF-8: kept
        {std::make_unique<ASN1UTF8String>(), "C0AF", text(U"\xDCC0\xDCAF"), true, true},
        {std::make_unique<ASN1BMPString>(), "00410042", String("AB"), true, true},
        {std::make_unique<ASN1BMPString>(), "D83DDE00", text(U"\U0001F600"), true, true},
        {std::make_unique<ASN1BMPString>(), "004100", String("A"), false, true},
        {std::make_unique<ASN1UniversalString>(), "00000043", String("C"), true, true},
        {std::make_unique<ASN1UniversalString>(), "00000041000000E9000065E5", text(U"A\u00E9\u65E5"), true,
         true},
        {std::make_unique<ASN1UniversalString>(), "0000004300", String("C"), false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("octets ") + c.octets + " for kind " +
                     std::to_string(c.value->getTagValue()));
        ASN1String& value = *c.value;
        value.setContentOctets(hex(c.octets));
        EXPECT_FALSE(value.isNull());
        EXPECT_EQ(value.hasContentOctets(), c.written);
        EXPECT_EQ(value.getContentOctets(), c.written ? hex(c.octets) : ByteArray());
        EXPECT_EQ(value.getEncodedValue(), c.recorded ? hex(c.octets) : ByteArray());
        EXPECT_EQ(value.getValue(), c.expected);
        EXPECT_EQ(value.toString(), c.expected);
        const std::unique_ptr<ASN1Object> clone(value.clone());
        EXPECT_EQ(*clone, value);
        EXPECT_EQ(static_cast<const ASN1String&>(*clone).getValue(), c.expected);
    }
}

TEST(ASN1StringContentOctets, TextGivenDropsTheOctetsAndEncodedOctetsKeepTheText) {
    ASN1UTF8String value;
    value.setContentOctets(hex("4142"));
    value.setEncodedValue(hex("00410042"));
    EXPECT_EQ(value.getValue(), String("AB"));
    EXPECT_EQ(value.getEncodedValue(), hex("00410042"));
    EXPECT_FALSE(value.hasContentOctets()) << "octets given as the encoded value are not what is written";

    value.setContentOctets(hex("4344"));
    value.setValue(String("xyz"));
    EXPECT_FALSE(value.hasContentOctets());
    EXPECT_TRUE(value.getEncodedValue().isEmpty());
    EXPECT_EQ(value.getValue(), String("xyz"));
    EXPECT_EQ(value, ASN1UTF8String("xyz"));
    EXPECT_NE(value, ASN1UTF8String("xy"));
}

TEST(ASN1StringContentOctets, TextGivenBackWritesTheSameOctets) {
    // getValue() handed to setValue() drops the octets; the text must still write them all.
    const struct {
        std::unique_ptr<ASN1String> value;
        const char* octets;
    } cases[] = {
        {std::make_unique<ASN1UTF8String>(), "FF"},
        {std::make_unique<ASN1UTF8String>(), "41C328EDB280F4908080E282AC"},
        {std::make_unique<ASN1UniversalString>(), "00000041000000E9000065E5"},
        {std::make_unique<ASN1UniversalString>(), "0000DC80FFFFFFFF0001F600"},
        {std::make_unique<ASN1BMPString>(), "D83DDE00DC800041"},
        {std::make_unique<ASN1IA5String>(), "00FF41"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("octets ") + c.octets + " for kind " +
                     std::to_string(c.value->getTagValue()));
        ASN1String& value = *c.value;
        value.setContentOctets(hex(c.octets));
        value.setValue(Velmora::String(value.getValue()));
        EXPECT_FALSE(value.hasContentOctets());
        EXPECT_EQ(value.textContentOctets(), hex(c.octets));
    }
    EXPECT_EQ(ASN1UniversalString("A\xC3\xA9\xE6\x97\xA5").textContentOctets(),
              hex("00000041000000E9000065E5"));
    EXPECT_EQ(ASN1BMPString("A\xC3\xA9").textContentOctets(), hex("004100E9"));
}

TEST(ASN1StringContentOctets, FaultNamesOctetsThatCannotBeKeptWhole) {
    const struct {
        ASNTag::ASN1_TAG tag;
        std::size_t count;
        const char* fault;  // a part of the message, or nullptr when the octets are acceptable
    } cases[] = {
        {ASNTag::BMP_STRING, 4, nullptr},
        {ASNTag::BMP_STRING, 3, "a BMPString has two octets per character"},
        {ASNTag::UNIVERSAL_STRING, 8, nullptr},
        {ASNTag::UNIVERSAL_STRING, 5, "four octets per character: its last character has only 1 octet"},
        {ASNTag::UNIVERSAL_STRING, 6, "only 2 octets"},
        {ASNTag::UNIVERSAL_STRING, 11, "only 3 octets"},
        {ASNTag::UTF8_STRING, 3, nullptr},
        {ASNTag::IA5_STRING, 1, nullptr},
    };
    const ByteArray octets = hex("FFFFFFFFFFFFFFFFFFFFFFFF");  // no value is refused: all 32 bits are held
    for (const auto& c : cases) {
        SCOPED_TRACE("tag " + std::to_string(c.tag) + ", " + std::to_string(c.count) + " octets");
        const char* fault = ASN1String::contentOctetsFault(c.tag, octets.data(), c.count);
        if (c.fault == nullptr) {
            EXPECT_EQ(fault, nullptr) << fault;
        } else {
            ASSERT_NE(fault, nullptr);
            EXPECT_NE(std::string(fault).find(c.fault), std::string::npos) << fault;
        }
    }
}

TEST(ASN1TimeContentOctets, KeepsTheOctetsAndReadsTheTextFromThem) {
    ASN1UTCTime utc;
    utc.setContentOctets(hex("3939313233313233353935395A"));
    EXPECT_TRUE(utc.hasContentOctets());
    EXPECT_EQ(utc.getContentOctets(), ByteArray("991231235959Z"));
    EXPECT_EQ(utc.getValue(), String("991231235959Z"));
    EXPECT_EQ(utc, ASN1UTCTime("991231235959Z"));

    ASN1GeneralizedTime general;
    general.setContentOctets(ByteArray());
    EXPECT_FALSE(general.isNull());
    EXPECT_EQ(general.getValue(), String(""));
    general.setValue(String("20380119031408Z"));
    EXPECT_FALSE(general.hasContentOctets());
    EXPECT_TRUE(general.getContentOctets().isEmpty());
    EXPECT_EQ(general.toString(), String("20380119031408Z"));
}

TEST(ASN1ComponentListRoom, KeepsOrderWithinAndBeyondItsOwnRoom) {
    for (int count : {0, 1, 3, 4, 5, 8, 9, 40}) {
        SCOPED_TRACE("components: " + std::to_string(count));
        ASN1Sequence sequence;
        std::vector<const ASN1Object*> appended;
        for (int i = 0; i < count; ++i) {
            auto component = std::make_unique<ASN1Integer>(i);
            appended.push_back(component.get());
            sequence.appendComponent(std::move(component));
        }
        ASSERT_EQ(sequence.getNumberOfComponents(), static_cast<unsigned int>(count));
        for (int i = 0; i < count; ++i)
            EXPECT_EQ(sequence.getComponent(static_cast<unsigned int>(i)), appended[i]);
        EXPECT_THROW(sequence.getComponent(static_cast<unsigned int>(count)), Velmora::IndexOutOfRange);

        ASN1Sequence copy(sequence);
        EXPECT_EQ(copy, sequence);
        for (int i = 0; i < count; ++i) {
            EXPECT_NE(copy.getComponent(static_cast<unsigned int>(i)), appended[i]) << "copies are deep";
            EXPECT_EQ(*copy.getComponent(static_cast<unsigned int>(i)), ASN1Integer(i));
        }
        sequence.clearComponents();
        EXPECT_EQ(sequence.getNumberOfComponents(), 0u);
        EXPECT_EQ(copy.getNumberOfComponents(), static_cast<unsigned int>(count));
        for (int i = 0; i < 6; ++i) sequence.appendComponent(std::make_unique<ASN1Integer>(i));
        EXPECT_EQ(*sequence.getComponent(5), ASN1Integer(5)) << "a cleared list takes components again";
    }
}

TEST(ASN1ComponentListRoom, MovesLeaveAnEmptyUsableList) {
    for (unsigned int count : {0u, 2u, 4u, 6u, 13u}) {
        SCOPED_TRACE("components: " + std::to_string(count));
        ASN1ComponentList list;
        list.reserve(count);
        for (unsigned int i = 0; i < count; ++i) list.append(std::make_unique<ASN1Integer>(i));
        const ASN1ComponentList copy(list);
        ASN1ComponentList moved(std::move(list));
        EXPECT_TRUE(moved.equals(copy));
        EXPECT_EQ(list.size(), 0u);  // NOLINT(bugprone-use-after-move): a moved-from list is empty
        EXPECT_TRUE(list.empty());
        list.append(std::make_unique<ASN1Null>());
        EXPECT_EQ(list.size(), 1u);
        ASN1ComponentList assigned;
        assigned.append(std::make_unique<ASN1Boolean>(true));
        assigned = std::move(moved);
        EXPECT_TRUE(assigned.equals(copy));
        EXPECT_EQ(moved.size(), 0u);  // NOLINT(bugprone-use-after-move)
        assigned = list;
        EXPECT_EQ(assigned.size(), 1u);
        EXPECT_EQ(*assigned.at(0), ASN1Null());
        EXPECT_THROW(list.append(nullptr), Velmora::Exception);
        EXPECT_EQ(list.size(), 1u);
    }
}

// A value class of a caller's own that watches the encodings given to it.
class WatchedValue : public ASN1Null {
  public:
    void setDERBytes(const ByteArray& der) override {
        ++seen;
        ASN1Null::setDERBytes(der);
    }
    using ASN1Object::setDERBytes;
    int seen = 0;
};

TEST(ASN1StoredEncoding, MovedEncodingsReachOverridesAndCopiesAreDeep) {
    WatchedValue watched;
    ASN1Object& asObject = watched;
    asObject.setDERBytes(hex("0500"));  // a temporary: the moving overload
    EXPECT_EQ(watched.seen, 1) << "the moving overload goes through the copying one by default";
    EXPECT_EQ(watched.getDERBytes(), hex("0500"));

    ASN1TaggedValue tagged(3);
    ASN1Object& taggedObject = tagged;
    taggedObject.setDERBytes(hex("A3020500"));
    EXPECT_TRUE(tagged.isConstructed());
    EXPECT_EQ(tagged.getIdentifierOctet(), 0xA3);
    ASN1TaggedValue copy(tagged);
    EXPECT_EQ(copy.getDERBytes(), hex("A3020500"));
    EXPECT_NE(copy.getDERBytes().data(), tagged.getDERBytes().data()) << "the copy has octets of its own";
    EXPECT_EQ(copy, tagged);
    taggedObject.setDERBytes(hex("8300"));
    EXPECT_FALSE(tagged.isConstructed());
    EXPECT_NE(copy, tagged);
    copy = tagged;
    EXPECT_EQ(copy, tagged);
    taggedObject.setDERBytes(ByteArray());
    EXPECT_TRUE(tagged.getDERBytes().isEmpty());
}

}  // namespace

TEST(ASN1ContentOctetsHolder, HoldsShortAndLongOctetsAndCopiesThemDeeply) {
    std::vector<std::size_t> counts(18);  // every short count (copied in words of 8, 4 or 1), then longer
    std::iota(counts.begin(), counts.end(), 0);
    counts.push_back(300);
    for (std::size_t count : counts) {  // inside the holder up to 15, then on the heap
        SCOPED_TRACE("octets: " + std::to_string(count));
        std::vector<unsigned char> octets(count);
        for (std::size_t i = 0; i < count; ++i) octets[i] = static_cast<unsigned char>(i * 7 + 1);
        ASN1ContentOctets held;
        held.assign(octets.data(), count);
        EXPECT_EQ(held.size(), count);
        EXPECT_EQ(held.empty(), count == 0);
        EXPECT_EQ(held.toByteArray(), ByteArray(octets.data(), count));

        ASN1ContentOctets copy = held;
        held.assign(reinterpret_cast<const unsigned char*>("xyz"), 3);
        EXPECT_EQ(copy.toByteArray(), ByteArray(octets.data(), count)) << "a copy does not share the octets";
        EXPECT_FALSE(copy == held);

        ASN1ContentOctets moved = std::move(copy);
        EXPECT_TRUE(copy.empty());  // NOLINT(bugprone-use-after-move): a moved-from holder is empty
        EXPECT_EQ(moved.toByteArray(), ByteArray(octets.data(), count));
        copy = moved;
        EXPECT_TRUE(copy == moved);
    }
}

TEST(ASN1ContentOctetsHolder, TakesPartsOfItsOwnOctets) {
    const ByteArray octets = hex("000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F");
    ASN1ContentOctets held;
    held.assign(octets.data(), octets.size());
    held.assign(held.data() + 2, 20);  // heap to heap, from the block it replaces
    EXPECT_EQ(held.toByteArray(), octets.subBytes(2, 20));
    held.assign(held.data() + 1, 4);  // heap to inside the holder
    EXPECT_EQ(held.toByteArray(), octets.subBytes(3, 4));
    held.assign(held.data() + 1, 2);  // inside to inside
    EXPECT_EQ(held.toByteArray(), octets.subBytes(4, 2));
}

TEST(ASN1BuiltForms, NewOctetsReplaceAValueAlreadyReadAndCopiesKeepTheirOwn) {
    ASN1Integer number;
    number.setContentOctets(hex("05"));
    EXPECT_EQ(number.getValue(), BigNumber(5));
    const ASN1Integer numberBefore = number;
    number.setContentOctets(hex("FF"));
    EXPECT_EQ(number.getValue(), BigNumber(-1));
    EXPECT_EQ(numberBefore.getValue(), BigNumber(5));

    ASN1ObjectIdentifier oid;
    ASSERT_TRUE(oid.setContentOctets(hex("2A03")));
    EXPECT_EQ(oid.toString(), String("1.2.3"));
    const ASN1ObjectIdentifier oidBefore = oid;
    ASSERT_TRUE(oid.setContentOctets(hex("2B06")));
    EXPECT_EQ(oid.getLength(), 3u);
    EXPECT_EQ(oid.toString(), String("1.3.6"));
    EXPECT_EQ(oidBefore.toString(), String("1.2.3"));

    ASN1PrintableString text;
    text.setContentOctets(hex("4142"));
    EXPECT_EQ(text.getValue(), String("AB"));
    const ASN1PrintableString textBefore = text;
    text.setContentOctets(hex("4344"));
    EXPECT_EQ(text.getValue(), String("CD"));
    EXPECT_EQ(textBefore.getValue(), String("AB"));

    ASN1UTCTime time;
    time.setContentOctets(ByteArray("250101000000Z"));
    EXPECT_EQ(time.getValue(), String("250101000000Z"));
    time.setContentOctets(ByteArray("260101000000Z"));
    EXPECT_EQ(time.getValue(), String("260101000000Z"));
}

TEST(ASN1BuiltForms, TaggingAndStoredEncodingStayBesideAValueReadFromOctets) {
    ASN1Integer value;
    value.setImplicitTag(3);
    value.setContentOctets(hex("2A"));
    value.setDERBytes(hex("83012A"));
    EXPECT_EQ(value.getValue(), BigNumber(42));  // builds the number beside tagging and encoding
    EXPECT_EQ(value.taggedContext(), ASNTag::IMPLICIT);
    EXPECT_EQ(value.taggedValue(), 3u);
    EXPECT_EQ(value.getDERBytes(), hex("83012A"));
    value.setUntagged();
    EXPECT_EQ(value.taggedContext(), ASNTag::UNTAGGED);
    EXPECT_EQ(value.getValue(), BigNumber(42));
    value.setValue(BigNumber(7));
    EXPECT_TRUE(value.getDERBytes().isEmpty());
    EXPECT_EQ(value.getValue(), BigNumber(7));
}
