#include "ElementValue.h"

#include <optional>

#include "JsonText.h"
#include "StringText.h"
#include "TimeText.h"
#include "ToolSupport.h"
#include "zentrik/asn1/BERCoder.h"
#include "zentrik/asn1/DERCoder.h"
#include "zentrik/platform/asn1/ASN1.h"

namespace zcoders {

namespace {

using Ostrel::asn1_const_cast;

// INTEGERs longer than this are shown in hexadecimal.
constexpr std::size_t kDecimalOctets = 8;

// How the characters of a text type are held, or nothing for a type that is no text.
std::optional<TextForm> textForm(std::uint32_t number) {
    switch (number) {
        case 12:
            return TextForm::utf8;
        case 18:
        case 19:
        case 22:
        case 26:
            return TextForm::ascii;
        case 20:
            return TextForm::latin1;
        case 28:
        case 30:
            return TextForm::unicode;
        default:
            return std::nullopt;
    }
}

bool hasDecoder(std::uint32_t number) {
    return (number >= 1 && number <= 6) || number == 10 || number == 23 || number == 24 ||
           textForm(number).has_value();
}

void showOctets(ShownValue& shown, const unsigned char* octets, std::size_t count) {
    shown.octets = octets;
    shown.octetCount = count;
    shown.hexValue = true;
    shown.showHex = true;
}

std::string_view asText(const unsigned char* contents, std::size_t count) {
    return {reinterpret_cast<const char*>(contents), count};
}

// Digits, dots and signs need no escaping in JSON.
std::string jsonPlain(const std::string& text) {
    std::string json(1, '"');
    json.append(text).append(1, '"');
    return json;
}

// An element without a decoder: its contents as text when they are printable ASCII, else in hex.
void describeRaw(ShownValue& shown, const unsigned char* contents, std::size_t count) {
    showOctets(shown, contents, count);
    bool printable = count > 0;
    for (std::size_t i = 0; i < count && printable; ++i) printable = contents[i] >= 0x20 && contents[i] <= 0x7E;
    if (!printable) return;
    shown.showHex = false;
    shown.text = quotedOctets(asText(contents, count));
}

void describeInteger(ShownValue& shown, const Ostrel::ASN1Object& value, const unsigned char* contents,
                     std::size_t count) {
    const std::string decimal = asn1_const_cast<Ostrel::ASN1Integer>(&value)->getValue().toDecimal();
    shown.json = jsonPlain(decimal);
    if (count <= kDecimalOctets) {
        shown.text = decimal;
        return;
    }
    shown.octets = contents;
    shown.octetCount = count;
    shown.showHex = shown.hexBelow = true;
}

// The text of a time is its contents octets.
void describeTime(ShownValue& shown, std::string_view text, bool utc, bool json) {
    const std::optional<std::string> iso = utc ? isoFromUTCTime(text) : isoFromGeneralizedTime(text);
    if (json)
        shown.json = jsonString(text);
    else
        shown.text = quotedOctets(text);
    if (iso)
        shown.iso = *iso;
    else
        shown.badTime = true;
}

void describeText(ShownValue& shown, const Ostrel::ASN1Object& value, std::uint32_t number, bool json) {
    const Velmora::String& text = asn1_const_cast<Ostrel::ASN1String>(&value)->getValue();
    const TextForm form = *textForm(number);
    if (json)
        shown.json = jsonString(plainText(text, form));
    else
        shown.text = quotedText(text, form);
}

void describeDecoded(ShownValue& shown, const Ostrel::ASN1Object& value, std::uint32_t number,
                     const unsigned char* contents, std::size_t count, bool json) {
    switch (number) {
        case 1: {
            const bool truth = asn1_const_cast<Ostrel::ASN1Boolean>(&value)->getValue();
            shown.text = truth ? "TRUE" : "FALSE";
            shown.json = truth ? "true" : "false";
            break;
        }
        case 2:
            describeInteger(shown, value, contents, count);
            break;
        case 3:
            shown.unusedBits = contents[0];
            shown.text.assign(1, '(').append(countOf(contents[0], "unused bit", "unused bits")).append(1, ')');
            showOctets(shown, contents + 1, count - 1);
            break;
        case 4:
            showOctets(shown, contents, count);
            break;
        case 5:
            shown.json = "null";
            break;
        case 6:
            shown.text = value.toString().toUTF8();
            shown.json = jsonPlain(shown.text);
            break;
        case 10:
            shown.text = std::to_string(asn1_const_cast<Ostrel::ASN1Enumerated>(&value)->getValue());
            shown.json = jsonPlain(shown.text);
            break;
        case 23:
        case 24:
            describeTime(shown, asText(contents, count), number == 23, json);
            break;
        default:
            describeText(shown, value, number, json);
    }
}

}  // namespace

std::string elementType(const Ostrel::octets::Identifier& identifier) {
    return Ostrel::octets::elementName(identifier);
}

ShownValue describeValue(const DumpElement& element, const unsigned char* encoding, std::size_t headerLength,
                         bool ber, bool json, const OidNames& names) {
    ShownValue shown;
    shown.type = elementType(element.identifier);
    shown.json = "null";
    const unsigned char* contents = encoding + headerLength;
    const auto count = static_cast<std::size_t>(element.length);
    const std::uint32_t number = element.identifier.number;
    if (element.identifier.classBits() != 0 || !hasDecoder(number)) {
        describeRaw(shown, contents, count);
        return shown;
    }
    const Velmora::ByteArray octets(encoding, headerLength + count);
    const Velmora::SmartPointer<Ostrel::ASN1Object> value =
        ber ? Ostrel::BERCoder::decode(octets) : Ostrel::DERCoder::decode(octets);
    describeDecoded(shown, *value, number, contents, count, json);
    if (number == 6) shown.name = std::string(names.find(shown.text));
    return shown;
}

}  // namespace zcoders
