// DoubleCoder on untrusted octets: decoding any even-length text gives half as many octets (an odd
// length throws IndexOutOfRange); encoding any octets decodes back to them, and text made only of the
// coder's own letters encodes back to itself.
#include "FuzzSupport.h"
#include "zentrik/coders/DoubleCoder.h"

using namespace zentrik_fuzz;
using Velmora::DoubleCoder;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const ByteArray data(bytes, size);
    DoubleCoder coder;

    ByteArray decoded;
    const bool finished = expectFailures([&] { decoded = coder.decode(data); });
    require(finished == (size % 2 == 0), "DoubleCoder::decode failed on an even length or passed an odd one",
            data);
    if (finished) {
        require(decoded.size() == size / 2, "DoubleCoder::decode gave the wrong number of octets", data);
        bool letters = true;
        for (std::size_t i = 0; i < size; ++i) {
            const unsigned char c = bytes[i];
            letters = letters && (i % 2 == 0 ? (c >= 'a' && c <= 'p') : (c >= 'A' && c <= 'P'));
        }
        if (letters)
            require(coder.encode(decoded) == data, "DoubleCoder text does not encode back to itself", data);
    }

    const ByteArray text = coder.encode(data);
    require(text.size() == 2 * size, "DoubleCoder::encode gave the wrong number of letters", data);
    require(coder.decode(text) == data, "DoubleCoder does not decode its own encoding", data);
    return 0;
}
