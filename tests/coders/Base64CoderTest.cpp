#include <gtest/gtest.h>

#include <random>
#include <string>

#include "CoderTestSupport.h"
#include "zentrik/coders/Base64Coder.h"
#include "zentrik/coders/Base64Kernels.h"

using namespace Velmora;
using coders_test::bytesOf;
using coders_test::randomBytes;
using coders_test::stringOf;

namespace {

const std::string kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// A plain bit-by-bit encoder, independent of the library's tables, without line breaks.
std::string referenceEncode(const ByteArray& data) {
    std::string out;
    unsigned bits = 0, held = 0;
    for (unsigned char b : data) {
        held = (held << 8) | b;
        bits += 8;
        while (bits >= 6) {
            bits -= 6;
            out += kAlphabet[(held >> bits) & 63];
        }
    }
    if (bits) out += kAlphabet[(held << (6 - bits)) & 63];
    while (out.size() % 4) out += '=';
    return out;
}

// A plain decoder: the digits up to the first '=', six bits at a time; a partial last octet is dropped.
ByteArray referenceDecode(const ByteArray& text) {
    ByteArray out;
    unsigned bits = 0, held = 0;
    for (unsigned char c : text) {
        if (c == '=') break;
        const std::size_t v = kAlphabet.find(static_cast<char>(c));
        if (c == 0 || v == std::string::npos) continue;
        held = (held << 6) | static_cast<unsigned>(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.append(static_cast<unsigned char>(held >> bits));
            held &= (1u << bits) - 1;
        }
    }
    return out;
}

// The same text cut into lines of 76 characters, each ended by CR LF.
std::string withLineBreaks(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); i += 76) out += text.substr(i, 76) + "\r\n";
    return out;
}

}  // namespace

TEST(Base64CoderTest, RFC4648Vectors) {
    const std::pair<const char*, const char*> vectors[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
    };
    Base64Coder unbroken(false), broken(true);
    for (const auto& [plain, text] : vectors) {
        EXPECT_EQ(stringOf(unbroken.encode(ByteArray(plain))), text) << plain;
        const std::string lines = *text ? std::string(text) + "\r\n" : std::string();
        EXPECT_EQ(stringOf(broken.encode(ByteArray(plain))), lines) << plain;
        EXPECT_EQ(unbroken.decode(ByteArray(text)), ByteArray(plain)) << text;
        EXPECT_EQ(broken.decode(ByteArray(lines.c_str())), ByteArray(plain)) << text;
    }
}

TEST(Base64CoderTest, EmptyInputGivesEmptyOutput) {
    for (bool breakLines : {false, true}) {
        Base64Coder coder(breakLines);
        EXPECT_TRUE(coder.encode(ByteArray()).isEmpty());
        EXPECT_TRUE(coder.decode(ByteArray()).isEmpty());
    }
}

TEST(Base64CoderTest, SingleOctet) {
    EXPECT_EQ(stringOf(Base64Coder(true).encode(ByteArray{0x4D})), "TQ==\r\n");
    EXPECT_EQ(stringOf(Base64Coder(false).encode(ByteArray{0x4D})), "TQ==");
}

TEST(Base64CoderTest, LineLengths) {
    std::mt19937 rng(10);
    Base64Coder coder(true);
    const std::string t57 = stringOf(coder.encode(randomBytes(rng, 57)));
    ASSERT_EQ(t57.size(), 78u);
    EXPECT_EQ(t57.find_first_of("\r\n="), 76u);
    EXPECT_EQ(t57.substr(76), "\r\n");

    const std::string t58 = stringOf(coder.encode(randomBytes(rng, 58)));
    ASSERT_EQ(t58.size(), 76u + 2 + 4 + 2);
    EXPECT_EQ(t58.substr(76, 2), "\r\n");
    EXPECT_EQ(t58.substr(80), "==\r\n");

    // A multiple of 57 gets no extra empty line.
    const std::string t114 = stringOf(coder.encode(randomBytes(rng, 114)));
    EXPECT_EQ(t114.size(), 156u);
    EXPECT_EQ(t114.substr(150), t114.substr(150, 4) + "\r\n");
}

