#pragma once
// Running one step of a command so that its failure is reported at a place of the input.

#include <cstdint>
#include <string>

#include "LocatedFailure.h"

namespace zcoders {

// What `step` returns; a failure of it becomes a LocatedFailure at `offset` of `file`.
template <typename Step>
auto located(const std::string& file, std::uint64_t offset, Step&& step) -> decltype(step()) {
    try {
        return step();
    } catch (...) {
        rethrowLocated(file, offset);
    }
}

}  // namespace zcoders
