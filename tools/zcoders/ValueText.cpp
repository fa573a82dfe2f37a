#include "ValueText.h"

#include <cstdio>

#include "ToolSupport.h"
#include "zentrik/platform/asn1/ASN1.h"

namespace zcoders {

using Ostrel::asn1_const_cast;
using Ostrel::ASNTag;

std::string universalTypeName(unsigned int tagNumber) {
    switch (tagNumber) {
        case 1:
            return "BOOLEAN";
        case 2:
            return "INTEGER";
        case 3:
            return "BIT STRING";
        case 4:
            return "OCTET STRING";
        case 5:
            return "NULL";
        case 6:
            return "OBJECT IDENTIFIER";
        case 7:
            return "ObjectDescriptor";
        case 8:
            return "EXTERNAL";
        case 9:
            return "REAL";
        case 10:
            return "ENUMERATED";
        case 12:
            return "UTF8String";
        case 16:
            return "SEQUENCE";
        case 17:
            return "SET";
        case 18:
            return "NumericString";
        case 19:
            return "PrintableString";
        case 20:
            return "TeletexString";
        case 22:
            return "IA5String";
        case 23:
            return "UTCTime";
        case 24:
            return "GeneralizedTime";
        case 26:
            return "VisibleString";
        case 28:
            return "UniversalString";
        case 30:
            return "BMPString";
        default:
            return "UNIVERSAL " + std::to_string(tagNumber);
    }
}

std::string tagText(unsigned char identifier, unsigned int tagNumber) {
    const std::string number = std::to_string(tagNumber);
    switch (identifier & 0xC0) {
        case 0x40:
            return "[APPLICATION " + number + "]";
        case 0xC0:
            return "[PRIVATE " + number + "]";
        case 0x80:
            return "[" + number + "]";
        default:
            return "[UNIVERSAL " + number + "]";
    }
}

std::string integerText(const Velmora::BigNumber& number) {
    std::string text = number.toDecimal();
    if (number.byteLength() > 8) {
        std::string hex = number.toHexadecimal();
        if (!hex.empty() && hex[0] == '-')
            text += " (-0x" + hex.substr(1) + ")";
        else
            text += " (0x" + hex + ")";
    }
    return text;
}

std::string quoted(const Velmora::String& text) {
    std::string result = "\"";
    for (char32_t c : text.codePoints()) {
        if (c == U'"' || c == U'\\') {
            result += '\\';
            result += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0)) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned int>(c));
            result += escape;
        } else {
            result += Velmora::String(std::u32string(1, c)).toUTF8();
        }
    }
    return result + "\"";
}

std::string octetsText(const Velmora::ByteArray& octets, bool full) {
    std::string text = countOf(octets.size(), "octet", "octets");
    if (octets.isEmpty()) return text;
    const bool cut = !full && octets.size() > kShortOctets;
    text += ": " + hexOctets(octets.data(), cut ? kShortOctets : octets.size());
    if (cut) text += " ...";
    return text;
}

std::string valueText(const Ostrel::ASN1Object& value, bool full) {
    if (value.isNull()) return " (no value)";
    switch (value.getTagValue()) {
        case ASNTag::BOOLEAN:
            return asn1_const_cast<Ostrel::ASN1Boolean>(&value)->getValue() ? " TRUE" : " FALSE";
        case ASNTag::INTEGER:
            return " " + integerText(asn1_const_cast<Ostrel::ASN1Integer>(&value)->getValue());
        case ASNTag::ENUMERATED:
            return " " + std::to_string(asn1_const_cast<Ostrel::ASN1Enumerated>(&value)->getValue());
        case ASNTag::ASN1_NULL:
            return "";
        case ASNTag::OBJECT_IDENTIFIER:
            return " " + value.toString().toUTF8();
        case ASNTag::UTC_TIME:
        case ASNTag::GENERALIZED_TIME:
            return " " + asn1_const_cast<Ostrel::ASN1Time>(&value)->getValue().toUTF8();
        case ASNTag::UTF8_STRING:
        case ASNTag::NUMERIC_STRING:
        case ASNTag::PRINTABLE_STRING:
        case ASNTag::TELETEX_STRING:
        case ASNTag::IA5_STRING:
        case ASNTag::VISIBLE_STRING:
        case ASNTag::UNIVERSAL_STRING:
        case ASNTag::BMP_STRING:
            return " " + quoted(asn1_const_cast<Ostrel::ASN1String>(&value)->getValue());
        case ASNTag::BIT_STRING:
        case ASNTag::CONSTRUCTED_BIT_STRING: {
            const auto* bits = dynamic_cast<const Ostrel::ASN1BitString*>(&value);
            if (!bits) return "";
            std::string text =
                ", " + countOf(bits->getNumberOfInsignificantBits(), "unused bit", "unused bits");
            if (bits->getNumberOfComponents() > 0)
                text += ", " + countOf(bits->getNumberOfComponents(), "segment", "segments");
            return text + ", " + octetsText(bits->getValue(), full);
        }
        case ASNTag::OCTET_STRING:
        case ASNTag::CONSTRUCTED_OCTET_STRING: {
            const auto* octets = dynamic_cast<const Ostrel::ASN1OctetString*>(&value);
            if (!octets) return "";
            std::string text = ", ";
            if (octets->getNumberOfComponents() > 0)
                text += countOf(octets->getNumberOfComponents(), "segment", "segments") + ", ";
            return text + octetsText(octets->getValue(), full);
        }
        default:
            return "";
    }
}

}  // namespace zcoders
