#include <gtest/gtest.h>

#include "zentrik/platform/utils/Exception.h"

using Velmora::Exception;
using Velmora::UtilsException;

TEST(Exception, CopiesKeepEverythingIncludingTheCauseChain) {
    const UtilsException root(31, "Root::op()", "bad thing");
    const Exception middle(Exception::LIB_CODERS, 12, "Middle::op()", root, "");
    const Exception top(Exception::LIB_CODERS, 15, "Top::op()", middle, "outer");
    Exception copy = top;
    ASSERT_NE(copy.getCause(), nullptr);
    ASSERT_NE(copy.getCause()->getCause(), nullptr);
    EXPECT_NE(copy.getCause(), top.getCause());  // an owned copy, not shared
    EXPECT_EQ(copy.getCause()->getCause()->getNumber(), 31u);
    EXPECT_EQ(copy.getCause()->getCause()->getLibrary(), Exception::LIB_UTILS);
    EXPECT_STREQ(copy.what(),
                 "error 15 (Top::op()): outer\ncaused by: error 12 (Middle::op())\n"
                 "caused by: error 31 (Root::op()): bad thing");
    Exception assigned(Exception::LIB_GENERAL, 0, "", "");
    assigned = middle;
    EXPECT_EQ(assigned.getNumber(), 12u);
    EXPECT_EQ(assigned.getOperation().toUTF8(), "Middle::op()");
    EXPECT_EQ(assigned.getCause()->getMessage().toUTF8(), "bad thing");
}

TEST(Exception, IsAStandardException) {
    try {
        throw UtilsException(4, "X::y()", "z");
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "error 4 (X::y()): z");
    }
}
