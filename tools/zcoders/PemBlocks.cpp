#include "PemBlocks.h"

#include <cstdint>
#include <string_view>

#include "ASN1Input.h"
#include "LocatedFailure.h"
#include "ToolSupport.h"

namespace zcoders {

namespace {

constexpr std::string_view kBegin = "-----BEGIN";
constexpr std::string_view kEnd = "-----END";
// Longer lines are no PEM text.
constexpr std::size_t kMaxLine = 1 << 20;

bool startsWith(const std::string& line, std::string_view prefix) {
    return line.compare(0, prefix.size(), prefix) == 0;
}

// "CERTIFICATE" from "-----BEGIN CERTIFICATE-----".
std::string labelOf(const std::string& line) {
    std::string_view label(line);
    label.remove_prefix(kBegin.size());
    while (!label.empty() && label.front() == ' ') label.remove_prefix(1);
    const std::size_t dashes = label.find("-----");
    return std::string(label.substr(0, dashes));
}

}  // namespace

bool looksLikePEM(const Velmora::ByteArray& start) {
    std::string_view text = start.view();
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\r' || text.front() == '\n'))
        text.remove_prefix(1);
    return text.substr(0, kBegin.size()) == kBegin;
}

bool PemBlocks::readLine(std::string& line) {
    line.clear();
    int octet = reader_.next();
    if (octet < 0) return false;
    for (; octet >= 0 && octet != '\n'; octet = reader_.next()) {
        if (line.size() == kMaxLine) fail(kBadPEM, "dump", "a line of the PEM text is longer than 1 MiB");
        line += static_cast<char>(octet);
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

bool PemBlocks::next(std::string& label, Velmora::ByteArray& data) {
    std::string line;
    std::uint64_t start = 0;
    do {
        start = reader_.offset();
        if (!readLine(line)) return false;
    } while (!startsWith(line, kBegin));
    label = labelOf(line);
    std::string block = line + "\n";
    try {
        for (;;) {
            if (!readLine(line)) fail(kBadPEM, "dump", "the PEM block " + label + " has no END line");
            block += line + "\n";
            if (startsWith(line, kEnd)) break;
        }
        decodePEM(Velmora::ByteArray(std::string_view(block)), false, data, "dump");
    } catch (...) {
        rethrowLocated(file_, start);
    }
    return true;
}

}  // namespace zcoders
