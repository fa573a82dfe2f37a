// QPCoder on untrusted text and data, whole and through a source that delivers random chunks.
// Decoding never fails and gives the same octets however the text is divided; encoding (both soft
// break settings) gives the same text however the data is divided, lines of at most 77 characters,
// and decodes back to the data, whole and chunked.
#include "FuzzSupport.h"
#include "zentrik/coders/QPCoder.h"

using namespace zentrik_fuzz;
using Velmora::ByteArrayOutputStream;
using Velmora::QPCoder;

namespace {
ByteArray decodeChunked(QPCoder& coder, const ByteArray& text, const ByteArray& sizes) {
    ChunkedInputStream in(text, sizes);
    ByteArrayOutputStream out;
    coder.decode(in, out);
    return out.getByteArray();
}

ByteArray encodeChunked(QPCoder& coder, const ByteArray& data, const ByteArray& sizes) {
    ChunkedInputStream in(data, sizes);
    ByteArrayOutputStream out;
    coder.encode(in, out);
    return out.getByteArray();
}

void checkLines(const ByteArray& text, const ByteArray& data) {
    std::size_t column = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = text.data()[i];
        if (c == '\n') {
            require(i >= 1 && (text.data()[i - 1] == '=' ||
                               (i >= 2 && text.data()[i - 1] == '\r' && text.data()[i - 2] == '=')),
                    "quoted-printable text holds a hard line break", data);
            column = 0;
            continue;
        }
        require(c != '\r' || (i + 1 < text.size() && text.data()[i + 1] == '\n'),
                "quoted-printable text holds a bare CR", data);
        require((c >= 0x20 && c <= 0x7E) || c == '\t' || c == '\r',
                "quoted-printable text holds a raw control", data);
        if (c != '\r') ++column;
        // The described column count lags one behind after a soft break, so a line may reach 77
        // characters with its "=": one more than RFC 2045 asks, never more.
        require(column <= 77, "quoted-printable line longer than 77 characters", data);
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const SplitInput input = split(bytes, size);
    const ByteArray& data = input.data;
    for (bool crlf : {true, false}) {
        QPCoder coder(crlf);
        ByteArray whole, chunked;
        if (!expectFailures([&] { whole = coder.decode(data); }))
            broken("QPCoder::decode failed on text", data);
        if (!expectFailures([&] { chunked = decodeChunked(coder, data, input.control); }))
            broken("QPCoder stream decoding failed on text", data);
        require(chunked == whole, "chunked quoted-printable decoding differs from whole decoding", data,
                "whole: " + whole.toHex() + " chunked: " + chunked.toHex());

        const ByteArray text = coder.encode(data);
        checkLines(text, data);
        require(encodeChunked(coder, data, input.control) == text,
                "chunked quoted-printable encoding differs from whole encoding", data);
        require(coder.decode(text) == data, "QPCoder does not decode its own encoding", data);
        require(decodeChunked(coder, text, input.control) == data,
                "QPCoder does not decode its own encoding in chunks", data);
    }
    return 0;
}
