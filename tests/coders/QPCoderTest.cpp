#include <gtest/gtest.h>

#include <random>
#include <string>

#include "CoderTestSupport.h"
#include "zentrik/coders/QPCoder.h"

using namespace Velmora;
using coders_test::bytesOf;
using coders_test::ChunkedInputStream;
using coders_test::randomBytes;
using coders_test::randomFrom;
using coders_test::stringOf;

namespace {

const char kHex[] = "0123456789ABCDEF";

// The encoding rules applied octet by octet to the whole input at once.
std::string referenceEncode(const ByteArray& data, bool crlf) {
    std::string out;
    unsigned column = 0;
    const std::size_t n = data.size();
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char b = data.data()[i];
        if (++column >= 74) {
            out += crlf ? "=\r\n" : "=\n";
            column = 0;
        }
        bool plain = b >= 0x21 && b <= 0x7E && b != '=';
        if (b == ' ' || b == '\t') {
            const unsigned char next = i + 1 < n ? data.data()[i + 1] : 0;
            plain = i + 1 < n && next != '\r' && next != '\n' && next != ' ' && next != '\t';
        }
        if (plain) {
            out += static_cast<char>(b);
        } else {
            out += '=';
            out += kHex[b >> 4];
            out += kHex[b & 15];
            column += 2;
        }
    }
    return out;
}

int hexValue(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return 0x7F;
}

// The decoding rules applied to the whole input as one chunk; an unfinished escape at the end stays as it is.
std::string referenceDecode(const std::string& d) {
    std::string out;
    const std::size_t len = d.size();
    std::size_t i = 0;
    while (i < len) {
        if (d[i] == '=' && len - i >= 3) {
            std::size_t j = i + 1;
            while (j < len && d[j] == ' ') ++j;
            if (j == len || (j + 1 == len && d[j] != '\r' && d[j] != '\n')) {
                out += d.substr(i);
                break;
            }
            if (d[j] == '\r' || d[j] == '\n') {
                i = j + 1;
                if (i < len && (d[i] == '\r' || d[i] == '\n')) ++i;
                continue;
            }
            out += static_cast<char>(((hexValue(d[j]) << 4) | hexValue(d[j + 1])) & 0xFF);
            i = j + 2;
            continue;
        }
        if (len - i > 2) {
            out += d[i++];
            continue;
        }
        out += d.substr(i);
        break;
    }
    return out;
}

ByteArray encodeChunked(QPCoder& coder, const ByteArray& data, std::uint32_t seed, std::size_t largest = 7) {
    ChunkedInputStream in(data, seed, 1, largest);
    ByteArrayOutputStream out;
    coder.encode(in, out);
    return out.getByteArray();
}

ByteArray decodeChunked(QPCoder& coder, const ByteArray& text, std::uint32_t seed, std::size_t largest = 7) {
    ChunkedInputStream in(text, seed, 1, largest);
    ByteArrayOutputStream out;
    coder.decode(in, out);
    return out.getByteArray();
}

// Octets that exercise every rule: blanks, line ends, '=' and some of everything else.
ByteArray trickyBytes(std::mt19937& rng, std::size_t n) {
    std::uniform_int_distribution<int> roll(0, 9);
    ByteArray out;
    const std::string special = " \t\r\n=";
    for (std::size_t i = 0; i < n; ++i) {
        const int r = roll(rng);
        if (r < 4)
            out.append(static_cast<unsigned char>(
                special[static_cast<std::size_t>(r + roll(rng)) % special.size()]));
        else if (r < 8)
            out.append(static_cast<unsigned char>('a' + roll(rng)));
        else
            out.append(static_cast<unsigned char>(rng()));
    }
    return out;
}

}  // namespace

TEST(QPCoderTest, EncodingExamples) {
    const std::pair<std::string, std::string> cases[] = {
        {"a=b", "a=3Db"},   {"\xE9", "=E9"},
        {"\r\n", "=0D=0A"}, {"a ", "a=20"},
        {" x", " x"},       {" \r", "=20=0D"},
        {"\t\t", "=09=09"}, {"\tx", "\tx"},
        {" \n", "=20=0A"},  {std::string("\0\x7F", 2), "=00=7F"},
        {"~!", "~!"},       {"", ""},
    };
    QPCoder coder;
    for (const auto& [plain, text] : cases) EXPECT_EQ(stringOf(coder.encode(bytesOf(plain))), text) << text;
}

TEST(QPCoderTest, SoftBreakColumns) {
    QPCoder crlf(true), lf(false);
    const std::string a80 = stringOf(crlf.encode(bytesOf(std::string(80, 'a'))));
    EXPECT_EQ(a80, std::string(73, 'a') + "=\r\n" + std::string(7, 'a'));
    const std::string a200 = stringOf(crlf.encode(bytesOf(std::string(200, 'a'))));
    EXPECT_EQ(a200, std::string(73, 'a') + "=\r\n" + std::string(74, 'a') + "=\r\n" + std::string(53, 'a'));
    EXPECT_EQ(stringOf(lf.encode(bytesOf(std::string(80, 'a')))),
              std::string(73, 'a') + "=\n" + std::string(7, 'a'));
    // An exact line's worth gets no trailing soft break.
    EXPECT_EQ(stringOf(crlf.encode(bytesOf(std::string(73, 'a')))), std::string(73, 'a'));
}

