#include "OidNames.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace zcoders {

namespace {

constexpr std::string_view kBlanks = " \t\r";

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// The built-in table keyed by dotted form, built on first use and shared by every OidNames.
const std::unordered_map<std::string_view, std::string_view>& builtinIndex() {
    static const std::unordered_map<std::string_view, std::string_view> index = [] {
        std::unordered_map<std::string_view, std::string_view> built;
        const std::span<const OidEntry> table = builtinOids();
        built.reserve(table.size());
        for (const OidEntry& entry : table) built.emplace(entry.dotted, entry.name);
        return built;
    }();
    return index;
}

// A piece of a bad line for a report, cut short when it is long.
std::string quotedPiece(std::string_view text) {
    constexpr std::size_t kShown = 40;
    if (text.size() <= kShown) return "'" + std::string(text) + "'";
    return "'" + std::string(text.substr(0, kShown)) + "...'";
}

}  // namespace

bool isDottedOid(std::string_view text) {
    std::size_t arcs = 0;
    unsigned long first = 0;
    while (true) {
        const std::size_t dot = text.find('.');
        const std::string_view arc = text.substr(0, dot);
        if (arc.empty() || arc.find_first_not_of("0123456789") != std::string_view::npos) return false;
        if (arc.size() > 1 && arc[0] == '0') return false;
        // Under the first arcs 0 and 1 the second arc stays below 40.
        if (arcs == 0 && (arc.size() > 1 || arc[0] > '2')) return false;
        if (arcs == 0) first = static_cast<unsigned long>(arc[0] - '0');
        if (arcs == 1 && first < 2 && (arc.size() > 2 || (arc.size() == 2 && arc[0] > '3'))) return false;
        ++arcs;
        if (dot == std::string_view::npos) break;
        text.remove_prefix(dot + 1);
    }
    return arcs >= 2;
}

OidNames::OidNames() {
    builtinIndex();
}

void OidNames::load(const std::string& path) {
    const auto unreadable = [&path] {
        return std::runtime_error(path + ": cannot be read: " + std::strerror(errno));
    };
    std::ifstream in(path, std::ios::binary);
    if (!in) throw unreadable();
    std::string line;
    for (unsigned long number = 1; std::getline(in, line); ++number) {
        const std::string_view text = trimmed(line);
        if (text.empty() || text[0] == '#') continue;
        const std::size_t gap = text.find_first_of(kBlanks);
        const std::string_view dotted = text.substr(0, gap);
        const std::string where = path + ": line " + std::to_string(number) + ": ";
        if (!isDottedOid(dotted))
            throw std::runtime_error(where + quotedPiece(dotted) +
                                     " is not an object identifier in dotted form");
        if (gap == std::string_view::npos)
            throw std::runtime_error(where + "no name after " + quotedPiece(dotted));
        loaded_.insert_or_assign(std::string(dotted), std::string(trimmed(text.substr(gap))));
    }
    if (in.bad()) throw unreadable();
}

std::string_view OidNames::find(std::string_view dotted) const {
    if (!loaded_.empty()) {
        const auto found = loaded_.find(dotted);
        if (found != loaded_.end()) return found->second;
    }
    const auto& index = builtinIndex();
    const auto found = index.find(dotted);
    return found == index.end() ? std::string_view{} : found->second;
}

}  // namespace zcoders
