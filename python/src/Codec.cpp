// Whole-buffer decoding into nodes, re-encoding as DER, and the constructors of new elements, whose
// contents the library's value classes and DER encoder write.
#include <memory>
#include <string>
#include <vector>

#include <pybind11/stl.h>

#include "Bindings.h"
#include "Tree.h"
#include "zentrik/asn1/BERCoder.h"
#include "zentrik/asn1/DERCoder.h"
#include "zentrik/platform/asn1/ASN1.h"
#include "zentrik/platform/asn1/ASN1Octets.h"

namespace py = pybind11;
using Ostrel::ASN1Object;

namespace zentrik_py {

py::bytes asBytes(const py::object& data) {
    if (PyBytes_Check(data.ptr())) return py::reinterpret_borrow<py::bytes>(data);
    return py::reinterpret_steal<py::bytes>(PyBytes_FromObject(data.ptr()));
}

namespace {

// Decodes `data` into its root node: the structure with positions, then (without the GIL) the
// library's own decoder over the whole, so that every value it refuses is refused here too.
Node decode(const py::object& data, bool der) {
    Node root = decodeTree(asBytes(data), der);
    const Element& element = root.element();
    const Velmora::ByteArray octets(root.tree().data, element.end);
    py::gil_scoped_release unlocked;
    if (der)
        Ostrel::DERCoder::decode(octets);
    else
        Ostrel::BERCoder::decode(octets);
    return root;
}

py::bytes bytesOf(const Velmora::ByteArray& octets) {
    return {reinterpret_cast<const char*>(octets.data()), octets.size()};
}

// A node over the DER encoding `octets` (checked as any decoded data).
Node nodeOf(const Velmora::ByteArray& octets) { return decode(bytesOf(octets), true); }

Node encoded(const ASN1Object& value) { return nodeOf(Ostrel::DERCoder::encode(value)); }

// The DER encoding of a node: its own octets when they are DER, else the library re-encodes them.
py::bytes encode(const Node& node) {
    const Element& element = node.element();
    const Velmora::ByteArray octets(node.tree().data + element.offset, element.end - element.offset);
    if (node.tree().der) return bytesOf(octets);
    return bytesOf(Ostrel::DERCoder::encode(*Ostrel::BERCoder::decode(octets)));
}

Velmora::BigNumber bigNumberOf(const py::int_& number) {
    const std::string hex = py::str(py::module_::import("builtins").attr("format")(number, "x"));
    return Velmora::BigNumber::fromHexadecimal(hex);
}

Node string(unsigned int tag, const std::string& text) {
    std::unique_ptr<ASN1Object> value(ASN1Object::makeASN1Object(static_cast<Ostrel::ASNTag::ASN1_TAG>(tag)));
    auto* string = dynamic_cast<Ostrel::ASN1String*>(value.get());
    auto* time = dynamic_cast<Ostrel::ASN1Time*>(value.get());
    if (string)
        string->setValue(Velmora::String(text));
    else if (time)
        time->setValue(Velmora::String(text));
    else
        throw py::value_error("tag " + std::to_string(tag) + " is no string or time type");
    return encoded(*value);
}

// An element with identifier (classBits | constructed bit, tag) around the concatenated `parts`.
Node wrap(unsigned int classBits, std::uint32_t tag, const std::vector<py::bytes>& parts) {
    Velmora::ByteArray contents;
    for (const py::bytes& part : parts) {
        const std::string_view octets = part;
        contents.append(reinterpret_cast<const unsigned char*>(octets.data()), octets.size());
    }
    unsigned char header[Ostrel::octets::kMaxIdentifierOctets + Ostrel::octets::kMaxLengthOctets];
    std::size_t count = Ostrel::octets::writeIdentifier(classBits, tag, header);
    count += Ostrel::octets::writeLength(contents.size(), header + count);
    Velmora::ByteArray octets(header, count);
    octets += contents;
    return nodeOf(octets);
}

}  // namespace

void bindCodec(py::module_& module) {
    module.def("der_decode", [](const py::object& data) { return decode(data, true); });
    module.def("ber_decode", [](const py::object& data) { return decode(data, false); });
    module.def("der_encode", &encode);
    module.def("integer", [](const py::int_& n) { return encoded(Ostrel::ASN1Integer(bigNumberOf(n))); });
    module.def("enumerated", [](int n) { return encoded(Ostrel::ASN1Enumerated(n)); });
    module.def("boolean", [](bool b) { return encoded(Ostrel::ASN1Boolean(b)); });
    module.def("null", [] { return encoded(Ostrel::ASN1Null()); });
    module.def("octet_string", [](const py::bytes& b) {
        const std::string_view octets = b;
        return encoded(Ostrel::ASN1OctetString(Velmora::ByteArray(octets.data(), octets.size())));
    });
    module.def("bit_string", [](const py::bytes& b, unsigned int unused) {
        const std::string_view octets = b;
        return encoded(Ostrel::ASN1BitString(Velmora::ByteArray(octets.data(), octets.size()), unused));
    });
    module.def("oid", [](const std::string& dotted) { return encoded(Ostrel::ASN1ObjectIdentifier(dotted.c_str())); });
    module.def("string", &string);
    module.def("wrap", &wrap);
}

}  // namespace zentrik_py
