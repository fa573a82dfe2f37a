#include "ASN1Input.h"

#include <CLI/CLI.hpp>
#include <string_view>

#include "ToolSupport.h"
#include "zentrik/asn1/BERCoder.h"
#include "zentrik/asn1/DERCoder.h"
#include "zentrik/coders/Base64Coder.h"

namespace zcoders {

namespace {

constexpr std::string_view kBegin = "-----BEGIN";
constexpr std::string_view kEnd = "-----END";

bool isWhite(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Position of the first line that starts with `marker`, from `from` on; npos when there is none.
std::size_t findLine(std::string_view text, std::string_view marker, std::size_t from) {
    for (std::size_t at = text.find(marker, from); at != std::string_view::npos;
         at = text.find(marker, at + 1))
        if (at == 0 || text[at - 1] == '\n') return at;
    return std::string_view::npos;
}

// The body of a PEM block without its header lines ("Name: value" lines up to a blank line).
std::string_view withoutHeaders(std::string_view body) {
    const std::size_t firstLineEnd = body.find('\n');
    const std::string_view firstLine = body.substr(0, firstLineEnd);
    if (firstLine.find(':') == std::string_view::npos) return body;
    for (std::size_t at = 0; at < body.size();) {
        std::size_t end = body.find('\n', at);
        if (end == std::string_view::npos) end = body.size();
        std::string_view line = body.substr(at, end - at);
        while (!line.empty() && isWhite(line.back())) line.remove_suffix(1);
        if (line.empty()) return body.substr(end);
        at = end + 1;
    }
    return {};
}

}  // namespace

void addASN1InputOptions(CLI::App& command, ASN1InputOptions& options, bool withBER) {
    if (withBER)
        command.add_flag("--ber", options.ber, "Decode with the BER rules (indefinite lengths, segments)");
    command
        .add_option("--inform", options.inform,
                    "Input form: der (DER or BER octets) or pem; found out by default")
        ->check(CLI::IsMember({"der", "pem", "auto"}));
    command.add_option("FILE", options.file, "Input file; \"-\" or omitted for standard input");
}

bool decodePEM(const Velmora::ByteArray& text, bool anywhere, Velmora::ByteArray& data,
               const std::string& command) {
    const std::string_view view = text.view();
    std::size_t begin;
    if (anywhere) {
        begin = findLine(view, kBegin, 0);
        if (begin == std::string_view::npos) return false;
    } else {
        begin = 0;
        while (begin < view.size() && isWhite(view[begin])) ++begin;
        if (view.substr(begin, kBegin.size()) != kBegin) return false;
    }
    const std::size_t bodyStart = view.find('\n', begin);
    if (bodyStart == std::string_view::npos)
        fail(kBadPEM, command, "the PEM block has no data after its BEGIN line");
    const std::size_t end = findLine(view, kEnd, bodyStart + 1);
    if (end == std::string_view::npos) fail(kBadPEM, command, "the PEM block has no END line");
    const std::string_view body = withoutHeaders(view.substr(bodyStart + 1, end - bodyStart - 1));
    Velmora::Base64Coder base64(true);
    data = base64.decode(Velmora::ByteArray(body));
    if (data.isEmpty()) fail(kBadPEM, command, "the PEM block holds no data");
    return true;
}

Velmora::ByteArray readASN1Input(const ASN1InputOptions& options, const std::string& command) {
    Input input = openInput(options.file);
    Velmora::ByteArray octets = readAll(*input.stream);
    if (options.inform == "der") return octets;
    Velmora::ByteArray data;
    const bool pem = options.inform == "pem";
    if (decodePEM(octets, pem, data, command)) return data;
    if (pem) fail(kBadPEM, command, "no \"-----BEGIN\" line in the input");
    return octets;
}

Velmora::SmartPointer<Ostrel::ASN1Object> decodeFirstElement(const Velmora::ByteArray& octets, bool ber) {
    return ber ? Ostrel::BERCoder::decode(octets) : Ostrel::DERCoder::decode(octets);
}

}  // namespace zcoders
