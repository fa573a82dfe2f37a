#pragma once
// Helpers of the hardening tests: octets from hexadecimal, repeated units for deep or long inputs, and
// the failure a call ends in (library and number of the exception, with or without a wrapping cause).
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "zentrik/foundation/CoderException.h"
#include "zentrik/foundation/CoderFailures.h"
#include "zentrik/platform/utils/ByteArray.h"
#include "zentrik/platform/utils/Exception.h"
#include "zentrik/platform/utils/IndexOutOfRange.h"

namespace hardening_test {

using Velmora::ByteArray;
using Velmora::Exception;

inline ByteArray hex(std::string_view text) {
    return ByteArray::fromHex(text);
}

inline ByteArray repeated(const ByteArray& unit, std::size_t times) {
    ByteArray all;
    all.reserve(unit.size() * times);
    for (std::size_t i = 0; i < times; ++i) all += unit;
    return all;
}

// How a call ended.
struct Outcome {
    bool threw = false;
    bool indexOutOfRange = false;
    int library = -1;
    unsigned int number = 0;     // of the exception itself
    unsigned int innermost = 0;  // of the last exception of its cause chain
    bool hasMessage = false;     // the exception itself carries a message
    std::string text;            // what()
};

inline Outcome outcomeOf(const std::function<void()>& call) {
    Outcome o;
    try {
        call();
    } catch (const Exception& e) {
        o.threw = true;
        o.library = e.getLibrary();
        o.number = e.getNumber();
        const Exception* inner = &e;
        while (inner->getCause()) inner = inner->getCause();
        o.innermost = inner->getNumber();
        o.hasMessage = !e.getMessage().isEmpty();
        o.text = e.what();
    } catch (const Velmora::IndexOutOfRange&) {
        o.threw = true;
        o.indexOutOfRange = true;
    }
    return o;
}

// Expects `call` to fail with a coder failure numbered `number` (library 3) that says what was wrong.
inline void expectFailure(const std::function<void()>& call, unsigned int number) {
    const Outcome o = outcomeOf(call);
    ASSERT_TRUE(o.threw) << "no failure, expected number " << number;
    ASSERT_FALSE(o.indexOutOfRange) << "IndexOutOfRange, expected failure number " << number;
    EXPECT_EQ(o.library, Exception::LIB_CODERS) << o.text;
    EXPECT_EQ(o.number, number) << o.text;
    EXPECT_TRUE(o.hasMessage) << o.text;
}

}  // namespace hardening_test
