// URLCoder on untrusted query strings, read as Latin-1 or as UTF-8: decode and decodeString fail only
// the way the library reports bad input. Fields cut from the input (Latin-1 names and values that are
// not empty, names without "=", neither starting with white space, values not ending in CR or LF)
// encode to a query that decodes to the same fields.
#include "FuzzSupport.h"
#include "zentrik/coders/URLCoder.h"

using namespace zentrik_fuzz;
using Velmora::String;
using Velmora::URLCoder;
using Velmora::URLNameValueField;
using Velmora::URLNameValues;

namespace {
bool isWhite(char32_t c) {
    return c == U' ' || c == U'\t' || c == U'\r' || c == U'\n';
}

// Fields from octets: 0x00 separates fields, the first 0x01 of a field separates name and value.
URLNameValues fieldsOf(const ByteArray& data) {
    URLNameValues fields;
    const std::string_view all = data.view();
    std::size_t start = 0;
    while (start < all.size()) {
        std::size_t end = all.find('\0', start);
        if (end == std::string_view::npos) end = all.size();
        const std::string_view field = all.substr(start, end - start);
        start = end + 1;
        const std::size_t cut = field.find('\1');
        if (cut == std::string_view::npos) continue;
        const String name = String::fromASCIIByteArray(ByteArray(field.substr(0, cut)));
        const String value = String::fromASCIIByteArray(ByteArray(field.substr(cut + 1)));
        if (name.isEmpty() || value.isEmpty() || name.find(U'=') != String::npos || isWhite(name[0]) ||
            isWhite(value[0]) || value[value.length() - 1] == U'\r' || value[value.length() - 1] == U'\n')
            continue;
        fields.addURLNameValueField(URLNameValueField(name, value));
    }
    return fields;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size == 0) return 0;
    const ByteArray data(bytes + 1, size - 1);
    const String query = (bytes[0] & 1) ? String::fromUTF8(data.view()) : String::fromASCIIByteArray(data);
    URLCoder coder;
    expectFailures([&] { coder.decode(query); });
    expectFailures([&] { coder.decodeString(query); });

    const URLNameValues fields = fieldsOf(data);
    String text;
    if (!expectFailures([&] { text = coder.encode(fields); })) broken("URLCoder::encode failed", data);
    URLNameValues back;
    if (!expectFailures([&] { back = coder.decode(text); }))
        broken("URLCoder does not decode its own query", data, text.toUTF8());
    require(back == fields, "URLCoder does not give its fields back", data, text.toUTF8());
    return 0;
}