TEST(QPCoderTest, EncodingFollowsTheRulesOctetByOctet) {
    std::mt19937 rng(30);
    for (bool crlfBreaks : {true, false}) {
        QPCoder coder(crlfBreaks);
        for (std::size_t n = 0; n <= 300; ++n) {
            const ByteArray data = n % 2 ? randomBytes(rng, n) : trickyBytes(rng, n);
            const std::string expected = referenceEncode(data, crlfBreaks);
            ASSERT_EQ(stringOf(coder.encode(data)), expected) << n;
            // However the input is divided, the text is the same.
            ASSERT_EQ(stringOf(encodeChunked(coder, data, static_cast<std::uint32_t>(n))), expected) << n;
        }
    }
}

TEST(QPCoderTest, OutputHasOnlySoftBrokenLinesOfBoundedLength) {
    std::mt19937 rng(31);
    QPCoder coder(true);
    for (int round = 0; round < 50; ++round) {
        const ByteArray data = round % 2 ? randomBytes(rng, 2000) : trickyBytes(rng, 2000);
        const std::string text = stringOf(coder.encode(data));
        std::size_t start = 0;
        for (;;) {
            const std::size_t brk = text.find("=\r\n", start);
            const std::string line =
                text.substr(start, brk == std::string::npos ? std::string::npos : brk - start);
            EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
            EXPECT_LE(line.size() + 1, 77u);
            if (brk == std::string::npos) break;
            EXPECT_LT(brk + 3, text.size()) << "ends with a soft break";
            start = brk + 3;
        }
        // Never a blank at the very end.
        EXPECT_NE(text.back(), ' ');
        EXPECT_NE(text.back(), '\t');
    }
}

TEST(QPCoderTest, DecodingExamples) {
    const std::pair<std::string, std::string> cases[] = {
        {"a=3D", "a="},
        {"=41", "A"},
        {"=  41", "A"},
        {"abc=\r\ndef", "abcdef"},
        {"abc=\ndef", "abcdef"},
        {"=\r\n", ""},
        {"=4", "=4"},
        {"=ZZ", "\xFF"},
        {"=4a=4A=e9", "JJ\xE9"},
        {"a\r\nb", "a\r\nb"},
        {"\x80\xFF", "\x80\xFF"},
        {"=", "="},
        {"= ", "= "},
        {"=  ", "=  "},
        {"=\r", "=\r"},
        {"=  4", "=  4"},
        {"=  \r", ""},
        {"=\rx", "x"},
        {"=\n\nx", "x"},
        {"==41",
         "\xF4"
         "1"},
        {"ab", "ab"},
    };
    QPCoder coder;
    for (const auto& [text, plain] : cases) {
        EXPECT_EQ(stringOf(coder.decode(bytesOf(text))), plain) << text;
        EXPECT_EQ(referenceDecode(text), plain) << text;
    }
}

// Escapes, spaces after '=' and soft breaks split anywhere between chunks decode as in one piece.
TEST(QPCoderTest, DecodingDoesNotDependOnChunks) {
    std::mt19937 rng(32);
    QPCoder coder;
    const std::string alphabet = "=  \r\n0123456789abcdefABCDEFxyZ\t";
    for (std::size_t n = 0; n <= 400; ++n) {
        const ByteArray text = randomFrom(rng, n, alphabet);
        const std::string expected = referenceDecode(stringOf(text));
        ASSERT_EQ(stringOf(coder.decode(text)), expected) << stringOf(text);
        for (std::uint32_t seed = 0; seed < 3; ++seed)
            ASSERT_EQ(stringOf(decodeChunked(coder, text, seed)), expected) << stringOf(text);
    }
    // Long runs of spaces after '=' held across many chunks.
    const std::string spaced = "x=" + std::string(5000, ' ') + "41y=" + std::string(3000, ' ');
    EXPECT_EQ(stringOf(decodeChunked(coder, bytesOf(spaced), 1, 50)), referenceDecode(spaced));
    EXPECT_EQ(referenceDecode(spaced), "xAy=" + std::string(3000, ' '));
}

TEST(QPCoderTest, RoundTripsInEveryWay) {
    std::mt19937 rng(33);
    for (bool crlfBreaks : {true, false}) {
        QPCoder coder(crlfBreaks);
        for (std::size_t n = 0; n <= 300; ++n) {
            const ByteArray data = n % 2 ? randomBytes(rng, n) : trickyBytes(rng, n);
            const ByteArray text = encodeChunked(coder, data, static_cast<std::uint32_t>(n));
            ASSERT_EQ(coder.decode(text), data) << n;
            ASSERT_EQ(decodeChunked(coder, text, static_cast<std::uint32_t>(n + 1)), data) << n;
        }
        const ByteArray large = trickyBytes(rng, 300000);
        EXPECT_EQ(coder.decode(coder.encode(large)), large);
        EXPECT_EQ(decodeChunked(coder, encodeChunked(coder, large, 5, 5000), 6, 5000), large);
    }
}

