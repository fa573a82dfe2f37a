#pragma once
// Test support: octets written as hexadecimal text (spaces allowed), and a unit repeated for deep or
// long inputs.
#include <cstddef>
#include <string_view>

#include "zentrik/platform/utils/ByteArray.h"

namespace zentrik_test {

inline Velmora::ByteArray hex(std::string_view text) {
    return Velmora::ByteArray::fromHex(text);
}

inline Velmora::ByteArray repeated(const Velmora::ByteArray& unit, std::size_t times) {
    Velmora::ByteArray all;
    all.reserve(unit.size() * times);
    for (std::size_t i = 0; i < times; ++i) all += unit;
    return all;
}

}  // namespace zentrik_test
