#include "IdentifierTextCache.h"

namespace zentrik_py {

namespace {

std::string_view keyOf(const unsigned char* contents, std::size_t count) {
    return {reinterpret_cast<const char*>(contents), count};
}

}  // namespace

PyObject* IdentifierTextCache::find(const unsigned char* contents, std::size_t count) const {
    if (count > kLongestKey) return nullptr;
    const auto found = texts_.find(keyOf(contents, count));
    if (found == texts_.end()) return nullptr;
    Py_INCREF(found->second);
    return found->second;
}

void IdentifierTextCache::keep(const unsigned char* contents, std::size_t count, PyObject* text) {
    if (count > kLongestKey || texts_.size() >= kCapacity) return;
    const auto [at, added] = texts_.emplace(keyOf(contents, count), text);
    if (added) Py_INCREF(at->second);
}

}  // namespace zentrik_py
