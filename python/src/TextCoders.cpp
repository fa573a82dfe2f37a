// zentrik.base64, zentrik.qp, zentrik.url: the library's coders over bytes and str, with the
// tool's --strict checks in front of the decoders when asked.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <pybind11/stl.h>

#include "Bindings.h"
#include "StrictText.h"
#include "zentrik/coders/Base64Coder.h"
#include "zentrik/coders/QPCoder.h"
#include "zentrik/coders/URLCoder.h"
#include "zentrik/platform/internet/URLNameValues.h"

namespace py = pybind11;

namespace zentrik_py {

namespace {

using Field = std::pair<std::string, std::string>;

// Runs `coder` over the octets of `data` without the GIL.
template <typename Run>
py::bytes transform(const py::object& data, Run run) {
    const py::bytes source = asBytes(data);
    const std::string_view octets = source;
    Velmora::ByteArray result;
    {
        py::gil_scoped_release unlocked;
        result = run(Velmora::ByteArray(octets.data(), octets.size()));
    }
    return {reinterpret_cast<const char*>(result.data()), result.size()};
}

void checkWhole(zcoders::TextChecker& checker, const Velmora::ByteArray& text) {
    checker.check(text.data(), text.size());
    checker.finish();
}

py::bytes base64Decode(const py::object& text, bool strict) {
    return transform(text, [strict](const Velmora::ByteArray& in) {
        if (strict) checkWhole(*zcoders::makeBase64Checker("text"), in);
        return Velmora::Base64Coder().decode(in);
    });
}

py::bytes qpDecode(const py::object& text, bool strict) {
    return transform(text, [strict](const Velmora::ByteArray& in) {
        if (strict) checkWhole(*zcoders::makeQPChecker("text"), in);
        return Velmora::QPCoder().decode(in);
    });
}

std::string urlEncode(const std::vector<Field>& fields) {
    Velmora::URLNameValues values;
    for (const Field& field : fields)
        values.addURLNameValueField(
            Velmora::URLNameValueField(Velmora::String(field.first), Velmora::String(field.second)));
    return Velmora::URLCoder().encode(values).toUTF8();
}

std::vector<Field> urlDecode(const std::string& query, bool strict) {
    if (strict) zcoders::checkQuery("query", query);
    const Velmora::URLNameValues values = Velmora::URLCoder().decode(Velmora::String(query));
    std::vector<Field> fields;
    for (const Velmora::URLNameValueField& field : values.getURLFields())
        fields.emplace_back(field.getFieldName().toUTF8(), field.getFieldBody().toUTF8());
    return fields;
}

}  // namespace

void bindTextCoders(py::module_& module) {
    module.def("base64_encode", [](const py::object& data, bool lineBreaks) {
        return transform(data, [lineBreaks](const Velmora::ByteArray& in) {
            return Velmora::Base64Coder(lineBreaks).encode(in);
        });
    });
    module.def("base64_decode", &base64Decode);
    module.def("qp_encode", [](const py::object& data, bool crlf) {
        return transform(data,
                         [crlf](const Velmora::ByteArray& in) { return Velmora::QPCoder(crlf).encode(in); });
    });
    module.def("qp_decode", &qpDecode);
    module.def("url_encode", &urlEncode);
    module.def("url_decode", &urlDecode);
}

}  // namespace zentrik_py