// Both soft break settings encode `data`, whole and in chunks of up to `largestChunk` octets, as the
// rules say.
void expectEncodedByTheRules(const ByteArray& data, std::size_t largestChunk) {
    for (bool crlfBreaks : {true, false}) {
        QPCoder coder(crlfBreaks);
        const std::string expected = referenceEncode(data, crlfBreaks);
        const auto seed = static_cast<std::uint32_t>(data.size());
        ASSERT_EQ(stringOf(coder.encode(data)), expected) << data.size();
        ASSERT_EQ(stringOf(encodeChunked(coder, data, seed, largestChunk)), expected) << data.size();
    }
}

// Mail-like data: long runs that stand for themselves (soft breaks fall inside them), blanks, line ends
// and escapes here and there; and text with sparse '=' in every role, at every offset of a long input.
TEST(QPCoderTest, MostlyPlainDataAndSparseEscapesFollowTheRules) {
    std::mt19937 rng(35);
    const std::string plain = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.,;:!?-";
    const std::string mostlyPlain = plain + plain + plain + "   \t\r\n=\xE9";
    const std::string sparseEscapes = plain + "=  \r\n";
    for (std::size_t n = 0; n <= 700; n += 7) {
        expectEncodedByTheRules(randomFrom(rng, n, mostlyPlain), 200);
        QPCoder coder;
        const ByteArray text = randomFrom(rng, n, sparseEscapes);
        const std::string expected = referenceDecode(stringOf(text));
        ASSERT_EQ(stringOf(coder.decode(text)), expected) << stringOf(text);
        ASSERT_EQ(stringOf(decodeChunked(coder, text, static_cast<std::uint32_t>(n), 200)), expected)
            << stringOf(text);
    }
}

// Text dense with escapes, soft breaks and '=' that are digits of another, so that every kind falls at
// every offset of the blocks the decoder takes at once (and across their ends).
TEST(QPCoderTest, DenseEscapesDecodeByTheRules) {
    std::mt19937 rng(37);
    const std::vector<std::string> pieces = {"=3D", "=e9",    "=G1",  "=\r\n",      "=\n", "=\r\r", "==41",
                                             "=A=", "= \r\n", "=  x", "plain text", "x",   "\r\n",  "\t"};
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    QPCoder coder;
    for (int round = 0; round < 400; ++round) {
        std::string text;
        while (text.size() < static_cast<std::size_t>(round)) text += pieces[pick(rng)];
        ASSERT_EQ(stringOf(coder.decode(bytesOf(text))), referenceDecode(text)) << text;
    }
}

// Inputs that the encoder turns into text in several slices, and that streams hand over in several
// chunks, give the text of the rules at every boundary.
TEST(QPCoderTest, LongInputsFollowTheRules) {
    std::mt19937 rng(36);
    const std::string mailLike = "abcdefghijklmnopqrstuvwxyz ABCDEFGHIJ 0123456789.,; \r\n=\xE9\t";
    for (const std::size_t n : {2047u, 2049u, 6150u, 70001u})
        expectEncodedByTheRules(n % 2 ? randomFrom(rng, n, mailLike) : trickyBytes(rng, n), 3000);
}

TEST(QPCoderTest, CopiesKeepTheSetting) {
    QPCoder lf(false);
    QPCoder copy(lf);
    EXPECT_FALSE(copy.usesCRLFSoftBreaks());
    QPCoder assigned;
    EXPECT_TRUE(assigned.usesCRLFSoftBreaks());
    assigned = lf;
    EXPECT_EQ(stringOf(assigned.encode(bytesOf(std::string(75, 'b')))), std::string(73, 'b') + "=\nbb");
}

TEST(QPCoderTest, PythonPeerDecodesOursAndWeDecodeItsText) {
    if (!coders_test::havePython()) GTEST_SKIP() << "python3 is not available";
    std::mt19937 rng(34);
    std::vector<ByteArray> inputs;
    for (std::size_t n = 0; n <= 300; ++n)
        inputs.push_back(n % 2 ? randomBytes(rng, n) : trickyBytes(rng, n));
    inputs.push_back(trickyBytes(rng, 50000));
    const auto theirs = coders_test::python(
        "    import binascii\n    return binascii.b2a_qp(data, quotetabs=False, istext=False, header=False)",
        inputs);
    ASSERT_EQ(theirs.size(), inputs.size());
    for (bool crlfBreaks : {true, false}) {
        QPCoder coder(crlfBreaks);
        std::vector<ByteArray> ours;
        for (std::size_t i = 0; i < inputs.size(); ++i) {
            EXPECT_EQ(coder.decode(theirs[i]), inputs[i]) << i;
            ours.push_back(coder.encode(inputs[i]));
        }
        const auto back = coders_test::python("    import binascii\n    return binascii.a2b_qp(data)", ours);
        ASSERT_EQ(back.size(), inputs.size());
        for (std::size_t i = 0; i < inputs.size(); ++i) EXPECT_EQ(back[i], inputs[i]) << i;
    }
}
