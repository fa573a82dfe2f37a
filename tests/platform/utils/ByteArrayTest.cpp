#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "zentrik/platform/utils/ByteArray.h"
#include "zentrik/platform/utils/String.h"

using Velmora::ByteArray;
using Velmora::IndexOutOfRange;

TEST(ByteArray, ConstIndexThrowsAndMutableIndexGrows) {
    ByteArray bytes{0x01, 0x02};
    const ByteArray& view = bytes;
    EXPECT_EQ(view[1], 0x02);
    EXPECT_THROW(view[2], IndexOutOfRange);
    try {
        (void)view[5];
    } catch (const IndexOutOfRange& e) {
        EXPECT_EQ(e.toString().toUTF8(),
                  "T Array::operator[](unsigned int) const - Index greater than Array length.");
    }
    bytes[5] = 0x07;  // grows, the gap filled with zeros
    EXPECT_EQ(bytes, (ByteArray{0x01, 0x02, 0x00, 0x00, 0x00, 0x07}));
}

TEST(ByteArray, GrowsPastItsInlineRoomAndKeepsContents) {
    ByteArray bytes;
    std::vector<unsigned char> expected;
    for (int i = 0; i < 1000; ++i) {
        bytes += static_cast<unsigned char>(i * 7);
        expected.push_back(static_cast<unsigned char>(i * 7));
    }
    ASSERT_EQ(bytes.size(), expected.size());
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), expected.begin()));
    EXPECT_EQ(bytes.data()[bytes.size()], 0);  // always followed by a zero octet
    ByteArray moved = std::move(bytes);
    EXPECT_EQ(moved.size(), 1000u);
    EXPECT_TRUE(bytes.isEmpty());
    ByteArray copy = moved;
    EXPECT_EQ(copy, moved);
}

TEST(ByteArray, AppendingItselfDoublesTheContents) {
    ByteArray bytes("abcdefghijklmnopqrstuvwxyz012345");  // 32 octets: past the inline room
    bytes += bytes;
    EXPECT_EQ(bytes.view(), "abcdefghijklmnopqrstuvwxyz012345abcdefghijklmnopqrstuvwxyz012345");
}

TEST(ByteArray, SubBytesAndRightClipToTheContents) {
    const ByteArray bytes("hello");
    EXPECT_EQ(bytes.subBytes(1, 3), ByteArray("ell"));
    EXPECT_EQ(bytes.subBytes(3, 100), ByteArray("lo"));
    EXPECT_TRUE(bytes.subBytes(9, 1).isEmpty());
    EXPECT_EQ(bytes.right(2), ByteArray("llo"));
    EXPECT_TRUE(bytes.right(5).isEmpty());
}

TEST(ByteArray, ToIntReadsBigEndianTwosComplement) {
    struct Case {
        const char* hex;
        int value;
    } cases[] = {{"", 0},
                 {"00", 0},
                 {"7F", 127},
                 {"80", -128},
                 {"00C8", 200},
                 {"FF", -1},
                 {"FF00", -256},
                 {"7FFFFFFF", 2147483647},
                 {"80000000", -2147483647 - 1},
                 {"0000000005", 5},
                 {"FFFFFFFFFF", -1}};
    for (const Case& c : cases) EXPECT_EQ(ByteArray::fromHex(c.hex).toInt(), c.value) << c.hex;
}

TEST(ByteArray, OrdersLikeDerSetComponents) {
    // Octet by octet, unsigned; a prefix sorts first.
    std::vector<ByteArray> items = {ByteArray::fromHex("0201FF"), ByteArray::fromHex("020100"),
                                    ByteArray::fromHex("0101FF"), ByteArray::fromHex("02"),
                                    ByteArray::fromHex("80"),     ByteArray()};
    std::sort(items.begin(), items.end());
    std::vector<std::string> hex;
    for (const ByteArray& b : items) hex.push_back(b.toHex());
    EXPECT_EQ(hex, (std::vector<std::string>{"", "0101ff", "02", "020100", "0201ff", "80"}));
}

TEST(ByteArray, PrintsOctetsInTheAskedBase) {
    EXPECT_EQ(ByteArray(static_cast<unsigned char>(0x2C)).toPrintableString(16, false).toUTF8(), "2C");
    EXPECT_EQ(ByteArray::fromHex("0A FF").toPrintableString(16, true).toUTF8(), "0A FF");
    EXPECT_EQ(ByteArray::fromHex("05").toPrintableString(2, false).toUTF8(), "00000101");
    EXPECT_EQ(ByteArray::fromHex("0aff").toHex(), "0aff");
    EXPECT_ANY_THROW(ByteArray::fromHex("0g"));
    EXPECT_ANY_THROW(ByteArray::fromHex("abc"));
}

TEST(ByteArray, ConstructorsTellCapacityFromOctet) {
    EXPECT_EQ(ByteArray(1024).size(), 0u);
    EXPECT_GE(ByteArray(1024).capacity(), 1024u);
    EXPECT_EQ(ByteArray(static_cast<unsigned char>(0x41)), ByteArray("A"));
    EXPECT_EQ(ByteArray('A'), ByteArray("A"));
    EXPECT_EQ(ByteArray("a\0b", 3).size(), 3u);
    EXPECT_STREQ(static_cast<const char*>(ByteArray("text")), "text");
}
