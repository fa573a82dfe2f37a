#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <type_traits>

#include "zentrik/platform/utils/ByteArray.h"
#include "zentrik/platform/utils/Exception.h"
#include "zentrik/platform/utils/IndexOutOfRange.h"
#include "zentrik/platform/utils/IntArray.h"
#include "zentrik/platform/utils/String.h"

using Velmora::ByteArray;
using Velmora::IndexOutOfRange;
using Velmora::IntArray;
using Velmora::String;

namespace {
const char kText[] = "T Array::operator[](unsigned int) const - Index greater than Array length.";
}

static_assert(!std::is_base_of_v<Velmora::Exception, IndexOutOfRange>, "handlers for Exception& let it pass");
static_assert(std::is_base_of_v<std::out_of_range, IndexOutOfRange>, "handlers for std::exception& catch it");

TEST(IndexOutOfRange, TextIsFixed) {
    EXPECT_STREQ(IndexOutOfRange::text(), kText);
    EXPECT_EQ(IndexOutOfRange().toString(), String(kText));
    EXPECT_EQ(IndexOutOfRange(7, 3).toString(), String(kText));
}

TEST(IndexOutOfRange, ThrownByTheCheckingIndexes) {
    const ByteArray bytes({1, 2, 3});
    try {
        (void)bytes[3];
        ADD_FAILURE() << "no exception";
    } catch (const IndexOutOfRange& e) {
        EXPECT_EQ(e.index(), 3u);
        EXPECT_EQ(e.length(), 3u);
        EXPECT_EQ(e.toString(), String(kText));
    }
    const IntArray ints{4, 5};
    EXPECT_THROW((void)ints[2], IndexOutOfRange);
    EXPECT_EQ(ints[1], 5);
}

TEST(IndexOutOfRange, StandardHandlersCatchItWithTheText) {
    const IntArray ints{4, 5};
    try {
        (void)ints[7];
        ADD_FAILURE() << "no exception";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), kText);
        EXPECT_EQ(dynamic_cast<const IndexOutOfRange&>(e).index(), 7u);
    }
}
