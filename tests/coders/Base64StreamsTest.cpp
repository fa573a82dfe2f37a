#include <gtest/gtest.h>

#include <random>
#include <string>

#include "CoderTestSupport.h"
#include "zentrik/coders/Base64Coder.h"
#include "zentrik/coders/Base64InputStream.h"
#include "zentrik/coders/Base64OutputStream.h"
#include "zentrik/platform/utils/Exception.h"

using namespace Velmora;
using coders_test::bytesOf;
using coders_test::ChunkedInputStream;
using coders_test::drain;
using coders_test::randomBytes;
using coders_test::stringOf;

// ---- Base64OutputStream

TEST(Base64OutputStreamTest, FiftySixOctetsWaitTheFiftySeventhWritesALine) {
    std::mt19937 rng(20);
    const ByteArray data = randomBytes(rng, 57);
    ByteArrayOutputStream target;
    Base64OutputStream out(target);
    for (std::size_t i = 0; i < 56; ++i) out << static_cast<char>(data.data()[i]);
    EXPECT_EQ(target.size(), 0u);
    out << static_cast<char>(data.data()[56]);
    EXPECT_EQ(target.getByteArray(), Base64Coder(true).encode(data));
    EXPECT_EQ(target.size(), 78u);
}

TEST(Base64OutputStreamTest, HundredOctetsKeepFortyThreePending) {
    std::mt19937 rng(21);
    const ByteArray data = randomBytes(rng, 100);
    ByteArrayOutputStream target;
    Base64OutputStream out(target);
    out << data;
    ASSERT_EQ(target.size(), 78u);
    EXPECT_EQ(target.getByteArray(), Base64Coder(true).encode(data.subBytes(0, 57)));
    out.flush();
    ASSERT_EQ(target.size(), 78u + 62u);
    const std::string last = stringOf(target.getByteArray()).substr(78);
    EXPECT_EQ(last.substr(58), "==\r\n");
    EXPECT_EQ(target.getByteArray(), Base64Coder(true).encode(data));
    // A second flush has nothing left to write.
    out.flush();
    EXPECT_EQ(target.size(), 140u);
}

TEST(Base64OutputStreamTest, DestructionFlushes) {
    ByteArrayOutputStream target;
    {
        Base64OutputStream out(target);
        out << "M";
        EXPECT_EQ(target.size(), 0u);
    }
    EXPECT_EQ(stringOf(target.getByteArray()), "TQ==\r\n");
}

TEST(Base64OutputStreamTest, EveryWayOfWritingGivesTheCoderText) {
    std::mt19937 rng(22);
    for (std::size_t n : {0u, 1u, 56u, 57u, 58u, 113u, 114u, 300u, 5000u}) {
        const ByteArray data = randomBytes(rng, n);
        ByteArrayOutputStream target;
        {
            Base64OutputStream out(target);
            std::size_t i = 0;
            std::uniform_int_distribution<std::size_t> step(0, 130);
            int way = 0;
            while (i < n) {
                const std::size_t take = std::min(step(rng), n - i);
                switch (way++ % 3) {
                    case 0:
                        out << data.subBytes(i, take);
                        break;
                    case 1:
                        out.write(data.data() + i, take);
                        break;
                    default:
                        for (std::size_t k = 0; k < take; ++k) out << static_cast<char>(data.data()[i + k]);
                }
                i += take;
            }
            out.flush();
        }
        EXPECT_EQ(target.getByteArray(), Base64Coder(true).encode(data)) << n;
    }
}

TEST(Base64OutputStreamTest, EachFlushEndsAText) {
    ByteArrayOutputStream target;
    Base64OutputStream out(target);
    out << "M";
    out.flush();
    out << "Man";
    out.flush();
    EXPECT_EQ(stringOf(target.getByteArray()), "TQ==\r\nTWFu\r\n");
    // A decoder stopping at the first '=' sees only the first text.
    EXPECT_EQ(Base64Coder().decode(target.getByteArray()), ByteArray("M"));
}

TEST(Base64OutputStreamTest, CStringsAreWrittenWithoutTheirZero) {
    ByteArrayOutputStream target;
    {
        Base64OutputStream out(target);
        out << "foobar";
    }
    EXPECT_EQ(stringOf(target.getByteArray()), "Zm9vYmFy\r\n");
}

