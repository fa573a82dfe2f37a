// Interoperability of the byte coders with Python's standard modules, at test time (skipped without
// python3): the Base64 streams against base64 (MIME lines ended by LF or by CR LF, read in small chunks),
// quoted-printable against quopri (tabs and spaces quoted, header mode off), and queries of several
// fields against urllib.parse, both ways.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "hardening/HardeningSupport.h"
#include "support/ChunkedInputStream.h"
#include "support/Peers.h"
#include "zentrik/coders/Base64InputStream.h"
#include "zentrik/coders/Base64OutputStream.h"
#include "zentrik/coders/QPCoder.h"
#include "zentrik/coders/URLCoder.h"

namespace hardening_test {
namespace {

using Velmora::Base64InputStream;
using Velmora::Base64OutputStream;
using Velmora::ByteArrayInputStream;
using Velmora::ByteArrayOutputStream;
using Velmora::InputStream;
using Velmora::QPCoder;
using Velmora::String;
using Velmora::URLCoder;
using Velmora::URLNameValueField;
using Velmora::URLNameValues;
using zentrik_test::havePython, zentrik_test::python;

std::vector<ByteArray> samples(std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<ByteArray> out;
    const std::string text = "The quick brown fox =\t jumps\r\nover the lazy dog.\n";
    for (std::size_t n : {0, 1, 2, 3, 56, 57, 58, 75, 76, 77, 100, 171, 1000, 4097, 65536 + 3}) {
        ByteArray random, words;
        for (std::size_t i = 0; i < n; ++i) {
            random.append(static_cast<unsigned char>(rng()));
            words.append(static_cast<unsigned char>(rng() % 9 == 0 ? rng() : text[i % text.size()]));
        }
        out.push_back(random);
        out.push_back(words);
    }
    return out;
}

ByteArray readBase64Stream(const ByteArray& text) {
    // Chunks of 1 to 13 octets.
    zentrik_test::ChunkedInputStream source(text,
                                            [k = std::size_t{0}]() mutable { return 1 + (k++ * 7) % 13; });
    Base64InputStream in(source);
    ByteArray all, piece;
    while (in.hasData()) {
        in >> piece;
        all += piece;
    }
    return all;
}

ByteArray writeBase64Stream(const ByteArray& data) {
    ByteArrayOutputStream target;
    {
        Base64OutputStream out(target);
        for (std::size_t at = 0; at < data.size(); at += 100) out << data.subBytes(at, 100);
    }
    return target.takeByteArray();
}

TEST(PythonPeerTest, Base64StreamsAndPythonBase64ReadEachOther) {
    if (!havePython()) GTEST_SKIP() << "python3 is not available";
    const std::vector<ByteArray> inputs = samples(91);
    const auto lf = python("    import base64\n    return base64.encodebytes(data)", inputs);
    const auto crlf = python(
        "    import base64, textwrap\n    t = base64.b64encode(data).decode()\n"
        "    return ''.join(l + '\\r\\n' for l in textwrap.wrap(t, 76)).encode()",
        inputs);
    std::vector<ByteArray> ours;
    for (const ByteArray& data : inputs) ours.push_back(writeBase64Stream(data));
    const auto back = python(
        "    import base64, binascii\n"
        "    lines = data.split(b'\\r\\n')\n"
        "    assert lines[-1] == b'' and all(0 < len(l) <= 76 for l in lines[:-1]), 'lines of 76 ended by CR "
        "LF'\n"
        "    return base64.b64decode(b''.join(lines), validate=True)",
        ours);
    ASSERT_EQ(lf.size(), inputs.size());
    ASSERT_EQ(crlf.size(), inputs.size());
    ASSERT_EQ(back.size(), inputs.size());
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        SCOPED_TRACE("input " + std::to_string(i) + " of " + std::to_string(inputs[i].size()) + " octets");
        EXPECT_TRUE(readBase64Stream(lf[i]) == inputs[i])
            << "Python's MIME lines (LF) through Base64InputStream";
        EXPECT_TRUE(readBase64Stream(crlf[i]) == inputs[i]) << "Python's text in CR LF lines";
        EXPECT_EQ(ours[i], crlf[i]) << "Base64OutputStream writes what Python wraps";
        EXPECT_TRUE(back[i] == inputs[i]) << "Python reads Base64OutputStream's text";
    }
}

TEST(PythonPeerTest, QuotedPrintableAndPythonQuopriReadEachOther) {
    if (!havePython()) GTEST_SKIP() << "python3 is not available";
    // quopri reads its input as lines and writes a CR LF line end as LF, so CR is left out of the data.
    std::vector<ByteArray> inputs;
    for (const ByteArray& sample : samples(17)) {
        ByteArray withoutCR;
        for (unsigned char c : sample)
            if (c != '\r') withoutCR.append(c);
        inputs.push_back(withoutCR);
    }
    for (bool quotetabs : {true, false}) {
        SCOPED_TRACE(quotetabs ? "quotetabs" : "tabs plain");
        const auto theirs =
            python(std::string("    import quopri\n    return quopri.encodestring(data, quotetabs=") +
                       (quotetabs ? "True" : "False") + ", header=False)",
                   inputs);
        ASSERT_EQ(theirs.size(), inputs.size());
        for (bool crlf : {true, false}) {
            QPCoder coder(crlf);
            std::vector<ByteArray> ours;
            for (std::size_t i = 0; i < inputs.size(); ++i) {
                SCOPED_TRACE("input " + std::to_string(i));
                EXPECT_TRUE(coder.decode(theirs[i]) == inputs[i]) << "we read quopri's text";
                ours.push_back(coder.encode(inputs[i]));
            }
            const auto back = python("    import quopri\n    return quopri.decodestring(data)", ours);
            ASSERT_EQ(back.size(), inputs.size());
            for (std::size_t i = 0; i < inputs.size(); ++i)
                EXPECT_TRUE(back[i] == inputs[i]) << "quopri reads our text, input " << i;
        }
    }
}

TEST(PythonPeerTest, QueriesOfSeveralFieldsTravelBothWays) {
    if (!havePython()) GTEST_SKIP() << "python3 is not available";
    std::mt19937 rng(5);
    // Each row: fields as Latin-1 octets, name 0x01 value, fields separated by 0x00.
    std::vector<ByteArray> rows;
    std::vector<URLNameValues> expected;
    for (int r = 0; r < 60; ++r) {
        ByteArray row;
        URLNameValues fields;
        const int count = 1 + static_cast<int>(rng() % 6);
        for (int f = 0; f < count; ++f) {
            auto piece = [&](bool name) {
                ByteArray p;
                const std::size_t n = 1 + rng() % 12;
                while (p.size() < n) {
                    const unsigned char c =
                        static_cast<unsigned char>(rng() % 3 ? 'a' + rng() % 26 : rng() % 256);
                    const bool first = p.isEmpty();
                    if (c < 2 || (name && c == '=') ||
                        (first && (c == ' ' || c == '\t' || c == '\r' || c == '\n')))
                        continue;
                    if (p.size() + 1 == n && (c == '\r' || c == '\n')) continue;
                    p.append(c);
                }
                return p;
            };
            const ByteArray name = piece(true), value = piece(false);
            if (f > 0) row.append(0);
            row += name;
            row.append(1);
            row += value;
            fields.addURLNameValueField(
                URLNameValueField(String::fromASCIIByteArray(name), String::fromASCIIByteArray(value)));
        }
        rows.push_back(row);
        expected.push_back(fields);
    }
    const auto theirs = python(
        "    from urllib.parse import urlencode, quote_plus\n"
        "    pairs = [f.split(b'\\x01', 1) for f in data.split(b'\\x00')]\n"
        "    q = lambda s: quote_plus(s, safe='').replace('.', '%2E').replace('~', '%7E')\n"
        "    return urlencode([(n, v) for n, v in pairs], quote_via=lambda s, *a: q(s)).encode()",
        rows);
    ASSERT_EQ(theirs.size(), rows.size());
    URLCoder coder;
    std::vector<ByteArray> ours;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        EXPECT_EQ(coder.decode(String::fromASCIIByteArray(theirs[i])), expected[i])
            << "we parse urlencode's query";
        ours.push_back(coder.encode(expected[i]).toASCIIByteArray());
    }
    const auto back = python(
        "    from urllib.parse import parse_qsl\n"
        "    pairs = parse_qsl(data.decode('ascii'), keep_blank_values=True, strict_parsing=True, "
        "encoding='latin-1')\n"
        "    return b'\\x00'.join(n.encode('latin-1') + b'\\x01' + v.encode('latin-1') for n, v in pairs)",
        ours);
    ASSERT_EQ(back.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_TRUE(back[i] == rows[i]) << "parse_qsl reads row " << i;
}

}  // namespace
}  // namespace hardening_test
