#pragma once
// Test support: what a call threw (a CoderException, a plain Exception, IndexOutOfRange, or nothing),
// kept so that a test can look at its number, library, operation and cause chain; a chain rendered as
// lines, so that a mismatch reads plainly; and the usual expectations on a coder failure.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "zentrik/foundation/CoderException.h"
#include "zentrik/platform/utils/Exception.h"
#include "zentrik/platform/utils/IndexOutOfRange.h"
#include "zentrik/platform/utils/String.h"

namespace zentrik_test {

// How a call ended.
struct Outcome {
    std::optional<Velmora::Exception> error;  // a copy of the Exception thrown, causes included
    bool coderException = false;              // thrown as a CoderException, not as a plain copy
    std::optional<Velmora::IndexOutOfRange> indexOutOfRange;

    bool failed() const { return error.has_value() || indexOutOfRange.has_value(); }
    // Of the Exception thrown: -1 and 0 when none was.
    int library() const { return error ? error->getLibrary() : -1; }
    unsigned int number() const { return error ? error->getNumber() : 0; }
    // The number of the last exception of the cause chain.
    unsigned int innermost() const {
        if (!error) return 0;
        const Velmora::Exception* inner = &*error;
        while (inner->getCause()) inner = inner->getCause();
        return inner->getNumber();
    }
    // Whether the Exception itself (not a cause) carries a message.
    bool hasMessage() const { return error && !error->getMessage().isEmpty(); }
    // what() of whatever was thrown; empty when nothing was.
    std::string text() const {
        if (error) return error->what();
        return indexOutOfRange ? indexOutOfRange->what() : "";
    }
};

inline Outcome outcomeOf(const std::function<void()>& call) {
    Outcome o;
    try {
        call();
    } catch (const Velmora::CoderException& e) {
        o.error.emplace(e);
        o.coderException = true;
    } catch (const Velmora::Exception& e) {
        o.error.emplace(e);
    } catch (const Velmora::IndexOutOfRange& e) {
        o.indexOutOfRange.emplace(e);
    }
    return o;
}

// One link of a failure chain, outermost first; the message "*" stands for any non-empty one.
struct Link {
    unsigned int number;
    const char* operation;
    const char* message = "";
    int library = Velmora::Exception::LIB_CODERS;
};

// A chain as lines "number libN operation: message".
inline std::string render(const Velmora::Exception* e, const std::vector<Link>& pattern) {
    std::string out;
    for (std::size_t i = 0; e != nullptr; e = e->getCause(), ++i) {
        std::string message = e->getMessage().toUTF8();
        if (i < pattern.size() && pattern[i].message == std::string("*") && !message.empty()) message = "*";
        out += std::to_string(e->getNumber()) + " lib" + std::to_string(e->getLibrary()) + " " +
               e->getOperation().toUTF8() + ": " + message + "\n";
    }
    return out;
}
inline std::string render(const std::vector<Link>& chain) {
    std::string out;
    for (const Link& l : chain)
        out += std::to_string(l.number) + " lib" + std::to_string(l.library) + " " + l.operation + ": " +
               l.message + "\n";
    return out;
}

// Expects an Exception whose whole cause chain is `chain`.
inline void expectChain(const Outcome& o, const std::vector<Link>& chain) {
    ASSERT_TRUE(o.error.has_value()) << (o.indexOutOfRange ? "IndexOutOfRange instead" : "no failure");
    EXPECT_EQ(render(&*o.error, chain), render(chain));
}

// Expects `call` to fail with a coder failure numbered `number` (library 3) that says what was wrong.
inline void expectFailure(const std::function<void()>& call, unsigned int number) {
    const Outcome o = outcomeOf(call);
    ASSERT_TRUE(o.failed()) << "no failure, expected number " << number;
    ASSERT_FALSE(o.indexOutOfRange) << "IndexOutOfRange, expected failure number " << number;
    EXPECT_EQ(o.library(), Velmora::Exception::LIB_CODERS) << o.text();
    EXPECT_EQ(o.number(), number) << o.text();
    EXPECT_TRUE(o.hasMessage()) << o.text();
}

// Expects `call` to throw a CoderException (not a plain copy) of library 3 with this number and
// operation text.
inline void expectCoderFailure(const std::function<void()>& call, unsigned int number,
                               const char* operation) {
    const Outcome o = outcomeOf(call);
    ASSERT_TRUE(o.failed()) << "no failure, expected " << number;
    ASSERT_TRUE(o.coderException) << "not a CoderException: " << o.text();
    EXPECT_EQ(o.library(), Velmora::Exception::LIB_CODERS);
    EXPECT_EQ(o.number(), number) << o.text();
    EXPECT_EQ(o.error->getOperation().toUTF8(), operation) << o.text();
}

// The text of every IndexOutOfRange.
inline constexpr const char* kIndexText =
    "T Array::operator[](unsigned int) const - Index greater than Array length.";

// Expects `call` to throw IndexOutOfRange (not a failure made of it) with its usual text.
inline void expectIndexOutOfRange(const std::function<void()>& call) {
    const Outcome o = outcomeOf(call);
    ASSERT_TRUE(o.indexOutOfRange) << (o.failed() ? "instead: " + o.text() : "no exception");
    EXPECT_EQ(o.indexOutOfRange->toString(), Velmora::String(kIndexText));
}

}  // namespace zentrik_test
