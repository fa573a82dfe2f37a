// The value of an element as a Python object: the common universal types read straight from their
// contents octets, the rest (and anything those readers are not sure of) by the library's decoder.
#include <string>

#include "ElementTimes.h"
#include "PrimitiveValues.h"
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
        case ASNTag::GENERALIZED_TIME: {
            const std::string text = Ostrel::asn1_const_cast<Ostrel::ASN1Time>(&value)->getValue().toUTF8();
            return py::reinterpret_steal<py::object>(
                timeOf(text.data(), text.size(), value.getTagValue() == ASNTag::GENERALIZED_TIME));
        }
        default:
            return py::str(Ostrel::asn1_const_cast<Ostrel::ASN1String>(&value)->getValue().toUTF8());
    }
}

bool libraryDecodes(std::uint32_t tag) {
    return (tag >= 1 && tag <= 6) || tag == 10 || tag == 12 || (tag >= 18 && tag <= 20) ||
           (tag >= 22 && tag <= 24) || tag == 26 || tag == 28 || tag == 30;
}

// The value of an element through the library's decoder.
PyObject* libraryValue(const Tree& tree, const Element& element) {
    const Velmora::ByteArray octets(tree.data + element.offset, element.end - element.offset);
    const Velmora::SmartPointer<ASN1Object> value =
        tree.der ? Ostrel::DERCoder::decode(octets) : Ostrel::BERCoder::decode(octets);
    return convert(*value).release().ptr();
}

}  // namespace

PyObject* valueOf(const Tree& tree, std::uint32_t index) {
    const Element& element = tree.elements[index];
    const unsigned char* contents = tree.data + element.contentsOffset();
    const std::size_t count = element.contentsEnd - element.contentsOffset();
    if (element.classBits() != 0 || !libraryDecodes(element.tag)) {
        if (element.constructed()) Py_RETURN_NONE;
        return PyBytes_FromStringAndSize(reinterpret_cast<const char*>(contents),
                                         static_cast<Py_ssize_t>(count));
    }
    if (!element.constructed()) {
        const FastValue fast = primitiveValue(element.tag, contents, count);
        if (fast.failed) throw py::error_already_set();
        if (fast.object) return fast.object;
    }
    return libraryValue(tree, element);
}

}  // namespace zentrik_py
