// Cutting one component out of a constructed element's octets.
#include "CodecTestSupport.h"

namespace codec_test {
namespace {

TEST(GetComponent, ReturnsTheComponentWithMinimalLengthOctetsOrFails) {
    const Link noData = {20, "DERCoder::getLength(InputStream&)", "no data to read"};
    const Link indefinite = {20, "DERCoder::getLength(InputStream&)"};
    constexpr const char* kGetComponent = "DERCoder::getComponent(const ByteArray&, unsigned int)";
    const Link shortComponent = {26, kGetComponent, "*"};
    const std::tuple<const char*, unsigned int, const char*, std::vector<Link>> cases[] = {
        {"30 06 02 01 05 02 01 07", 0, "02 01 05", {}},
        {"30 06 02 01 05 02 01 07", 1, "02 01 07", {}},
        {"30 04 04 81 01 41", 0, "04 01 41", {}},
        {"30 04 9F 1F 01 41", 0, "9F 1F 01 41", {}},
        // Components end where the element's contents end.
        {"30 03 02 01 05 02 01 07", 1, "", {noData}},
        {"30 03 02 02 01 05",
         0,
         "",
         {{28, kGetComponent,
           "the INTEGER at offset 2 ends at octet 6, past the end of its SEQUENCE at octet 5"}}},
        {"30 05 04 01 41 02 02 01 05", 1, "", {{28, kGetComponent, "*"}}},
        {"", 9, "", {}},
        {"30 06 02 01 05 02 01 07", 2, "", {noData}},
        {"30", 0, "", {noData}},
        {"30 02 02", 0, "", {noData}},
        {"30 80 02 01 05 00 00", 0, "", {indefinite}},
        {"30 06 02 05 41", 0, "", {shortComponent}},
        {"30 06 02 05 41", 1, "", {shortComponent}},
        {"30 84 FF FF FF FF 04 84 FF FF FF F0 41", 0, "", {shortComponent}},
    };
    for (const auto& [input, index, expected, failure] : cases) {
        SCOPED_TRACE(testing::Message() << input << " [" << index << "]");
        ByteArray got;
        const Outcome o =
            outcomeOf([&, input = input, index = index] { got = DERCoder::getComponent(hex(input), index); });
        if (failure.empty()) {
            EXPECT_FALSE(o.failed());
            EXPECT_EQ(got, hex(expected));
        } else {
            expectChain(o, failure);
            EXPECT_TRUE(o.coderException);
        }
    }
}

}  // namespace
}  // namespace codec_test
