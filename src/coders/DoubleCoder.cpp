#include "zentrik/coders/DoubleCoder.h"

namespace Velmora {

DoubleCoder::~DoubleCoder() = default;

const ByteArray DoubleCoder::encode(const ByteArray& data) {
    ByteArray result;
    const std::size_t n = data.size();
    unsigned char* out = result.prepareAppend(2 * n);
    const unsigned char* in = data.data();
    for (std::size_t i = 0; i < n; ++i) {
        out[2 * i] = static_cast<unsigned char>(0x61 + (in[i] & 0x0F));
        out[2 * i + 1] = static_cast<unsigned char>(0x41 + (in[i] >> 4));
    }
    result.setLength(2 * n);
    return result;
}

const ByteArray DoubleCoder::decode(const ByteArray& data) {
    ByteArray result;
    const std::size_t n = data.size();
    unsigned char* out = result.prepareAppend((n + 1) / 2);
    std::size_t written = 0;
    for (std::size_t i = 0; i < n; i += 2) {
        // The checked index reports the missing partner of an odd last letter.
        const unsigned int low = data[static_cast<unsigned int>(i)];
        const unsigned int high = data[static_cast<unsigned int>(i + 1)];
        out[written++] = static_cast<unsigned char>(((low - 0x61) + (((high - 0x41) & 0xFF) << 4)) & 0xFF);
    }
    result.setLength(written);
    return result;
}

}  // namespace Velmora
