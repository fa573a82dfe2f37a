#include <gtest/gtest.h>
#include <unistd.h>

#include <fcntl.h>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <system_error>

#include "zentrik/platform/utils/Exception.h"
#include "zentrik/platform/utils/FileStreams.h"

using Velmora::ByteArray;
using Velmora::FileInputStream;
using Velmora::FileOutputStream;
using Velmora::UtilsException;

namespace {

// A fresh directory for each test, removed with everything in it afterwards.
class FileStreams : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        directory_ = std::filesystem::temp_directory_path() /
                     ("zentrik-filestreams-" + std::to_string(::getpid()) + "-" + info->name());
        std::filesystem::remove_all(directory_);
        std::filesystem::create_directories(directory_);
    }
    void TearDown() override { std::filesystem::remove_all(directory_); }

    std::string path(const char* name) const { return (directory_ / name).string(); }

    std::filesystem::path directory_;
};

// Octets that do not repeat with any power-of-two period, so misplaced chunks show.
ByteArray pattern(std::size_t size) {
    ByteArray bytes;
    bytes.reserve(size);
    std::uint32_t state = 12345;
    for (std::size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        bytes.append(static_cast<unsigned char>(state >> 23));
    }
    return bytes;
}

std::string readWithIfstream(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

unsigned int failureNumber(const std::function<void()>& action, std::string* message = nullptr) {
    try {
        action();
    } catch (const UtilsException& e) {
        if (message) *message = e.getMessage().toUTF8();
        return e.getNumber();
    }
    return 0;
}

}  // namespace

TEST_F(FileStreams, WrittenOctetsReadBack) {
    const std::string file = path("small");
    {
        FileOutputStream out(file);
        out << 'A' << "bc" << ByteArray({0x00, 0xFF});
        out.write("de", 2);
        out.close();
    }
    EXPECT_EQ(readWithIfstream(file), std::string("Abc\0\xFF"
                                                  "de",
                                                  7));
    FileInputStream in(file);
    EXPECT_EQ(in.size(), 7);
    EXPECT_EQ(in.readBlob(3), ByteArray("Abc"));
    EXPECT_EQ(in.readBlob(100), ByteArray({0x00, 0xFF, 'd', 'e'}));  // fewer at the end
    EXPECT_EQ(in.readBlob(10), ByteArray());
    EXPECT_FALSE(in.hasData());
    EXPECT_EQ(in.getCount(), 7u);
}

TEST_F(FileStreams, LargeFileInChunksOfManySizes) {
    const std::string file = path("large");
    const ByteArray data = pattern(3 * 1024 * 1024 + 17);
    {
        FileOutputStream out(file);
        std::size_t position = 0;
        const std::size_t writes[] = {1, 7, 65535, 65536, 65537, 200000, 3, 1 << 20};
        for (std::size_t i = 0; position < data.size(); ++i) {
            const std::size_t n = std::min(writes[i % std::size(writes)], data.size() - position);
            out.write(data.data() + position, n);
            position += n;
        }
    }  // the destructor flushes
    ASSERT_EQ(std::filesystem::file_size(file), data.size());

    FileInputStream in(file);
    EXPECT_EQ(in.size(), static_cast<long long>(data.size()));
    ByteArray back;
    const std::size_t reads[] = {1, 65536, 5, 100000, 65535, 2 << 20, 13};
    for (std::size_t i = 0; in.hasData(); ++i) {
        const ByteArray chunk = in.readBlob(reads[i % std::size(reads)]);
        ASSERT_FALSE(chunk.isEmpty());
        back += chunk;
    }
    EXPECT_EQ(back.size(), data.size());
    EXPECT_TRUE(back == data);
    EXPECT_EQ(in.getCount(), data.size());
}

TEST_F(FileStreams, ChunksAndPushBackWorkOnFiles) {
    const std::string file = path("chunks");
    const ByteArray data = pattern(150000);
    {
        FileOutputStream out(file);
        out << data;
    }
    FileInputStream in(file);
    ByteArray chunk;
    in >> chunk;
    ASSERT_FALSE(chunk.isEmpty());
    ASSERT_LE(chunk.size(), FileInputStream::kChunkSize);
    EXPECT_EQ(chunk, data.subBytes(0, chunk.size()));
    in.pushBack(chunk.subBytes(chunk.size() - 10, 10));
    EXPECT_EQ(in.getCount(), chunk.size() - 10);
    ByteArray rest = in.readBlob(data.size());
    EXPECT_EQ(rest, data.right(chunk.size() - 10));
    unsigned char octet;
    EXPECT_THROW(in >> octet, UtilsException);
}

TEST_F(FileStreams, FailuresCarryTheSystemText) {
    std::string message;
    EXPECT_EQ(failureNumber([&] { FileInputStream in(path("missing")); }, &message), 8u);
    EXPECT_NE(message.find(std::generic_category().message(ENOENT)), std::string::npos) << message;

    EXPECT_EQ(failureNumber([&] { FileOutputStream out(path("no/such/dir")); }, &message), 8u);
    EXPECT_NE(message.find(std::generic_category().message(ENOENT)), std::string::npos) << message;

    FileInputStream directory(directory_.string());
    EXPECT_EQ(failureNumber([&] { directory.readBlob(1); }, &message), 9u);
    EXPECT_NE(message.find(std::generic_category().message(EISDIR)), std::string::npos) << message;
    EXPECT_EQ(directory.size(), -1);

    FileOutputStream closed(path("closed"));
    closed.close();
    EXPECT_EQ(failureNumber([&] { closed << 'x'; }), 10u);
}

TEST_F(FileStreams, FullDeviceReportsTheWriteFailure) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    std::string message;
    FileOutputStream out("/dev/full");
    out << "some octets";
    EXPECT_EQ(failureNumber([&] { out.flush(); }, &message), 10u);
    EXPECT_NE(message.find(std::generic_category().message(ENOSPC)), std::string::npos) << message;
    const ByteArray large = pattern(100000);
    EXPECT_EQ(failureNumber([&] { out << large; }), 10u);  // too large for the buffer: written at once
}

TEST_F(FileStreams, SizeOfSomethingElseThanAFileIsMinusOne) {
    FileInputStream devNull("/dev/null");
    EXPECT_EQ(devNull.size(), -1);
    EXPECT_FALSE(devNull.hasData());
    EXPECT_EQ(devNull.readBlob(5), ByteArray());
}

TEST_F(FileStreams, MovedStreamsKeepTheirFile) {
    const std::string file = path("moved");
    {
        FileOutputStream first(file);
        first << "abc";
        FileOutputStream second(std::move(first));
        second << "def";
    }
    FileInputStream first(file);
    EXPECT_EQ(first.readBlob(2), ByteArray("ab"));
    FileInputStream second(std::move(first));
    EXPECT_EQ(second.readBlob(10), ByteArray("cdef"));
    EXPECT_FALSE(first.hasData());
}

TEST_F(FileStreams, StandardStreamsAreNotClosed) {
    {
        FileOutputStream out = FileOutputStream::standardOutput();
        out.close();
        FileInputStream in = FileInputStream::standardInput();
        in.close();
    }
    // Descriptors 0 and 1 are still open.
    EXPECT_NE(::fcntl(0, F_GETFD), -1);
    EXPECT_NE(::fcntl(1, F_GETFD), -1);
}
