// The static entry points write value trees their own way (in one pass, values held as octets
// written directly); on many varied trees they must give exactly what DERCoder's encode dispatch
// gives: the same octets, or the same failure inside their own levels of number 15.
#include "RandomTrees.h"
#include "support/DispatchEncoder.h"

namespace codec_test {
namespace {

using zentrik_test::DispatchEncoder;

constexpr const char* kValueEntry = "15 lib3 DERCoder::encode(const ASN1Object *): \n";
constexpr const char* kStreamEntry = "15 lib3 DERCoder::encode(const ASN1Object *, OutputStream&): \n";

// Builds the same tree on every call (a streamed string is read only once).
using TreeSource = std::function<Value()>;

void expectSameAsDispatch(const TreeSource& source) {
    ByteArray reference, octets;
    const Value forDispatch = source(), forValue = source(), forStream = source();
    const Outcome dispatch = outcomeOf([&] { reference = DispatchEncoder::encode(forDispatch.get()); });
    const Outcome value = outcomeOf([&] { octets = DERCoder::encode(*forValue); });
    ByteArrayOutputStream out;
    const Outcome stream = outcomeOf([&] { DERCoder::encode(*forStream, out); });
    if (!dispatch.failed()) {
        ASSERT_FALSE(value.failed() || stream.failed()) << value.text() << stream.text();
        EXPECT_TRUE(octets == reference) << octets.toHex() << "\n" << reference.toHex();
        EXPECT_TRUE(out.getByteArray() == reference) << out.getByteArray().toHex();
        return;
    }
    ASSERT_TRUE(value.error && stream.error) << "no failure where the dispatch fails: " << dispatch.text();
    const std::string inner = render(&*dispatch.error, {});
    EXPECT_EQ(render(&*value.error, {}), kValueEntry + (kStreamEntry + inner));
    EXPECT_EQ(render(&*stream.error, {}), kStreamEntry + inner);
    EXPECT_TRUE(out.getByteArray().isEmpty());
}

// An OCTET STRING whose contents come from a stream.
Value streamed() {
    return make<ASN1OctetString>(std::make_unique<ByteArrayInputStream>(repeated("5A", 300)));
}

// Trees of every kind, held as the caller builds them, as a decoder gives them and as stored
// encodings; SETs to sort, tagging of both kinds with high tag numbers, ANY and CHOICE around
// anything, long contents, streamed and segmented strings, and now and then a value that fails.
class MixedTrees {
  public:
    explicit MixedTrees(std::uint32_t seed) : maker_(seed), rng_(seed) {}

    // A structure, so that the entry points' own test of the value passes.
    Value root(int depth) { return maker_.wrapped(structured(depth)); }

    Value tree(int depth) {
        switch (pick(12)) {
            case 0:
                return decoded(maker_.tree(depth));
            case 1:
                return (pick(2) ? stored(decoded(maker_.tree(depth))) : maker_.tree(depth));
            case 2:
                return longString();
            case 3:  // now and then, a tree that DERCoder's dispatch writes whole
                return pick(6) == 0 ? (pick(2) ? failing() : streamed()) : decoded(maker_.tree(0));
            default:
                return depth > 0 ? maker_.wrapped(structured(depth)) : decoded(maker_.tree(0));
        }
    }

  private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

