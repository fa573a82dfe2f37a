#pragma once
// Running one step of a command so that its failure is reported at a place of the input.

#include <cstdint>
#include <string>

#include "LocatedFailure.h"
#include "zentrik/platform/utils/Exception.h"

namespace zcoders {

// Rethrows the failure being handled for its report: a file that cannot be opened, read or written
// as such, any other failure located at `offset` of `file`. Call only inside a catch block.
[[noreturn]] inline void rethrowForReport(const std::string& file, std::uint64_t offset) {
    try {
        throw;
    } catch (const Velmora::UtilsException& failure) {
        const unsigned int number = failure.getNumber();
        if (number >= 8 && number <= 10) rethrowInputOutput(file, "standard output");
        rethrowLocated(file, offset);
    } catch (...) {
        rethrowLocated(file, offset);
    }
}

// What `step` returns; a failure of it is rethrown for its report at `offset` of `file`.
template <typename Step>
auto located(const std::string& file, std::uint64_t offset, Step&& step) -> decltype(step()) {
    try {
        return step();
    } catch (...) {
        rethrowForReport(file, offset);
    }
}

}  // namespace zcoders
