// Base64 streams with random chunking. A Base64InputStream reads any text without failing; over text
// without "=" it yields exactly what Base64Coder::decode gives for the whole text, and over the text of
// either encoder setting it yields the data. A Base64OutputStream fed in random pieces writes exactly
// Base64Coder(true)::encode of all that was written.
#include "FuzzSupport.h"
#include "zentrik/coders/Base64Coder.h"
#include "zentrik/coders/Base64InputStream.h"
#include "zentrik/coders/Base64OutputStream.h"

using namespace zentrik_fuzz;
using Velmora::Base64Coder;
using Velmora::Base64InputStream;
using Velmora::Base64OutputStream;
using Velmora::ByteArrayOutputStream;

namespace {
// Everything the stream yields, by operator>>(ByteArray&) or by readBlob as `choices` say.
ByteArray drain(const ByteArray& text, const ByteArray& sizes, Choices& choices) {
    ChunkedInputStream source(text, sizes);
    Base64InputStream in(source);
    ByteArray all;
    // Each round consumes at least one octet of text or ends the data: a bound well above the need.
    for (std::size_t rounds = 0; in.hasData(); ++rounds) {
        require(rounds <= 4 * text.size() + 8, "Base64InputStream does not come to an end", text);
        if (choices.next(2)) {
            ByteArray piece;
            in >> piece;
            all += piece;
        } else {
            all += in.readBlob(1 + choices.next(100));
        }
    }
    return all;
}

// Everything the stream yields by read() in pieces of the sizes `choices` say, from text in memory
// (which it decodes in place).
ByteArray readInPlace(const ByteArray& text, Choices& choices) {
    Velmora::ByteArrayInputStream source(text);
    Base64InputStream in(source);
    ByteArray all;
    unsigned char piece[300];
    for (std::size_t n; (n = in.read(piece, 1 + choices.next(sizeof piece - 1))) > 0;) all.append(piece, n);
    return all;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const SplitInput input = split(bytes, size);
    const ByteArray& data = input.data;
    Choices choices(input.control);

    ByteArray fromText;
    if (!expectFailures([&] { fromText = drain(data, input.control, choices); }))
        broken("Base64InputStream failed on text", data);
    if (data.view().find('=') == std::string_view::npos) {
        require(fromText == Base64Coder(true).decode(data),
                "Base64InputStream differs from Base64Coder::decode", data,
                "stream gave: " + fromText.toHex());
        require(readInPlace(data, choices) == fromText, "Base64InputStream reads text in memory otherwise",
                data);
    }

    for (bool breakLines : {true, false}) {
        const ByteArray text = Base64Coder(breakLines).encode(data);
        require(drain(text, input.control, choices) == data,
                "Base64InputStream does not read encoded data back", data);
        require(readInPlace(text, choices) == data,
                "Base64InputStream does not read encoded data back in place", data);
    }

    ByteArrayOutputStream target;
    {
        Base64OutputStream out(target);
        for (std::size_t at = 0; at < data.size();) {
            const std::size_t n = std::min<std::size_t>(data.size() - at, 1 + choices.next(130));
            if (n == 1 && choices.next(2))
                out << static_cast<char>(data.data()[at]);
            else
                out << data.subBytes(at, n);
            at += n;
        }
    }
    require(target.getByteArray() == Base64Coder(true).encode(data),
            "Base64OutputStream wrote other text than Base64Coder::encode", data);
    return 0;
}
