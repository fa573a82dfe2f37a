#pragma once
// The dotted texts of object identifiers already read, by their contents octets: the same few
// identifiers come back in every certificate, so their text is made (and checked) once.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include <Python.h>

namespace zentrik_py {

class IdentifierTextCache {
  public:
    static constexpr std::size_t kCapacity = 4096;   // texts kept at most; later ones are made each time
    static constexpr std::size_t kLongestKey = 64;   // longer contents are not kept

    // A new reference to the text kept for these contents octets; nullptr when none is.
    PyObject* find(const unsigned char* contents, std::size_t count) const;

    // Keeps `text` (borrowed; the cache takes its own reference) for these contents octets.
    void keep(const unsigned char* contents, std::size_t count, PyObject* text);

  private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view key) const { return std::hash<std::string_view>()(key); }
    };

    std::unordered_map<std::string, PyObject*, Hash, std::equal_to<>> texts_;
};

}  // namespace zentrik_py
