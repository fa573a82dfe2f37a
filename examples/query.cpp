// query: a URL query string parsed into name/value fields and fields built into a query string.
// Usage: query [QUERY]   (default: a built-in query)
#include <iostream>

#include "zentrik/coders/URLCoder.h"
#include "zentrik/platform/utils/ByteArray.h"

using namespace Velmora;

namespace {

// The coder works octet by octet: "%c3%bc" decodes to the two characters U+00C3 U+00BC. A query
// written in UTF-8 is read back as text through the octets those characters stand for.
String utf8Text(const String& octets) {
    return String::fromUTF8(octets.toASCIIByteArray().view());
}
// And the other way: text as the characters of its UTF-8 octets, so that "ü" is written %c3%bc.
String utf8Octets(const String& text) {
    return String::fromASCIIByteArray(ByteArray(text.toUTF8()));
}

}  // namespace

int main(int argc, char** argv) {
    URLCoder coder;
    try {
        const String query =
            argc > 1 ? argv[1] : "q=ASN.1+%26+BER&lang=de&name=J%c3%bcrg&page=2&sort=date%2Cdesc";
        const URLNameValues fields = coder.decode(query);
        std::cout << "parsed " << fields.getNumberOfFields() << " fields of " << query << "\n";
        for (const URLNameValueField& field : fields.getURLFields())
            std::cout << "  " << field.getFieldName() << " = [" << utf8Text(field.getFieldBody()) << "]\n";

        URLNameValues built;
        built.addURLNameValueField(URLNameValueField("city", utf8Octets("Zürich")));
        built.addURLNameValueField(URLNameValueField("range", "10-20 km"));
        built.addURLNameValueField(URLNameValueField("path", "/a/b?c=d&e"));
        const String text = coder.encode(built);
        std::cout << "built " << text << "\n";
        const bool same = coder.decode(text) == built;
        std::cout << "the built query parses back into the same fields: " << (same ? "yes" : "NO") << "\n";
        return same ? 0 : 1;
    } catch (const std::exception& e) {
        std::cerr << "query: " << e.what() << "\n";
        return 1;
    }
}
