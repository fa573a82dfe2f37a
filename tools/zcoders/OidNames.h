#pragma once
// Names of OBJECT IDENTIFIERs for the tool's output: a built-in table of the well-known ones, plus
// any read from files of lines "DOTTED NAME".

#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

namespace zcoders {

// One identifier of the built-in table.
struct OidEntry {
    std::string_view dotted;
    std::string_view name;
};

// The built-in table, in no particular order; every dotted form appears once.
std::span<const OidEntry> builtinOids();

// Whether `text` is an identifier in dotted form: digits and single dots only, at least two arcs,
// no arc with a leading zero, a first arc of 0, 1 or 2.
bool isDottedOid(std::string_view text);

class OidNames {
  public:
    OidNames();  // the built-in table of well-known identifiers

    // Adds the lines "DOTTED NAME" of a file (blank lines and lines starting with # are ignored; a
    // name may contain spaces). Throws std::runtime_error "FILE: line N: MESSAGE" on a bad line and
    // "FILE: MESSAGE" on a file that cannot be read; lines before the bad one stay added.
    void load(const std::string& path);

    // The name of an identifier given in dotted form, or empty when unknown; names loaded later win
    // over earlier and built-in ones.
    std::string_view find(std::string_view dotted) const;

  private:
    // Hashes std::string and std::string_view alike, so that find needs no copy of its key.
    struct KeyHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view key) const noexcept {
            return std::hash<std::string_view>{}(key);
        }
    };

    std::unordered_map<std::string, std::string, KeyHash, std::equal_to<>> loaded_;
};

}  // namespace zcoders
