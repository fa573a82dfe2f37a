#pragma once
// Helpers of the DER and BER codec tests: value builders and decoding cases; octets and failures come
// from tests/support.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/Failures.h"
#include "support/Octets.h"
#include "zentrik/asn1/BERCoder.h"
#include "zentrik/asn1/DERCoder.h"
#include "zentrik/foundation/CoderException.h"
#include "zentrik/platform/asn1/ASN1.h"

namespace codec_test {

using namespace Ostrel;
using Velmora::ByteArray, Velmora::ByteArrayInputStream, Velmora::ByteArrayOutputStream;
using Velmora::CoderException, Velmora::Exception, Velmora::IndexOutOfRange, Velmora::String;
using Value = std::unique_ptr<ASN1Object>;

using zentrik_test::hex, zentrik_test::repeated;
using zentrik_test::Link, zentrik_test::Outcome, zentrik_test::outcomeOf, zentrik_test::render,
    zentrik_test::expectChain;

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

// Operation texts of the DER decoder's failures that the BER decoder reports as well.
inline constexpr const char* kBoolean = "DERCoder::decodeBoolean(ASN1Boolean, char*)";
inline constexpr const char* kStructured = "DERCoder::decodeStructured(const InputStream&)";
inline constexpr const char* kTagged = "DERCoder::getTaggedValue(InputStream&, ByteArray&)";

// The message of the failure a coder makes of an IndexOutOfRange it caught.
inline constexpr const char* kIndexMessage =
    "An IndexOutOfRange exception was caught: T Array::operator[](unsigned int) const - Index greater than "
    "Array length.";

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
