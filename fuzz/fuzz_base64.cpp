// Base64Coder on untrusted text and data. Decoding any text must not fail and gives at most three
// octets per four characters, the same with and without vector instructions; encoding any data (both
// line settings) gives lines of at most 76 characters and decodes back to the data.
#include "FuzzSupport.h"
#include "zentrik/coders/Base64Coder.h"
#include "zentrik/coders/Base64Kernels.h"

using namespace zentrik_fuzz;
using Velmora::Base64Coder;
namespace base64 = Velmora::base64;

namespace {
bool isAlphabet(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/';
}

void checkLines(const ByteArray& text, bool breakLines, const ByteArray& data) {
    std::size_t column = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = text.data()[i];
        if (c == '\r') {
            require(breakLines && i + 1 < text.size() && text.data()[i + 1] == '\n',
                    "Base64 text has a CR out of place", data);
            require(column > 0 && column <= base64::kLineChars, "Base64 line of the wrong length", data);
            column = 0;
            ++i;
            continue;
        }
        require(isAlphabet(c) || c == '=', "Base64 text holds a character outside the alphabet", data);
        ++column;
    }
    if (breakLines)
        require(column == 0, "broken Base64 text does not end with CR LF", data);
    else
        require(column == text.size(), "unbroken Base64 text holds line breaks", data);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const ByteArray data(bytes, size);
    for (bool breakLines : {true, false}) {
        Base64Coder coder(breakLines);
        ByteArray decoded;
        if (!expectFailures([&] { decoded = coder.decode(data); }))
            broken("Base64Coder::decode failed on text", data);
        require(decoded.size() <= size / 4 * 3 + 2, "Base64Coder::decode gave too many octets", data);

        ByteArray scalar;
        scalar.setLength(
            base64::decodeScalar(data.data(), size, scalar.prepareAppend(base64::decodeRoom(size))));
        require(scalar == decoded, "Base64 decoding differs from the plain loop", data);

        const ByteArray text = coder.encode(data);
        require(text.size() == base64::encodedLength(size, breakLines), "Base64 text of the wrong length",
                data);
        checkLines(text, breakLines, data);
        ByteArray plain;
        plain.setLength(base64::encodeScalar(
            data.data(), size, plain.prepareAppend(base64::encodedLength(size, breakLines)), breakLines));
        require(plain == text, "Base64 encoding differs from the plain loop", data);
        require(coder.decode(text) == data, "Base64Coder does not decode its own encoding", data);
    }
    return 0;
}