// A target that refuses a line loses that line only: the stream goes on with what comes after.
TEST(Base64OutputStreamTest, AFailingTargetLosesOnlyTheLineItRefused) {
    class RefusingFirstWrite : public OutputStream {
      public:
        ByteArrayOutputStream kept;

      protected:
        void writeBytes(const unsigned char* bytes, std::size_t count) override {
            if (!refused) {
                refused = true;
                throw UtilsException(1, "RefusingFirstWrite", "refused");
            }
            kept.write(bytes, count);
        }

      private:
        bool refused = false;
    };
    RefusingFirstWrite target;
    Base64OutputStream out(target);
    const std::string first(57, 'a'), second(60, 'b');
    EXPECT_THROW(for (char c : first) out << c, UtilsException);
    for (char c : second) out << c;
    out.flush();
    EXPECT_EQ(target.kept.getByteArray(), Base64Coder(true).encode(bytesOf(second)));
}

// ---- Base64InputStream

TEST(Base64InputStreamTest, ReadsBackWhatTheOutputStreamWrote) {
    std::mt19937 rng(23);
    for (std::size_t n = 0; n <= 300; n += 7) {
        const ByteArray data = randomBytes(rng, n);
        ByteArrayOutputStream target;
        {
            Base64OutputStream out(target);
            out << data;
        }
        ByteArrayInputStream whole(target.getByteArray());
        Base64InputStream in(whole);
        EXPECT_TRUE(drain(in) == data) << n;

        ChunkedInputStream chunks(target.getByteArray(), static_cast<std::uint32_t>(n));
        Base64InputStream chunked(chunks);
        EXPECT_TRUE(drain(chunked) == data) << n;
    }
}

TEST(Base64InputStreamTest, RandomChunkSizesAndLargeData) {
    std::mt19937 rng(24);
    const ByteArray data = randomBytes(rng, 200000);
    const ByteArray text = Base64Coder(true).encode(data);
    const std::pair<std::size_t, std::size_t> sizes[] = {{1, 7}, {1, 100}, {70, 90}, {78, 78}, {1, 5000}};
    for (const auto& [smallest, largest] : sizes) {
        ChunkedInputStream source(text, 7, smallest, largest);
        Base64InputStream in(source);
        EXPECT_TRUE(drain(in) == data) << smallest << ".." << largest;
    }
    ByteArrayInputStream whole(text);
    Base64InputStream in(whole);
    EXPECT_TRUE(drain(in) == data);
}

TEST(Base64InputStreamTest, ReadBlobAndOperatorAgree) {
    std::mt19937 rng(25);
    const ByteArray data = randomBytes(rng, 10000);
    const ByteArray text = Base64Coder(true).encode(data);
    for (std::uint32_t seed = 0; seed < 5; ++seed) {
        ChunkedInputStream source(text, seed, 1, 200);
        Base64InputStream in(source);
        ByteArray got, piece;
        std::uniform_int_distribution<std::size_t> blob(0, 300);
        int turn = 0;
        while (in.hasData()) {
            if (turn++ % 2) {
                piece = in.readBlob(blob(rng));
            } else {
                in >> piece;
            }
            got += piece;
            EXPECT_EQ(in.getCount(), got.size());
        }
        EXPECT_TRUE(got == data) << seed;
        EXPECT_TRUE(in.readBlob(10).isEmpty());
    }
}

TEST(Base64InputStreamTest, ReadOctetWorksThroughTheBase) {
    const ByteArray text("Zm9vYmFy\r\n");
    ByteArrayInputStream source(text);
    Base64InputStream in(source);
    std::string got;
    for (int c; (c = in.readOctet()) >= 0;) got += static_cast<char>(c);
    EXPECT_EQ(got, "foobar");
}

TEST(Base64InputStreamTest, PushedBackOctetsComeOutAsTheyAre) {
    ByteArrayInputStream source(ByteArray("Zm9v\r\n"));
    Base64InputStream in(source);
    in.pushBack(ByteArray("raw!"));
    ByteArray piece;
    in >> piece;
    EXPECT_EQ(piece, ByteArray("raw!"));
    in >> piece;
    EXPECT_EQ(piece, ByteArray("foo"));
    EXPECT_FALSE(in.hasData());
}

TEST(Base64InputStreamTest, SingleOctetReadIsNotSupported) {
    ByteArrayInputStream source(ByteArray("Zm9v\r\n"));
    Base64InputStream in(source);
    unsigned char octet = 0;
    try {
        in >> octet;
        ADD_FAILURE() << "no exception";
    } catch (const UtilsException& e) {
        EXPECT_EQ(e.getNumber(), 31u);
        EXPECT_EQ(e.getOperation(), String("Base64InputStream::operator>>(unsigned char& byte&)"));
        EXPECT_EQ(e.getMessage(), String("NOT IMPLEMENTED"));
    }
    // Nothing was consumed.
    EXPECT_EQ(drain(in), ByteArray("foo"));
}

