// Lengths that tiny inputs merely claim, up to 2^32 - 1, are never allocated: each reader fails with
// 26 (contents end early) or 27 (a BER length of 2^31 or more) and its largest allocation stays small.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/AllocationProbe.h"
#include "hardening/HardeningSupport.h"
#include "zentrik/asn1/BERCoder.h"
#include "zentrik/asn1/DERCoder.h"
#include "zentrik/iou/ASN1IOUObject.h"

namespace hardening_test {
namespace {

using Ostrel::ASN1IOUObject;
using Ostrel::ASNTag;
using Ostrel::BERCoder;
using Ostrel::DERCoder;
using Velmora::ByteArrayInputStream;
using Velmora::SmartPointer;
namespace failures = Velmora::failures;

// Far below any claimed length here, far above what a few octets of input need (reads go in chunks).
constexpr std::size_t kSmall = 1 << 20;

// Reads everything a streaming reader offers: components in depth, data pieces, then the value.
void drain(ASN1IOUObject& object, int depth = 0) {
    while (object.hasNextComponent()) {
        SmartPointer<ASN1IOUObject> c = object.getNextComponent();
        if (!c) break;
        if (depth < 8) drain(*c, depth + 1);
    }
    while (object.hasData()) object.getData();
}

struct ClaimCase {
    const char* input;
    unsigned int number;
    std::function<void(const ByteArray&)> read;
};

void der(const ByteArray& octets) {
    DERCoder::decode(octets);
}
void ber(const ByteArray& octets) {
    BERCoder::decode(octets);
}
void derStream(const ByteArray& octets) {
    ByteArrayInputStream in(octets);
    DERCoder::decode(in);
}
void component0(const ByteArray& octets) {
    DERCoder::getComponent(octets, 0);
}
void component1(const ByteArray& octets) {
    DERCoder::getComponent(octets, 1);
}
void iou(const ByteArray& octets) {
    ByteArrayInputStream in(octets);
    drain(*BERCoder::decodeIOU(in));
}
void iouValue(const ByteArray& octets) {
    ByteArrayInputStream in(octets);
    BERCoder::decodeIOU(in)->getValue();
}
void explicitIou(const ByteArray& octets) {
    ByteArrayInputStream in(octets);
    drain(*BERCoder::decodeExplicitIOU(in));
}
void explicitIouValue(const ByteArray& octets) {
    ByteArrayInputStream in(octets);
    BERCoder::decodeExplicitIOU(in)->getValue();
}
void implicitIou(const ByteArray& octets) {
    ByteArrayInputStream in(octets);
    drain(*BERCoder::decodeImplicitIOU(in, ASNTag::OCTET_STRING));
}
void implicitIouValue(const ByteArray& octets) {
    ByteArrayInputStream in(octets);
    BERCoder::decodeImplicitIOU(in, ASNTag::OCTET_STRING)->getValue();
}

TEST(ClaimedLengthTest, TinyInputsClaimingHugeLengthsFailWithoutAllocatingThem) {
    ASSERT_TRUE(AllocationProbe::available()) << "allocations cannot be seen in this build";
    const std::vector<ClaimCase> cases = {
        // DER: every value family, tagged elements, the stream entry point.
        {"04 84 FF FF FF FF 41", failures::kTruncated, der},
        {"04 84 FF FF FF FF 41", failures::kTruncated, derStream},
        {"02 84 FF FF FF FF 01", failures::kTruncated, der},
        {"03 84 FF FF FF FF 00 FF", failures::kTruncated, der},
        {"06 84 FF FF FF FF 2A", failures::kTruncated, der},
        {"0A 84 FF FF FF FF 01", failures::kTruncated, der},
        {"0C 84 FF FF FF FF 41", failures::kTruncated, der},
        {"1E 84 FF FF FF FF 00 41", failures::kTruncated, der},
        {"17 84 FF FF FF FF 39", failures::kTruncated, der},
        {"30 84 FF FF FF FF 02 01 05", failures::kTruncated, der},
        {"31 84 FF FF FF FF 02 01 05", failures::kTruncated, der},
        {"24 84 FF FF FF FF 04 01 41", failures::kTruncated, der},
        {"30 03 04 84 FF FF FF FF 41", failures::kTruncated, der},
        {"A0 84 FF FF FF FF 02 01 05", failures::kTruncated, der},
        {"BF 81 00 84 FF FF FF FF 41", failures::kTruncated, der},
        {"DF 1F 84 FF FF FF FE", failures::kTruncated, der},
        // BER: lengths below 2^31 run out (26), lengths from 2^31 on are refused (27).
        {"04 84 7F FF FF FF 41", failures::kTruncated, ber},
        {"30 84 7F FF FF FF 02 01 05", failures::kTruncated, ber},
        {"24 80 04 84 7F FF FF FF 41", failures::kTruncated, ber},
        {"24 84 7F FF FF FF 04 01 41", failures::kTruncated, ber},
        {"23 80 03 84 7F FF FF FF 00", failures::kTruncated, ber},
        {"23 84 7F FF FF FF 03 02 00 FF", failures::kTruncated, ber},
        {"A0 84 7F FF FF FF 41", failures::kTruncated, ber},
        {"A0 80 04 84 7F FF FF FF 41", failures::kTruncated, ber},
        {"A0 80 A1 80 30 84 7F FF FF FF 00 00", failures::kTruncated, ber},
        {"04 84 FF FF FF FF 41", failures::kUnrepresentable, ber},
        {"30 80 04 84 80 00 00 00 41", failures::kUnrepresentable, ber},
        {"A0 80 04 84 FF FF FF FE 41", failures::kUnrepresentable, ber},
        // Component extraction: the component itself or one to skip claims too much.
        {"30 84 FF FF FF FF 04 84 FF FF FF FF 41", failures::kTruncated, component0},
        {"30 84 FF FF FF FF 04 84 FF FF FF FF 41", failures::kTruncated, component1},
        // Streaming readers: primitive elements read at once, values, data pieces.
        {"04 84 7F FF FF FF 41", failures::kTruncated, iou},
        {"30 84 7F FF FF FF 04 84 7F FF FF FF 41", failures::kTruncated, iou},
        {"30 84 7F FF FF FF 02 01 05", failures::kTruncated, iouValue},
        {"24 80 04 84 7F FF FF FF 41", failures::kTruncated, iou},
        {"A0 84 7F FF FF FF 04 84 7F FF FF FF 41", failures::kTruncated, explicitIou},
        {"A0 84 7F FF FF FF 30 84 7F FF FF FF 02 01 05", failures::kTruncated, explicitIouValue},
        {"80 84 7F FF FF FF 41", failures::kTruncated, implicitIou},
        {"80 84 7F FF FF FF 41", failures::kTruncated, implicitIouValue},
        {"A0 80 04 84 7F FF FF FF 41", failures::kTruncated, implicitIou},
        {"30 84 80 00 00 00 02 01 05", failures::kUnrepresentable, iou},
        {"A0 84 FF FF FF FF 30 00", failures::kUnrepresentable, explicitIou},
        {"80 84 80 00 00 00 41", failures::kUnrepresentable, implicitIou},
    };
    for (const ClaimCase& c : cases) {
        SCOPED_TRACE(c.input);
        const ByteArray octets = hex(c.input);
        Outcome o;
        std::size_t largest = 0;
        {
            AllocationProbe probe;
            o = outcomeOf([&] { c.read(octets); });
            largest = probe.largest();
        }
        ASSERT_TRUE(o.failed()) << "accepted";
        ASSERT_FALSE(o.indexOutOfRange) << "IndexOutOfRange instead of a coder failure";
        EXPECT_EQ(o.library(), Velmora::Exception::LIB_CODERS) << o.text();
        EXPECT_EQ(o.innermost(), c.number) << o.text();
        EXPECT_LT(largest, kSmall) << "allocated " << largest << " octets";
    }
}

// BER lengths stop at 2^31 - 1, however many leading zero octets they carry; from 2^31 on they are
// refused rather than read as negative numbers or as the indefinite form.
TEST(ClaimedLengthTest, BERLengthsFrom2To31AreRefused) {
    struct Row {
        const char* octets;
        long long length;  // -2: refused with 27
    };
    const std::vector<Row> rows = {
        {"84 7F FF FF FF", 0x7FFFFFFF},
        {"85 00 7F FF FF FF", 0x7FFFFFFF},
        {"88 00 00 00 00 00 00 01 00", 256},
        {"84 80 00 00 00", -2},
        {"84 FF FF FF FF", -2},
        {"85 00 80 00 00 00", -2},
        {"85 01 00 00 00 00", -2},
        {"88 00 00 00 01 00 00 00 00", -2},
        {"FF FF FF FF FF FF FF FF FF", -2},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.octets);
        ByteArrayInputStream in(hex(r.octets));
        if (r.length >= 0) {
            EXPECT_EQ(BERCoder::getLength(in), r.length);
        } else {
            expectFailure([&] { BERCoder::getLength(in); }, failures::kUnrepresentable);
        }
    }
}

// The probe itself sees a large block, so that the checks above can fail.
TEST(ClaimedLengthTest, TheProbeSeesLargeAllocations) {
    ASSERT_TRUE(AllocationProbe::available());
    AllocationProbe probe;
    ByteArray big;
    big.reserve(3 * kSmall);
    EXPECT_GE(probe.largest(), 3 * kSmall);
}

}  // namespace
}  // namespace hardening_test