TEST(Base64CoderTest, MatchesAnIndependentEncoderForEveryLength) {
    std::mt19937 rng(11);
    Base64Coder unbroken(false), broken(true);
    for (std::size_t n = 0; n <= 300; ++n) {
        const ByteArray data = randomBytes(rng, n);
        const std::string expected = referenceEncode(data);
        EXPECT_EQ(stringOf(unbroken.encode(data)), expected) << n;
        EXPECT_EQ(stringOf(broken.encode(data)), withLineBreaks(expected)) << n;
        EXPECT_EQ(unbroken.decode(unbroken.encode(data)), data) << n;
        EXPECT_EQ(broken.decode(broken.encode(data)), data) << n;
    }
}

TEST(Base64CoderTest, LargeRoundTrips) {
    std::mt19937 rng(12);
    for (std::size_t n : {std::size_t{1} << 20, (std::size_t{1} << 20) + 1, std::size_t{3000001}}) {
        const ByteArray data = randomBytes(rng, n);
        for (bool breakLines : {false, true}) {
            Base64Coder coder(breakLines);
            const ByteArray text = coder.encode(data);
            EXPECT_EQ(text.size(), (n + 2) / 3 * 4 + (breakLines ? (n + 56) / 57 * 2 : 0));
            EXPECT_EQ(coder.decode(text), data) << n << " " << breakLines;
        }
        EXPECT_EQ(stringOf(Base64Coder(false).encode(data)), referenceEncode(data)) << n;
    }
}

TEST(Base64CoderTest, TolerantDecoding) {
    const std::pair<std::string, ByteArray> cases[] = {
        {"TQ==", ByteArray{0x4D}}, {"TQ", ByteArray{0x4D}},         {"T\r\nQ", ByteArray{0x4D}},
        {"T", ByteArray()},        {"TQ==TWFu", ByteArray{0x4D}},   {"TWFu=TWFu", ByteArray("Man")},
        {"=TWFu", ByteArray()},    {"T\x80Q\xff", ByteArray{0x4D}}, {" T W F u ", ByteArray("Man")},
        {"TWF", ByteArray("Ma")},  {"TWFuT", ByteArray("Man")},     {"!!TW-Fu**", ByteArray("Man")},
    };
    Base64Coder coder;
    for (const auto& [text, plain] : cases) EXPECT_EQ(coder.decode(bytesOf(text)), plain) << text;
}

TEST(Base64CoderTest, SkipsEveryNonAlphabetOctetAnywhere) {
    std::mt19937 rng(13);
    std::string noise;
    for (int c = 0; c < 256; ++c)
        if (kAlphabet.find(static_cast<char>(c)) == std::string::npos && c != '=')
            noise += static_cast<char>(c);
    std::uniform_int_distribution<std::size_t> pickNoise(0, noise.size() - 1);
    std::uniform_int_distribution<int> coin(0, 3);
    Base64Coder coder(false);
    for (std::size_t n = 0; n <= 200; ++n) {
        const ByteArray data = randomBytes(rng, n);
        const std::string text = stringOf(coder.encode(data));
        std::string noisy;
        for (char c : text) {
            while (coin(rng) == 0) noisy += noise[pickNoise(rng)];
            noisy += c;
        }
        EXPECT_EQ(coder.decode(bytesOf(noisy)), data) << n;
    }
}

TEST(Base64CoderTest, CopiesKeepTheSetting) {
    Base64Coder original(false);
    Base64Coder copy(original);
    EXPECT_EQ(stringOf(copy.encode(ByteArray("M"))), "TQ==");
    Base64Coder assigned(true);
    assigned = original;
    EXPECT_EQ(stringOf(assigned.encode(ByteArray("M"))), "TQ==");
    assigned = Base64Coder(true);
    EXPECT_EQ(stringOf(assigned.encode(ByteArray("M"))), "TQ==\r\n");
}