    static Value decoded(const Value& v) {
        const ByteArray der = DERCoder::encode(*v);
        return der.isEmpty() ? Value(v->clone()) : Value(DERCoder::decode(der)->clone());
    }
    Value stored(Value v) {
        v->setDERBytes(hex("04 02 AB CD"));
        return v;
    }
    Value longString() {
        ByteArray contents;
        contents.resize(static_cast<std::size_t>(pick(8) ? 100 + pick(200) : 65530 + pick(20)));
        for (std::size_t i = 0; i < contents.size(); ++i) contents[i] = static_cast<unsigned char>(i * 7 + 3);
        return make<ASN1OctetString>(std::move(contents));
    }
    Value failing() {
        switch (pick(5)) {
            case 0:
                return make<ASN1Integer>();  // unset and not optional
            case 1:
                return make<OddValue>(ASNTag::REAL);
            case 2:
                return make<OddValue>(ASNTag::INTEGER);  // a class of its own borrowing a tag
            case 3:
                return make<ASN1Any>();  // holding nothing
            default:
                return oid("1");
        }
    }
    Value structured(int depth) {
        Value s = pick(2) ? make<ASN1Sequence>() : make<ASN1Set>();
        for (int i = pick(6); i > 0; --i) static_cast<ASNStructured&>(*s).appendComponent(tree(depth - 1));
        if (pick(3) == 0) static_cast<ASNStructured&>(*s).appendComponent(optional(make<ASN1Boolean>()));
        return s;
    }
    TreeMaker maker_;
    std::mt19937 rng_;
};

TEST(DEREncodePaths, RandomTreesGiveTheDispatchsOctetsAndFailures) {
    for (std::uint32_t seed = 0; seed < 400; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        expectSameAsDispatch([seed] { return MixedTrees(seed).root(4); });
    }
}

TEST(DEREncodePaths, DecodedTreesGiveTheDispatchsOctets) {
    // Every element held as octets, as the decoders give them: the path that writes them directly.
    TreeMaker maker(314);
    for (int i = 0; i < 200; ++i) {
        const ByteArray der = BERCoder::encode(*maker.tree(5));
        SCOPED_TRACE(der.toHex());
        expectSameAsDispatch([&der] { return Value(BERCoder::decode(der)->clone()); });
    }
}

TEST(DEREncodePaths, SpecialShapesGiveTheDispatchsOctetsAndFailures) {
    const auto nested = [](int levels, Value inner) {
        for (int i = 0; i < levels; ++i) inner = structure(std::move(inner));
        return inner;
    };
    const std::vector<TreeSource> cases = {
        // nesting up to the limit and beyond it, also through ANY and CHOICE levels
        [&] { return nested(198, integer(1)); },
        [&] { return nested(199, integer(1)); },
        [&] { return nested(250, integer(1)); },
        [&] { return nested(198, make<ASN1Any>(make<ASN1Choice>(make<ASN1Null>()))); },
        // an explicitly tagged CHOICE around nothing, or around a value that fails
        [] { return explicitly(40000, make<ASN1Choice>(optional(make<ASN1Integer>()))); },
        [] { return structure(explicitly(2, make<ASN1Choice>(make<ASN1Integer>()))); },
        // two failures: the first one met in the order of the components is reported
        [] { return structure(oid("3.1"), make<OddValue>(ASNTag::REAL)); },
        [] { return structure<ASN1Set>(integer(7), make<OddValue>(11), make<ASN1Integer>()); },
        // unused bits beyond 7, written as their low octet
        [] { return structure(bits("FF", 0x1F3), implicitly(3, bits("", 9))); },
        // a SET of equal encodings, of prefixes, and one whose components are all absent
        [] { return structure<ASN1Set>(octets("01 02"), octets("01"), octets("01 02"), octets("")); },
        [] { return structure<ASN1Set>(optional(make<ASN1Null>()), optional(integer(0))); },
        // segmented strings, a string marked constructed, a streamed string beside a failure
        [] { return implicitly(5, structure<ASN1OctetString>(octets("AA"), explicitly(1, octets("BB")))); },
        [] {
            auto s = std::make_unique<ASN1OctetString>(hex("CC"));
            s->setConstructed(true);
            return s;
        },
        [] { return structure(streamed(), make<ASN1Integer>()); },
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "case " << i);
        expectSameAsDispatch(cases[i]);
    }
}

TEST(DEREncodePaths, AStreamThatRefusesOctetsFailsAsUnderTheDispatch) {
    struct RefusingStream : Velmora::OutputStream {
        void writeBytes(const unsigned char*, std::size_t) override {
            throw Velmora::UtilsException(1, "RefusingStream", "refused");
        }
    };
    // The failure is wrapped once per level of the dispatch open when the outermost element is written.
    const std::vector<TreeSource> cases = {
        [] { return structure(integer(1)); },
        [] { return make<ASN1Any>(make<ASN1Choice>(integer(2))); },
        [] { return make<ASN1Choice>(explicitly(3, make<ASN1Choice>(make<ASN1Null>()))); },
    };
    for (const TreeSource& source : cases) {
        RefusingStream first, second;
        const Value tree = source();
        const Outcome dispatch = outcomeOf([&] { DispatchEncoder::encode(tree.get(), first); });
        const Outcome entry = outcomeOf([&] { DERCoder::encode(*tree, second); });
        ASSERT_TRUE(dispatch.error && entry.error);
        EXPECT_EQ(render(&*entry.error, {}), kStreamEntry + render(&*dispatch.error, {}));
    }
}

}  // namespace
}  // namespace codec_test
