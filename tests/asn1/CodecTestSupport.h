#pragma once
// Helpers of the DER and BER codec tests: value builders, and what a call threw compared with an
// expected failure chain.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "zentrik/asn1/BERCoder.h"
#include "zentrik/asn1/DERCoder.h"
#include "zentrik/foundation/CoderException.h"
#include "zentrik/platform/asn1/ASN1.h"

namespace codec_test {

using namespace Ostrel;
using Velmora::ByteArray, Velmora::ByteArrayInputStream, Velmora::ByteArrayOutputStream;
using Velmora::CoderException, Velmora::Exception, Velmora::IndexOutOfRange, Velmora::String;
using Value = std::unique_ptr<ASN1Object>;

inline ByteArray hex(std::string_view text) {
    return ByteArray::fromHex(text);
}
inline ByteArray repeated(const ByteArray& unit, std::size_t times) {
    ByteArray all;
    for (std::size_t i = 0; i < times; ++i) all += unit;
    return all;
}

template <typename T, typename... Args>
Value make(Args&&... args) {
    return std::make_unique<T>(std::forward<Args>(args)...);
}
inline Value integer(long long n) {
    return make<ASN1Integer>(n);
}
inline Value octets(std::string_view hexText) {
    return make<ASN1OctetString>(hex(hexText));
}
inline Value bits(std::string_view hexText, unsigned int unused) {
    return make<ASN1BitString>(hex(hexText), unused);
}
inline Value oid(const char* dotted) {
    return make<ASN1ObjectIdentifier>(dotted);
}
inline Value explicitly(unsigned int n, Value v) {
    return (v->setExplicitTag(n), std::move(v));
}
inline Value implicitly(unsigned int n, Value v) {
    return (v->setImplicitTag(n), std::move(v));
}
inline Value optional(Value v) {
    return (v->setOptional(true), std::move(v));
}
// A SEQUENCE or SET of `parts`, or a string of segments.
template <typename S = ASN1Sequence, typename... V>
Value structure(V... parts) {
    auto s = std::make_unique<S>();
    (s->appendComponent(std::move(parts)), ...);
    return s;
}

// A value of any kind number: the kinds the coders refuse, or a class borrowing another's tag.
class OddValue : public ASN1Object {
  public:
    explicit OddValue(int kind) : ASN1Object(static_cast<ASNTag::ASN1_TAG>(kind)) { markSet(); }
    ASN1Object* clone() const override { return new OddValue(*this); }
};

// An object of the caller's own that keeps a copy of a value.
struct Holder : ASNInterface {
    Value value;
    SmartPointer<ASN1Object> toASN1Object() const override {
        return SmartPointer<ASN1Object>(value ? value->clone() : nullptr);
    }
    void fromASN1Object(const ASN1Object* v) override { value.reset(v->clone()); }
};

// One link of a failure chain, outermost first; the message "*" stands for any non-empty one.
struct Link {
    unsigned int number;
    const char* operation;
    const char* message = "";
    int library = Exception::LIB_CODERS;
};
inline constexpr const char* kIndexMessage =
    "An IndexOutOfRange exception was caught: T Array::operator[](unsigned int) const - Index greater than "
    "Array length.";

// What a call did: threw an Exception (kept), threw IndexOutOfRange, or returned.
struct Outcome {
    std::optional<Exception> error;
    bool coderException = false;  // thrown as a CoderException, not as a plain copy
    bool indexOutOfRange = false;
    bool failed() const { return error.has_value() || indexOutOfRange; }
};

inline Outcome outcomeOf(const std::function<void()>& call) {
    Outcome o;
    try {
        call();
    } catch (const CoderException& e) {
        o.error.emplace(e);
        o.coderException = true;
    } catch (const Exception& e) {
        o.error.emplace(e);
    } catch (const IndexOutOfRange&) {
        o.indexOutOfRange = true;
    }
    return o;
}

// A chain as lines "number libN operation: message", so that a mismatch reads plainly.
inline std::string render(const Exception* e, const std::vector<Link>& pattern) {
    std::string out;
    for (std::size_t i = 0; e != nullptr; e = e->getCause(), ++i) {
        std::string message = e->getMessage().toUTF8();
        if (i < pattern.size() && pattern[i].message == std::string("*") && !message.empty()) message = "*";
        out += std::to_string(e->getNumber()) + " lib" + std::to_string(e->getLibrary()) + " " +
               e->getOperation().toUTF8() + ": " + message + "\n";
    }
    return out;
}
inline std::string render(const std::vector<Link>& chain) {
    std::string out;
    for (const Link& l : chain)
        out += std::to_string(l.number) + " lib" + std::to_string(l.library) + " " + l.operation + ": " +
               l.message + "\n";
    return out;
}
inline void expectChain(const Outcome& o, const std::vector<Link>& chain) {
    ASSERT_TRUE(o.error.has_value()) << (o.indexOutOfRange ? "IndexOutOfRange instead" : "no failure");
    EXPECT_EQ(render(&*o.error, chain), render(chain));
}

enum class Coder { DER, BER };

// Decodes the first element of `input`; `left` receives the count of octets not consumed.
inline SmartPointer<ASN1Object> decodeWith(Coder coder, const ByteArray& input, std::size_t* left = nullptr) {
    ByteArrayInputStream in(input);
    SmartPointer<ASN1Object> v = coder == Coder::DER ? DERCoder::decode(in) : BERCoder::decode(in);
    if (left) *left = input.size() - in.getCount();  // octets pushed back count as unread
    return v;
}

// A decoding that succeeds: the input, the kind and text of the value, the octets left behind.
struct Decoded {
    const char* input;
    int kind;
    const char* text;
    std::size_t left = 0;
};
inline void expectDecoded(Coder coder, const Decoded& c) {
    SCOPED_TRACE(c.input);
    std::size_t left = 0;
    SmartPointer<ASN1Object> v;
    const Outcome o = outcomeOf([&] { v = decodeWith(coder, hex(c.input), &left); });
    ASSERT_FALSE(o.failed()) << (o.error ? o.error->what() : "IndexOutOfRange");
    EXPECT_EQ(v->getTagValue(), c.kind);
    EXPECT_EQ(v->toString().toUTF8(), c.text);
    EXPECT_EQ(left, c.left);
}

// A decoding that fails: the input and the chain (empty: IndexOutOfRange, which passes unchanged).
struct Refused {
    const char* input;
    std::vector<Link> chain;
};

}  // namespace codec_test
