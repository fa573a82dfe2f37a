// Whole-buffer decoding into nodes, re-encoding as DER, and the constructors of new elements, whose
// contents the library's value classes and DER encoder write.
#include <memory>
#include <string>
#include <vector>

#include <pybind11/stl.h>

#include "Bindings.h"
#include "Errors.h"
#include "NodeType.h"
#include "zentrik/asn1/BERCoder.h"
#include "zentrik/asn1/DERCoder.h"
#include "zentrik/asn1/DirectDecoder.h"
#include "zentrik/platform/asn1/ASN1.h"
#include "zentrik/platform/asn1/ASN1Octets.h"

namespace py = pybind11;
using Ostrel::ASN1Object;

namespace zentrik_py {

py::bytes asBytes(const py::object& data) {
    if (PyBytes_Check(data.ptr())) return py::reinterpret_borrow<py::bytes>(data);
    PyObject* copy = PyBytes_FromObject(data.ptr());  // TypeError for what holds no octets
    if (!copy) throw py::error_already_set();
    return py::reinterpret_steal<py::bytes>(copy);
}

namespace {

// The library's own verdict on the whole encoding, so that every value it refuses is refused here too:
// its direct decoder's check, which builds no values, and where that leaves the octets to the stream
// decoder, a decode that reports the fault (or takes the octets after all).
void libraryCheck(const Tree& tree) {
    using Rules = Ostrel::DirectDecoder::Rules;
    const unsigned char* end = tree.data + tree.elements[0].end;
    std::size_t used = 0;
    if (Ostrel::DirectDecoder(tree.data, end, tree.der ? Rules::der : Rules::ber).check(used)) return;
    const Velmora::ByteArray octets(tree.data, tree.elements[0].end);
    if (tree.der)
        Ostrel::DERCoder::decode(octets);
    else
        Ostrel::BERCoder::decode(octets);
}

// Decodes `data` into its root node: the structure with positions, then the library's check.
py::object decode(const py::object& data, bool der) {
    return decodeTree(asBytes(data), der, &libraryCheck);
}

py::bytes bytesOf(const Velmora::ByteArray& octets) {
    return {reinterpret_cast<const char*>(octets.data()), octets.size()};
}

// A node over the DER encoding `octets` (checked as any decoded data).
py::object nodeOf(const Velmora::ByteArray& octets) {
    return decode(bytesOf(octets), true);
}

py::object encoded(const ASN1Object& value) {
    return nodeOf(Ostrel::DERCoder::encode(value));
}

// An identifier and a definite length, in their shortest forms, then `contents`.
Velmora::ByteArray withHeader(unsigned int identifierBits, std::uint32_t tag,
                              const Velmora::ByteArray& contents) {
    unsigned char header[Ostrel::octets::kMaxIdentifierOctets + Ostrel::octets::kMaxLengthOctets];
    std::size_t count = Ostrel::octets::writeIdentifier(identifierBits, tag, header);
    count += Ostrel::octets::writeLength(contents.size(), header + count);
    Velmora::ByteArray octets(header, count);
    octets += contents;
    return octets;
}

bool isStringType(std::uint32_t tag) {
    return tag == 3 || tag == 4 || tag == 12 || (tag >= 18 && tag <= 30);
}

// Appends the contents of the primitive segments inside element `index`; `unused` gets the unused
// bit count of the last BIT STRING segment, whose leading octet the others' contents lose.
void appendSegments(const Tree& tree, std::uint32_t index, Velmora::ByteArray& out, unsigned char& unused) {
    const Element& e = tree.elements[index];
    const bool bits = e.tag == 3;
    for (std::uint32_t i = index + 1; i < e.subtreeEnd; i = tree.elements[i].subtreeEnd) {
        const Element& segment = tree.elements[i];
        if (segment.constructed()) {
            appendSegments(tree, i, out, unused);
            continue;
        }
        const unsigned char* contents = tree.data + segment.contentsOffset();
        std::size_t count = segment.contentsEnd - segment.contentsOffset();
        if (bits && count > 0) {
            unused = contents[0];
            ++contents;
            --count;
        }
        out.append(contents, count);
    }
}

// A constructed (segmented) string as one primitive string of all its octets.
Velmora::ByteArray joinedSegments(const Tree& tree, std::uint32_t index) {
    Velmora::ByteArray contents;
    unsigned char unused = 0;
    appendSegments(tree, index, contents, unused);
    const std::uint32_t tag = tree.elements[index].tag;
    if (tag == 3) contents = Velmora::ByteArray(unused) + contents;
    // Through the library, which checks the value (a character string's octets, unused bits).
    return Ostrel::DERCoder::encode(*Ostrel::BERCoder::decode(withHeader(0, tag, contents)));
}

// The DER form of element `index` of a BER tree: universal values through the library's decoder and
// DER encoder (segmented strings joined, BOOLEAN as FF), structures rebuilt with definite lengths,
// tagged primitives with their contents as they are.
Velmora::ByteArray derOf(const Tree& tree, std::uint32_t index) {
    const Element& e = tree.elements[index];
    const bool universal = e.classBits() == 0;
    if (universal && e.constructed() && isStringType(e.tag)) return joinedSegments(tree, index);
    if (universal && !e.constructed())
        return Ostrel::DERCoder::encode(
            *Ostrel::BERCoder::decode(Velmora::ByteArray(tree.data + e.offset, e.end - e.offset)));
    Velmora::ByteArray contents;
    if (!e.constructed())
        contents = Velmora::ByteArray(tree.data + e.contentsOffset(), e.contentsEnd - e.contentsOffset());
    for (std::uint32_t i = index + 1; e.constructed() && i < e.subtreeEnd; i = tree.elements[i].subtreeEnd)
        contents += derOf(tree, i);
    return withHeader(e.first & 0xE0u, e.tag, contents);
}

// The DER encoding of a node: its own octets when they are DER already.
py::bytes encode(const py::handle& object) {
    const NodeRef node = nodeRef(object);
    const Element& element = node.element();
    if (node.tree.der)
        return {reinterpret_cast<const char*>(node.tree.data + element.offset), element.end - element.offset};
    return bytesOf(derOf(node.tree, node.index));
}

Velmora::BigNumber bigNumberOf(const py::int_& number) {
    const std::string hex = py::str(py::module_::import("builtins").attr("format")(number, "x"));
    return Velmora::BigNumber::fromHexadecimal(hex);
}

py::object string(unsigned int tag, const std::string& text) {
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
py::object wrap(unsigned int classBits, std::uint32_t tag, const std::vector<py::bytes>& parts) {
    Velmora::ByteArray contents;
    for (const py::bytes& part : parts) {
        const std::string_view octets = part;
        contents.append(octets.data(), octets.size());
    }
    return nodeOf(withHeader(classBits, tag, contents));
}

// The decode functions as plain C functions of one argument: called once per document, they skip
// pybind11's argument matching.
template <bool Der>
PyObject* decodeEntry(PyObject*, PyObject* data) {
    try {
        return decode(py::reinterpret_borrow<py::object>(data), Der).release().ptr();
    } catch (...) {
        raiseCurrentException();
        return nullptr;
    }
}

PyMethodDef decodeEntries[] = {
    {"der_decode", decodeEntry<true>, METH_O, "The node tree of one DER element."},
    {"ber_decode", decodeEntry<false>, METH_O, "The node tree of one BER element."},
};

}  // namespace

void bindCodec(py::module_& module) {
    for (PyMethodDef& entry : decodeEntries) {
        PyObject* function = PyCFunction_NewEx(&entry, nullptr, module.attr("__name__").ptr());
        if (!function) throw py::error_already_set();
        module.add_object(entry.ml_name, py::reinterpret_steal<py::object>(function));
    }
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
    module.def("oid", [](const std::string& dotted) {
        return encoded(Ostrel::ASN1ObjectIdentifier(dotted.c_str()));
    });
    module.def("string", &string);
    module.def("wrap", &wrap);
}

}  // namespace zentrik_py
