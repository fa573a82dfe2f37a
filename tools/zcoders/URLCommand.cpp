// url: query strings from NAME=VALUE fields, and fields from a query string.
// Names and values pass as octets (each octet one character), so UTF-8 text is escaped octet by octet.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "Commands.h"
#include "LocatedFailure.h"
#include "StrictText.h"
#include "ToolSupport.h"
#include "zentrik/coders/URLCoder.h"
#include "zentrik/platform/internet/URLNameValues.h"
#include "zentrik/platform/utils/IndexOutOfRange.h"

namespace zcoders {

namespace {

Velmora::String fromOctets(const std::string& text) {
    return Velmora::String::fromASCIIByteArray(Velmora::ByteArray(std::string_view(text)));
}

void runEncode(const std::vector<std::string>& fields) {
    Velmora::URLNameValues values;
    for (const std::string& field : fields) {
        const std::size_t equals = field.find('=');
        values.addURLNameValueField(Velmora::URLNameValueField(fromOctets(field.substr(0, equals)),
                                                               fromOctets(field.substr(equals + 1))));
    }
    Velmora::URLCoder coder;
    Velmora::FileOutputStream out = Velmora::FileOutputStream::standardOutput();
    out << coder.encode(values).toASCIIByteArray() << "\n";
    out.flush();
}

// The decoder reads the two digits after every "%" without looking: an escape cut by the end of the
// query makes it index past the text, which is reported at the escape.
Velmora::URLNameValues decodeQuery(const std::string& query) {
    try {
        return Velmora::URLCoder().decode(fromOctets(query));
    } catch (const Velmora::IndexOutOfRange&) {
        const std::size_t escape = query.find('%', query.size() < 2 ? 0 : query.size() - 2);
        throw LocatedFailure("query", escape == std::string::npos ? query.size() : escape,
                             "the query ends inside the escape \"" + query.substr(std::min(escape, query.size())) +
                                 "\", which needs two hexadecimal digits",
                             kCutEscape, "zcoders url decode");
    }
}

void runDecode(const std::string& query, bool strict) {
    if (strict) checkQuery("query", query);
    const Velmora::URLNameValues values = decodeQuery(query);
    Velmora::FileOutputStream out = Velmora::FileOutputStream::standardOutput();
    for (const Velmora::URLNameValueField& field : values.getURLFields())
        out << field.getFieldName().toASCIIByteArray() << "\t" << field.getFieldBody().toASCIIByteArray()
            << "\n";
    out.flush();
}

}  // namespace

void addURLCommand(CLI::App& app, CommandTable& table) {
    CLI::App* url = app.add_subcommand("url", "URL query strings");
    url->require_subcommand(1);

    auto fields = std::make_shared<std::vector<std::string>>();
    CLI::App* encode = url->add_subcommand("encode", "Print the query string of the fields and a newline");
    encode->add_option("FIELDS", *fields, "NAME=VALUE fields, in order")
        ->required()
        ->check(CLI::Validator(
            [](std::string& field) {
                return field.find('=') == std::string::npos ? "a field must be written NAME=VALUE: " + field
                                                            : std::string();
            },
            "NAME=VALUE"));
    table.add(encode, [fields] { runEncode(*fields); });

    auto query = std::make_shared<std::string>();
    auto strict = std::make_shared<bool>(false);
    CLI::App* decode =
        url->add_subcommand("decode", "Print the fields of QUERY, one per line: name, TAB, value");
    decode->add_option("QUERY", *query, "The query string")->required();
    decode->add_flag("--strict", *strict,
                     "Decode only a query whose fields come out as written: stop at the first malformed "
                     "\"%\" escape or character the decoder would drop or change");
    table.add(decode, [query, strict] { runDecode(*query, *strict); });
}

}  // namespace zcoders
