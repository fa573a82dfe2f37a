#include "zentrik/coders/URLCoder.h"

#include <algorithm>
#include <string>

#include "zentrik/foundation/CoderException.h"
#include "zentrik/foundation/CoderFailures.h"
#include "zentrik/platform/utils/Exception.h"
#include "zentrik/platform/utils/IndexOutOfRange.h"
#include "zentrik/platform/utils/RegularExpression.h"

namespace Velmora {

namespace {

// One field: a name, "=" with optional spaces around it, then value words separated by commas,
// spaces or folded line breaks. "&" belongs to the name, so later matches start with their separator.
constexpr const char* kFieldPattern =
    "[a-zA-Z0-9%+&_-]+ *= *([-a-zA-Z0-9%+@._]+((\r\n(\t| +))|(,\r\n(\t| +))|, *| *))+";

constexpr char kLowerHex[] = "0123456789abcdef";

inline bool isAlphanumeric(char32_t c) {
    return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || (c >= U'0' && c <= U'9');
}

inline void appendEscape(std::u32string& out, unsigned int octet) {
    out += U'%';
    out += static_cast<char32_t>(kLowerHex[(octet >> 4) & 0x0F]);
    out += static_cast<char32_t>(kLowerHex[octet & 0x0F]);
}

// The value of an escape digit; not checked, as the decoder is lenient.
inline unsigned int digitValue(char32_t d) {
    return d < U'A' ? static_cast<unsigned int>(d) - 0x30u : (static_cast<unsigned int>(d) & 0xDFu) - 0x37u;
}

}  // namespace

const String URLCoder::encode(const URLNameValues& fields) {
    String result;
    unsigned int i = 1;
    const unsigned int count = fields.getNumberOfFields();
    for (const URLNameValueField& field : fields.getURLFields()) {
        String name = field.getFieldName();
        String body = field.getFieldBody();
        result += makeSafe(name);
        result += U'=';
        result += makeSafe(body);
        if (i < count) result += U'&';
        ++i;
    }
    return result;
}

const String URLCoder::makeSafe(String& text) const {
    std::u32string out;
    out.reserve(text.length() * 3);
    for (char32_t c : text.codePoints()) {
        if (c == U' ') {
            out += U'+';
        } else if (isAlphanumeric(c)) {
            out += c;
        } else if (c <= 0xFF) {
            appendEscape(out, static_cast<unsigned int>(c));
        } else {
            // Beyond Latin-1 a character has no single octet: its UTF-8 octets are escaped instead.
            for (unsigned char octet : String(std::u32string(1, c)).toUTF8()) appendEscape(out, octet);
        }
    }
    return String(std::move(out));
}

const String URLCoder::decodeString(const String& text) const {
    const std::u32string& in = text.codePoints();
    const std::size_t n = in.size();
    std::u32string out;
    out.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        const char32_t c = in[i];
        if (c == U'+') {
            out += U' ';
        } else if (c == U'%') {
            if (i + 2 >= n) {
                throw IndexOutOfRange(static_cast<unsigned int>(std::min(i + 2, n)),
                                      static_cast<unsigned int>(n));
            }
            const unsigned int octet = ((digitValue(in[i + 1]) << 4) + digitValue(in[i + 2])) & 0xFFu;
            out += static_cast<char32_t>(octet);
            i += 2;
        } else if (c != U'&') {
            out += c;
        }
    }
    return String(std::move(out));
}

const URLNameValues URLCoder::decode(const String& query) {
    URLNameValues fields;
    try {
        RegularExpression matcher(String(kFieldPattern), query);
        while (matcher.hasExpression()) {
            const String field = decodeString(matcher.nextMatch(0));
            const std::size_t equals = field.find(U'=');
            String name = field.left(equals);
            String value = equals == String::npos ? String() : field.right(equals + 1);
            name.removeLeadingWhites();
            value.removeLeadingWhites();
            value.removeTrailingReturns();
            fields.addURLNameValueField(URLNameValueField(name, value));
        }
    } catch (const UtilsException& cause) {
        throw CoderException(Exception::LIB_CODERS, failures::kEncodingFailed, failures::kURLDecode, cause,
                             String::emptyString);
    }
    return fields;
}

}  // namespace Velmora
