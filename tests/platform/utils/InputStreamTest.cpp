#include <gtest/gtest.h>

#include "support/ChunkedInputStream.h"
#include "zentrik/platform/utils/Exception.h"
#include "zentrik/platform/utils/InputStream.h"
#include "zentrik/platform/utils/OutputStream.h"

using Velmora::ByteArray;
using Velmora::ByteArrayInputStream;
using Velmora::ByteArrayOutputStream;
using Velmora::InputStream;
using Velmora::UtilsException;

TEST(InputStream, ReadBlobReturnsWhatThereIsAndCountsNetPosition) {
    ByteArrayInputStream in(ByteArray("abcdef"));
    EXPECT_EQ(in.readBlob(2), ByteArray("ab"));
    EXPECT_EQ(in.getCount(), 2u);
    EXPECT_EQ(in.peek(3), ByteArray("cde"));
    EXPECT_EQ(in.getCount(), 2u);  // peeking consumes nothing
    EXPECT_EQ(in.readBlob(100), ByteArray("cdef"));
    EXPECT_EQ(in.getCount(), 6u);
    EXPECT_TRUE(in.readBlob(4).isEmpty());
    EXPECT_FALSE(in.hasData());
}

TEST(InputStream, PushBackRestoresOctetsInOrderBeforeTheSource) {
    ByteArrayInputStream in(ByteArray("wxyz"));
    EXPECT_EQ(in.readBlob(2), ByteArray("wx"));
    in.pushBack(ByteArray("12"));
    in.pushBack(ByteArray("0"));
    in.pushBack(static_cast<unsigned char>('-'));
    EXPECT_EQ(in.getCount(), static_cast<std::uint64_t>(-2));  // net position may go below the start
    EXPECT_TRUE(in.hasBuffer());
    EXPECT_EQ(in.bufferLength(), 4u);
    EXPECT_EQ(in.readBlob(6), ByteArray("-012yz"));
    EXPECT_EQ(in.getCount(), 4u);
}

TEST(InputStream, OneOctetPushBacksStepBackOnlyOverTheSameOctet) {
    ByteArrayInputStream in(ByteArray("ab"));
    EXPECT_EQ(in.readOctet(), 'a');
    in.pushBack(static_cast<unsigned char>('a'));  // the octet just read: the window steps back
    EXPECT_FALSE(in.hasBuffer());
    EXPECT_EQ(in.getCount(), 0u);
    EXPECT_EQ(in.readOctet(), 'a');
    in.pushBack(static_cast<unsigned char>('z'));  // a different octet is buffered, not lost
    EXPECT_TRUE(in.hasBuffer());
    in.pushBack(static_cast<unsigned char>('a'));  // with a buffer pending, it goes in front of it
    EXPECT_EQ(in.readBlob(3), ByteArray("azb"));
    EXPECT_EQ(in.getCount(), 2u);
}

TEST(InputStream, InMemoryCountsPushedBackOctetsAndTheRestOfTheWindow) {
    ByteArrayInputStream in(ByteArray("abcdef"));
    EXPECT_EQ(in.inMemory(), 6u);
    in.readBlob(2);
    in.pushBack(ByteArray("xyz"));
    EXPECT_EQ(in.inMemory(), 7u);
    zentrik_test::ChunkedInputStream trickle(ByteArray("abc"), zentrik_test::fixedChunks(1));
    EXPECT_EQ(trickle.inMemory(), 0u);  // nothing of a source that has to be asked
}

TEST(InputStream, ChunkReadsHandOutPushedBackOctetsFirst) {
    ByteArrayInputStream in(ByteArray("source"));
    in.pushBack(ByteArray("pb"));
    ByteArray chunk;
    in >> chunk;
    EXPECT_EQ(chunk, ByteArray("pb"));
    in >> chunk;
    EXPECT_EQ(chunk, ByteArray("source"));
    in >> chunk;
    EXPECT_TRUE(chunk.isEmpty());
    unsigned char octet;
    EXPECT_THROW(in >> octet, UtilsException);
}

TEST(InputStream, ManySmallPushBacksStayCheap) {
    // Reading two octets and pushing them back over and over is the end-of-contents test's pattern.
    ByteArray data(200000);
    data.resize(200000);
    ByteArrayInputStream in(data);
    for (int i = 0; i < 100000; ++i) {
        ByteArray two = in.readBlob(2);
        in.pushBack(two);
        in.readBlob(2);
    }
    EXPECT_EQ(in.getCount(), 200000u);
}

TEST(InputStream, ReadBlobGathersFromATricklingSource) {
    // Three octets a read, as a pipe or socket would deliver them.
    zentrik_test::ChunkedInputStream in(ByteArray("0123456789"), zentrik_test::fixedChunks(3));
    EXPECT_EQ(in.readBlob(7), ByteArray("0123456"));
    EXPECT_EQ(in.readOctet(), '7');
    EXPECT_EQ(in.skip(5), 2u);
    EXPECT_EQ(in.readOctet(), -1);
}

TEST(InputStream, HugeRequestsDoNotReserveWhatTheyAskFor) {
    ByteArrayInputStream in(ByteArray("tiny"));
    ByteArray got = in.readBlob(0xFFFFFFFFu);
    EXPECT_EQ(got, ByteArray("tiny"));
    EXPECT_LT(got.capacity(), 1u << 20);
}

TEST(InputStream, ByteArrayStreamRewinds) {
    ByteArrayInputStream in(ByteArray("abc"));
    in.readBlob(3);
    in._rewind(2);
    EXPECT_EQ(in.getCount(), 1u);
    EXPECT_EQ(in.readBlob(5), ByteArray("bc"));
}

TEST(OutputStream, ByteArrayStreamCollectsEveryForm) {
    ByteArrayOutputStream out;
    out << 'a' << "bc" << ByteArray::fromHex("00FF");
    out.write("de", 2);
    EXPECT_EQ(out.getByteArray(), ByteArray("abc\0\xFF"
                                            "de",
                                            7));
    ByteArray taken = out.takeByteArray();
    EXPECT_EQ(taken.size(), 7u);
    EXPECT_EQ(out.size(), 0u);
}
