// The value of a primitive element as a Python object, decoded by the library's value classes.
#include <string>

#include "Tree.h"
#include "zentrik/asn1/BERCoder.h"
#include "zentrik/asn1/DERCoder.h"
#include "zentrik/platform/asn1/ASN1.h"
#include "zentrik/platform/asn1/ASN1Cast.h"

namespace py = pybind11;
using Ostrel::ASN1Object;
using Ostrel::ASNTag;

namespace zentrik_py {

namespace {

py::bytes bytesOf(const Velmora::ByteArray& octets) {
    return {reinterpret_cast<const char*>(octets.data()), octets.size()};
}

py::object integerOf(const Velmora::BigNumber& number) {
    if (number.fitsInt64()) return py::int_(static_cast<long long>(number.toInt64()));
    const py::object magnitude = py::int_(py::reinterpret_steal<py::object>(
        PyLong_FromString(number.toHexadecimal().c_str() + (number.isNegative() ? 1 : 0), nullptr, 16)));
    return number.isNegative() ? py::object(-magnitude) : magnitude;
}

std::string dotted(const Velmora::IntArray& arcs) {
    std::string text;
    for (unsigned int i = 0; i < arcs.length(); ++i) {
        if (i) text += '.';
        text += std::to_string(static_cast<unsigned int>(arcs[i]));
    }
    return text;
}

// Digits at text[at, at + count) as a number; -1 when any is not a digit or the text is too short.
int digits(const std::string& text, std::size_t at, std::size_t count) {
    if (at + count > text.size()) return -1;
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// "Z", "+hhmm", "-hhmm" or nothing (local time: a naive datetime) at text[at...].
py::object zoneOf(const std::string& text, std::size_t at, bool& ok) {
    const py::module_ datetime = py::module_::import("datetime");
    if (at == text.size()) return py::none();
    if (text[at] == 'Z' && at + 1 == text.size()) return datetime.attr("timezone").attr("utc");
    const int hours = digits(text, at + 1, 2), minutes = digits(text, at + 3, 2);
    ok = (text[at] == '+' || text[at] == '-') && hours >= 0 && minutes >= 0 && at + 5 == text.size();
    if (!ok) return py::none();
    const int sign = text[at] == '-' ? -1 : 1;
    const py::object delta = datetime.attr("timedelta")(py::arg("minutes") = sign * (hours * 60 + minutes));
    return datetime.attr("timezone")(delta);
}

// UTCTime (YYMMDDhhmm[ss]) or GeneralizedTime (YYYYMMDDhh[mm[ss[.fff]]]) with its zone as a
// datetime; the text itself when it is neither.
py::object timeOf(const std::string& text, bool generalized) {
    const std::size_t yearDigits = generalized ? 4 : 2;
    int year = digits(text, 0, yearDigits);
    if (!generalized && year >= 0) year += year < 50 ? 2000 : 1900;
    std::size_t at = yearDigits;
    const int month = digits(text, at, 2), day = digits(text, at + 2, 2), hour = digits(text, at + 4, 2);
    at += 6;
    const int minute = digits(text, at, 2) < 0 ? 0 : digits(text, at, 2);
    if (digits(text, at, 2) >= 0) at += 2;
    const int second = digits(text, at, 2) < 0 ? 0 : digits(text, at, 2);
    if (digits(text, at, 2) >= 0) at += 2;
    long micro = 0;
    if (generalized && at < text.size() && (text[at] == '.' || text[at] == ',')) {
        long scale = 100000;
        for (++at; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at, scale /= 10)
            micro += scale * (text[at] - '0');
    }
    bool ok = true;
    const py::object zone = zoneOf(text, at, ok);
    if (!ok || year < 0 || month < 0 || day < 0 || hour < 0) return py::str(text);
    try {
        return py::module_::import("datetime")
            .attr("datetime")(year, month, day, hour, minute, second, micro, zone);
    } catch (const py::error_already_set&) {
        return py::str(text);  // a date that does not exist, such as month 13
    }
}

py::object convert(const ASN1Object& value) {
    switch (value.getTagValue()) {
        case ASNTag::BOOLEAN:
            return py::bool_(Ostrel::asn1_const_cast<Ostrel::ASN1Boolean>(&value)->getValue());
        case ASNTag::INTEGER:
            return integerOf(Ostrel::asn1_const_cast<Ostrel::ASN1Integer>(&value)->getValue());
        case ASNTag::ENUMERATED:
            return py::int_(Ostrel::asn1_const_cast<Ostrel::ASN1Enumerated>(&value)->getValue());
        case ASNTag::ASN1_NULL:
            return py::none();
        case ASNTag::BIT_STRING:
            return bytesOf(Ostrel::asn1_const_cast<Ostrel::ASN1BitString>(&value)->getValue());
        case ASNTag::OCTET_STRING:
            return bytesOf(Ostrel::asn1_const_cast<Ostrel::ASN1OctetString>(&value)->getValue());
        case ASNTag::OBJECT_IDENTIFIER:
            return py::str(dotted(Ostrel::asn1_const_cast<Ostrel::ASN1ObjectIdentifier>(&value)->getValue()));
        case ASNTag::UTC_TIME:
        case ASNTag::GENERALIZED_TIME:
            return timeOf(Ostrel::asn1_const_cast<Ostrel::ASN1Time>(&value)->getValue().toUTF8(),
                          value.getTagValue() == ASNTag::GENERALIZED_TIME);
        default:
            return py::str(Ostrel::asn1_const_cast<Ostrel::ASN1String>(&value)->getValue().toUTF8());
    }
}

bool libraryDecodes(std::uint32_t tag) {
    return (tag >= 1 && tag <= 6) || tag == 10 || tag == 12 || (tag >= 18 && tag <= 20) ||
           (tag >= 22 && tag <= 24) || tag == 26 || tag == 28 || tag == 30;
}

}  // namespace

py::object valueOf(const Node& node) {
    const Element& element = node.element();
    const unsigned char* data = node.tree().data;
    const bool universal = element.classBits() == 0;
    if (!universal || !libraryDecodes(element.tag)) {
        if (element.constructed()) return py::none();
        return py::bytes(reinterpret_cast<const char*>(data + element.contentsOffset()),
                         element.contentsEnd - element.contentsOffset());
    }
    const Velmora::ByteArray octets(data + element.offset, element.end - element.offset);
    const Velmora::SmartPointer<ASN1Object> value =
        node.tree().der ? Ostrel::DERCoder::decode(octets) : Ostrel::BERCoder::decode(octets);
    return convert(*value);
}

}  // namespace zentrik_py
