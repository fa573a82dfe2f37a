#pragma once
// Random value trees of every kind the coders write, and the tree a decoder is expected to give back.
#include <algorithm>
#include <random>

#include "CodecTestSupport.h"

namespace codec_test {

class TreeMaker {
  public:
    explicit TreeMaker(std::uint32_t seed) : rng_(seed) {}

    Value tree(int depth) { return wrapped(depth > 0 && pick(2) == 0 ? structured(depth) : leaf()); }

    // `v` as it is, or tagged, or inside an ANY or a CHOICE.
    Value wrapped(Value v) {
        switch (pick(8)) {
            case 0:
                return explicitly(tagNumber(), std::move(v));
            case 1:
                return implicitly(tagNumber(), std::move(v));
            case 2:
                return make<ASN1Choice>(std::move(v));
            case 3:
                return explicitly(tagNumber(), make<ASN1Choice>(std::move(v)));
            case 4:
                return make<ASN1Any>(std::move(v));
            default:
                return v;
        }
    }

  private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    unsigned int tagNumber() { return pick(4) == 0 ? 31 + pick(20000) : pick(31); }
    ByteArray randomOctets(int most) {
        ByteArray out;
        for (int i = pick(most + 1); i > 0; --i) out += static_cast<unsigned char>(pick(256));
        return out;
    }
    String text(char32_t from, char32_t to, int most) {
        std::u32string s;
        for (int i = pick(most + 1); i > 0; --i) {
            const char32_t c = from + static_cast<char32_t>(pick(static_cast<int>(to - from) + 1));
            s += c >= 0xD800 && c <= 0xDFFF ? U'A' : c;  // surrogates are no characters
        }
        return String(std::move(s));
    }

    Value structured(int depth) {
        std::unique_ptr<ASNStructured> s;
        if (pick(2))
            s = std::make_unique<ASN1Sequence>();
        else
            s = std::make_unique<ASN1Set>();
        for (int i = pick(5); i > 0; --i) s->appendComponent(tree(depth - 1));
        if (pick(4) == 0) s->appendComponent(optional(make<ASN1Integer>()));
        return s;
    }

    Value leaf() {
        switch (pick(16)) {
            case 0:
                return make<ASN1Boolean>(pick(2) == 1);
            case 1: {
                std::string digits = pick(2) ? "-" : "";
                for (int i = 1 + pick(40); i > 0; --i) digits += "0123456789ABCDEF"[pick(16)];
                return make<ASN1Integer>(Velmora::BigNumber::fromHexadecimal(digits));
            }
            case 2: {
                const ByteArray b = randomOctets(12);
                return make<ASN1BitString>(b, b.isEmpty() ? 0 : pick(8));
            }
            case 3:
                return make<ASN1OctetString>(randomOctets(pick(8) == 0 ? 400 : 10));
            case 4:
                return make<ASN1Null>();
            case 5: {
                Velmora::IntArray arcs{pick(3), 0};
                arcs[1] = arcs[0] == 2 ? pick(4) * 0x1000000 + pick(300) : pick(40);
                for (int i = pick(6); i > 0; --i) arcs += static_cast<int>(rng_());
                return make<ASN1ObjectIdentifier>(arcs);
            }
            case 6:
                return make<ASN1Enumerated>(static_cast<int>(rng_()) >> pick(32));
            case 7:
                return make<ASN1UTF8String>(text(0x20, 0x10FFFF, 8));
            case 8:
                return make<ASN1BMPString>(text(0x20, 0xFFFD, 8));
            case 9:
                return make<ASN1UniversalString>(text(0x20, 0x7FF, 8));
            case 10:
                return make<ASN1PrintableString>(text('0', 'z', 10));
            case 11:
                return make<ASN1TeletexString>(text(0, 0xFF, 10));
            case 12:
                return make<ASN1UTCTime>(text('0', '9', 13));
            case 13: {
                auto s = std::make_unique<ASN1OctetString>();
                for (int i = 1 + pick(3); i > 0; --i)
                    s->appendComponent(make<ASN1OctetString>(randomOctets(6)));
                return s;
            }
            case 14: {
                auto s = std::make_unique<ASN1BitString>();
                for (int i = pick(3); i > 0; --i) s->appendComponent(make<ASN1BitString>(randomOctets(4), 0));
                s->appendComponent(bits("F0", pick(5)));
                return s;
            }
            default:
                return make<ASN1GeneralizedTime>(text('0', '9', 15));
        }
    }

    std::mt19937 rng_;
};

// What a decoder gives back for `v`: tagged elements and explicitly tagged choices kept as their
// encoding, CHOICE and ANY replaced by what they hold, absent components left out, SET components in
// the order of their encodings, bit strings held as segments joined into one.
inline Value expectedDecoding(const ASN1Object& v) {
    if (v.isAny()) return expectedDecoding(*asn1_const_cast<ASN1Any>(&v)->getValue());
    if (v.taggedContext() == ASNTag::EXPLICIT || (!v.isChoice() && v.taggedContext() == ASNTag::IMPLICIT))
        return make<ASN1TaggedValue>(v.taggedValue(), DERCoder::encode(v));
    if (v.isChoice()) return expectedDecoding(*asn1_const_cast<ASN1Choice>(&v)->getValue());
    if (const auto* s = dynamic_cast<const ASNStructured*>(&v)) {
        std::vector<std::pair<ByteArray, Value>> parts;
        for (unsigned int i = 0; i < s->getNumberOfComponents(); ++i)
            if (DERCoder::isValid(s->getComponent(i)))
                parts.emplace_back(DERCoder::encode(*s->getComponent(i)),
                                   expectedDecoding(*s->getComponent(i)));
        if (v.getTagValue() == ASNTag::SET)
            std::stable_sort(parts.begin(), parts.end(), [](auto& a, auto& b) { return a.first < b.first; });
        std::unique_ptr<ASNStructured> out;
        if (v.getTagValue() == ASNTag::SET)
            out = std::make_unique<ASN1Set>();
        else
            out = std::make_unique<ASN1Sequence>();
        for (auto& p : parts) out->appendComponent(std::move(p.second));
        return out;
    }
    if (const auto* b = dynamic_cast<const ASN1BitString*>(&v); b && b->isConstructed())
        return make<ASN1BitString>(b->getValue(), b->getNumberOfInsignificantBits());
    return Value(v.clone());
}

}  // namespace codec_test
