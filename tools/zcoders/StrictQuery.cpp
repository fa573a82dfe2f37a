// --strict for URL query strings: fields NAME=VALUE separated by "&", every "%" followed by two
// hexadecimal digits, and nothing that the library's decoder drops or changes: characters outside its
// field pattern, fields without "=", a name or a value left empty, an escaped "=" in a name (the
// decoder splits the field after unescaping), white space at the start of a name or a value and line
// ends at the end of a value (the decoder trims them).
#include <algorithm>
#include <array>

#include "StrictText.h"

namespace zcoders {

namespace {

// The characters the decoder takes as they are in a name (1) and in a value (2), besides '%'.
constexpr std::array<unsigned char, 256> kTaken = [] {
    std::array<unsigned char, 256> t{};
    for (int c = 0; c < 256; ++c) {
        const bool alphanumeric = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        if (alphanumeric || c == '+' || c == '_' || c == '-') t[static_cast<std::size_t>(c)] = 3;
    }
    t['@'] = t['.'] = 2;
    return t;
}();

constexpr int hexValue(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

constexpr bool isWhite(int octet) {
    return octet == ' ' || octet == '\t' || octet == '\r' || octet == '\n';
}

class QueryChecker {
  public:
    QueryChecker(const std::string& inputName, std::string_view query) : name_(inputName), query_(query) {}

    void run() const {
        std::size_t begin = 0;
        for (;;) {
            const std::size_t end = std::min(query_.find('&', begin), query_.size());
            if (end > begin) checkField(begin, end);
            if (end == query_.size()) return;
            begin = end + 1;
        }
    }

  private:
    [[noreturn]] void fault(std::size_t offset, const std::string& message) const {
        throw StrictTextError(name_, offset, message);
    }

    void checkField(std::size_t begin, std::size_t end) const {
        const std::size_t equals = query_.find('=', begin);
        if (equals >= end) fault(begin, "a field without '=' is dropped by the decoder");
        if (equals == begin) fault(begin, "a field with an empty name");
        if (equals + 1 == end) fault(begin, "a field with an empty value is dropped by the decoder");
        checkPart(begin, equals, false);
        checkPart(equals + 1, end, true);
    }

    // A name or a value: what each character stands for, and what the decoder trims.
    void checkPart(std::size_t begin, std::size_t end, bool isValue) const {
        const char* part = isValue ? "a value" : "a name";
        std::size_t lineEndsFrom = end;  // the start of the line ends the value ends with
        for (std::size_t i = begin; i < end; ++i) {
            const std::size_t at = i;
            const int octet = take(i, isValue);
            if (at == begin && isWhite(octet))
                fault(at, std::string("white space at the start of ") + part + " is dropped by the decoder");
            if (!isValue && octet == '=')
                fault(at, "an escaped '=' in a name splits the field there once decoded");
            if (octet != '\r' && octet != '\n')
                lineEndsFrom = end;
            else if (lineEndsFrom == end)
                lineEndsFrom = at;
        }
        if (isValue && lineEndsFrom != end)
            fault(lineEndsFrom, "line ends at the end of a value are dropped by the decoder");
    }

    // The octet that query_[i] stands for, i moved to the last character of an escape.
    int take(std::size_t& i, bool isValue) const {
        const auto c = static_cast<unsigned char>(query_[i]);
        if (c == '%') {
            if (i + 2 >= query_.size() || hexValue(static_cast<unsigned char>(query_[i + 1])) < 0 ||
                hexValue(static_cast<unsigned char>(query_[i + 2])) < 0)
                fault(i, "'%' is not followed by two hexadecimal digits");
            i += 2;
            return hexValue(static_cast<unsigned char>(query_[i - 1])) * 16 +
                   hexValue(static_cast<unsigned char>(query_[i]));
        }
        if ((kTaken[c] & (isValue ? 2 : 1)) == 0)
            fault(i, describeOctet(c) + " in " + (isValue ? "a value" : "a name") +
                         " is dropped by the decoder (write %" + hexOf(c) + ")");
        return c == '+' ? ' ' : c;
    }

    std::string name_;
    std::string_view query_;
};

}  // namespace

void checkQuery(const std::string& inputName, std::string_view query) {
    QueryChecker(inputName, query).run();
}

}  // namespace zcoders