// The vector paths must give exactly what the plain loops give, on text with and without noise.
TEST(Base64CoderTest, VectorAndScalarPathsAgree) {
    std::mt19937 rng(14);
    std::uniform_int_distribution<int> coin(0, 99);
    for (std::size_t n = 0; n <= 2000; n += 1 + n / 8) {
        const ByteArray data = randomBytes(rng, n);
        for (bool breakLines : {false, true}) {
            const std::size_t room = base64::encodedLength(n, breakLines);
            ByteArray a, b;
            a.setLength(base64::encode(data.data(), n, a.prepareAppend(room), breakLines));
            b.setLength(base64::encodeScalar(data.data(), n, b.prepareAppend(room), breakLines));
            ASSERT_EQ(a, b) << n;
            ASSERT_EQ(a.size(), room);

            // Sprinkle noise over the text: stray octets, extra line ends, now and then an early '='.
            ByteArray text;
            for (std::size_t i = 0; i < a.size(); ++i) {
                const int roll = coin(rng);
                if (roll == 0) text.append(static_cast<unsigned char>(rng()));
                if (roll == 1) text += ByteArray("\r\n");
                if (roll == 2 && n % 5 == 0) text.append('=');
                text.append(a.data()[i]);
            }
            for (const ByteArray* t : {&a, &text}) {
                ByteArray x, y;
                x.setLength(
                    base64::decode(t->data(), t->size(), x.prepareAppend(base64::decodeRoom(t->size()))));
                y.setLength(base64::decodeScalar(t->data(), t->size(),
                                                 y.prepareAppend(base64::decodeRoom(t->size()))));
                ASSERT_EQ(x, y) << n;
                ASSERT_EQ(x, referenceDecode(*t)) << n;
                ASSERT_EQ(base64::countDigits(t->data(), t->size()),
                          base64::countDigitsScalar(t->data(), t->size()))
                    << n;
            }
            ASSERT_EQ(base64::countDigits(data.data(), n), base64::countDigitsScalar(data.data(), n)) << n;
        }
    }
}

TEST(Base64CoderTest, PythonPeerDecodesOursAndWeDecodeItsText) {
    if (!coders_test::havePython()) GTEST_SKIP() << "python3 is not available";
    std::mt19937 rng(15);
    std::vector<ByteArray> inputs;
    for (std::size_t n = 0; n <= 300; ++n) inputs.push_back(randomBytes(rng, n));
    inputs.push_back(randomBytes(rng, 100000));

    // Python's encodings: unbroken, and MIME lines of 76 characters ended by LF.
    const auto plain = coders_test::python("    import base64\n    return base64.b64encode(data)", inputs);
    const auto mime = coders_test::python("    import base64\n    return base64.encodebytes(data)", inputs);
    ASSERT_EQ(plain.size(), inputs.size());
    ASSERT_EQ(mime.size(), inputs.size());
    Base64Coder unbroken(false), broken(true);
    std::vector<ByteArray> ours;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        EXPECT_EQ(unbroken.encode(inputs[i]), plain[i]) << i;
        EXPECT_EQ(broken.decode(plain[i]), inputs[i]) << i;
        EXPECT_EQ(broken.decode(mime[i]), inputs[i]) << i;
        ours.push_back(broken.encode(inputs[i]));
    }
    const auto back = coders_test::python(
        "    import base64\n    return base64.b64decode(data.replace(b'\\r\\n', b''), validate=True)", ours);
    ASSERT_EQ(back.size(), inputs.size());
    for (std::size_t i = 0; i < inputs.size(); ++i) EXPECT_EQ(back[i], inputs[i]) << i;
}
