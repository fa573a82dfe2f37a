#include "PrimitiveValues.h"

#include <charconv>
#include <string>

#include "ElementTimes.h"
#include "IdentifierTextCache.h"
#include "zentrik/platform/asn1/ASN1ObjectIdentifier.h"
#include "zentrik/platform/asn1/ASN1Octets.h"

namespace zentrik_py {

namespace {

FastValue made(PyObject* object) {
    return {object, object == nullptr};
}

bool ascii(const unsigned char* contents, std::size_t count) {
    unsigned char any = 0;
    for (std::size_t i = 0; i < count; ++i) any |= contents[i];
    return (any & 0x80) == 0;
}

// Two's complement, most significant octet first.
PyObject* integer(const unsigned char* contents, std::size_t count) {
    if (count > 8) return _PyLong_FromByteArray(contents, count, 0, 1);
    std::uint64_t value = (contents[0] & 0x80) ? ~std::uint64_t{0} : 0;
    for (std::size_t i = 0; i < count; ++i) value = (value << 8) | contents[i];
    return PyLong_FromLongLong(static_cast<long long>(value));
}

// Dotted text of base-128 subidentifiers, the first standing for the first two arcs.
PyObject* objectIdentifier(const unsigned char* contents, std::size_t count) {
    std::string text(count * 4 + 12, '\0');
    char* out = text.data();
    Ostrel::octets::MemorySource source(contents, contents + count);
    std::uint64_t subidentifier = 0;
    for (bool first = true;
         Ostrel::octets::readBase128(source, 0xFFFFFFFFu, subidentifier) == Ostrel::octets::Fault::none;
         first = false) {
        if (first) {
            const std::uint64_t top = subidentifier < 40 ? 0 : subidentifier < 80 ? 1 : 2;
            *out++ = static_cast<char>('0' + top);
            subidentifier -= 40 * top;
        }
        *out++ = '.';
        out = std::to_chars(out, text.data() + text.size(), subidentifier).ptr;
    }
    return PyUnicode_FromStringAndSize(text.data(), out - text.data());
}

PyObject* text(const unsigned char* contents, std::size_t count) {
    return PyUnicode_FromStringAndSize(reinterpret_cast<const char*>(contents),
                                       static_cast<Py_ssize_t>(count));
}

PyObject* octets(const unsigned char* contents, std::size_t count) {
    return PyBytes_FromStringAndSize(reinterpret_cast<const char*>(contents), static_cast<Py_ssize_t>(count));
}

IdentifierTextCache identifierTexts;  // guarded by the GIL

// An object identifier's text: kept from an earlier read of the same octets, or made and kept.
FastValue knownIdentifier(const unsigned char* contents, std::size_t count) {
    if (PyObject* kept = identifierTexts.find(contents, count)) return {kept, false};
    if (!Ostrel::ASN1ObjectIdentifier::isContentOctets(contents, count)) return {};
    PyObject* text = objectIdentifier(contents, count);
    if (text) identifierTexts.keep(contents, count, text);
    return made(text);
}

bool isCharacterString(std::uint32_t tag) {
    return tag == 12 || (tag >= 18 && tag <= 20) || tag == 22 || tag == 26;
}

}  // namespace

FastValue primitiveValue(std::uint32_t tag, const unsigned char* contents, std::size_t count) {
    switch (tag) {
        case 1:
            if (count != 1 || (contents[0] != 0 && contents[0] != 0xFF)) return {};
            return made(PyBool_FromLong(contents[0]));
        case 2:
            return count == 0 ? FastValue{} : made(integer(contents, count));
        case 10:
            return count == 0 || count > 4 ? FastValue{} : made(integer(contents, count));
        case 5:
            if (count != 0) return {};
            Py_INCREF(Py_None);
            return {Py_None, false};
        case 4:
            return made(octets(contents, count));
        case 3:
            if (count == 0 || contents[0] > 7 || (count == 1 && contents[0] != 0)) return {};
            return made(octets(contents + 1, count - 1));
        case 6:
            return knownIdentifier(contents, count);
        case 23:
        case 24:
            if (!ascii(contents, count)) return {};
            return made(timeOf(reinterpret_cast<const char*>(contents), count, tag == 24));
        default:
            if (!isCharacterString(tag) || !ascii(contents, count)) return {};
            return made(text(contents, count));
    }
}

}  // namespace zentrik_py