// The source may end without a final line end: the remaining text is decoded, not dropped.
TEST(Base64InputStreamTest, TextWithoutFinalLineEndIsDecoded) {
    const std::pair<std::string, std::string> cases[] = {
        {"TQ", "M"},
        {"TQ==", "M"},
        {"TWE", "Ma"},
        {"Zm9vYmFy", "foobar"},
        {"Zm9vYmFy\r\nTQ", "foobarM"},
        {"Zm9vYmFy\r\nTWE", "foobarMa"},
        {"T", ""},
    };
    for (const auto& [text, plain] : cases) {
        ByteArrayInputStream whole(bytesOf(text));
        Base64InputStream in(whole);
        EXPECT_EQ(stringOf(drain(in)), plain) << text;
        for (std::uint32_t seed = 0; seed < 4; ++seed) {
            ChunkedInputStream chunks(bytesOf(text), seed);
            Base64InputStream chunked(chunks);
            EXPECT_EQ(stringOf(drain(chunked)), plain) << text;
        }
    }
}

// Text cut into lines by LF alone, or in lines of other lengths, decodes as the whole-text decoder would.
TEST(Base64InputStreamTest, OtherLineFormsDecodeLikeTheWholeText) {
    std::mt19937 rng(26);
    const ByteArray data = randomBytes(rng, 3000);
    const std::string unbroken = stringOf(Base64Coder(false).encode(data));
    for (const auto& form : {std::pair<std::size_t, std::string>{64, "\n"},
                             {76, "\n"},
                             {64, "\r\n"},
                             {75, "\r\n"},
                             {100, "\n"}}) {
        std::string text;
        for (std::size_t i = 0; i < unbroken.size(); i += form.first)
            text += unbroken.substr(i, form.first) + form.second;
        for (std::uint32_t seed = 0; seed < 3; ++seed) {
            ChunkedInputStream chunks(bytesOf(text), seed, 1, 300);
            Base64InputStream in(chunks);
            EXPECT_TRUE(drain(in) == data) << form.first;
        }
        ByteArrayInputStream whole(bytesOf(text));
        Base64InputStream in(whole);
        EXPECT_TRUE(drain(in) == data) << form.first;
    }
}

TEST(Base64InputStreamTest, CopyReadsOnFromTheSameSource) {
    ByteArrayInputStream source(ByteArray("Zm9vYmFy\r\n"));
    Base64InputStream in(source);
    Base64InputStream copy(in);
    EXPECT_EQ(drain(copy), ByteArray("foobar"));
    EXPECT_FALSE(in.hasData());
}

// Without '=' in the text, pieces cut anywhere decode exactly as the whole text does, noise included.
TEST(Base64InputStreamTest, NoisyTextDecodesAsTheWholeText) {
    std::mt19937 rng(27);
    const std::string alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/\r\n\r\n \t*\x80";
    for (std::size_t n : {0u, 1u, 3u, 77u, 78u, 79u, 500u, 5000u}) {
        const ByteArray text = coders_test::randomFrom(rng, n, alphabet);
        const ByteArray expected = Base64Coder().decode(text);
        for (std::uint32_t seed = 0; seed < 4; ++seed) {
            ChunkedInputStream chunks(text, seed, 1, seed % 2 ? 7 : 200);
            Base64InputStream in(chunks);
            EXPECT_TRUE(drain(in) == expected) << n << " " << seed;
        }
    }
}

// Text held in memory is decoded where it lies: reads of every size, small ones included, give what
// the whole-text decoder gives, and the count follows them.
TEST(Base64InputStreamTest, ReadsOfAnySizeFromTextInMemory) {
    std::mt19937 rng(28);
    const ByteArray data = randomBytes(rng, 20000);
    const ByteArray noisy = coders_test::randomFrom(
        rng, 20000, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/\r\n \x80");
    const ByteArray texts[] = {Base64Coder(true).encode(data), Base64Coder(false).encode(data), noisy};
    std::vector<unsigned char> buffer(70000);
    for (const ByteArray& text : texts) {
        const ByteArray expected = Base64Coder().decode(text);
        for (const std::size_t largest : {3u, 60u, 70000u}) {
            std::uniform_int_distribution<std::size_t> size(1, largest);
            ByteArrayInputStream source(text);
            Base64InputStream in(source);
            ByteArray got;
            for (std::size_t n; (n = in.read(buffer.data(), size(rng))) > 0;) got.append(buffer.data(), n);
            EXPECT_TRUE(got == expected) << largest;
            EXPECT_EQ(in.getCount(), got.size());
        }
    }
}
