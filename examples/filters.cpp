// filters: Base64 and quoted-printable over files, through streams that never hold a whole file.
// Usage: filters [DIR]   (default: the current folder; the files it writes there start with "filters-")
#include <cstdint>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "zentrik/coders/Base64InputStream.h"
#include "zentrik/coders/Base64OutputStream.h"
#include "zentrik/coders/QPCoder.h"
#include "zentrik/platform/utils/FileStreams.h"

using namespace Velmora;

namespace {

std::string contentsOf(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Passes everything `from` gives on to `to`, one chunk (at most 64 KiB) at a time.
void copy(InputStream& from, OutputStream& to) {
    ByteArray chunk;
    while (from.hasData()) {
        from >> chunk;
        to << chunk;
    }
}

// Base64 in lines of 76 characters; the encoder's destructor writes the last, shorter line.
void encodeBase64(InputStream& in, OutputStream& out) {
    Base64OutputStream encoder(out);
    copy(in, encoder);
}
void decodeBase64(InputStream& in, OutputStream& out) {
    Base64InputStream decoder(in);
    copy(decoder, out);
}

// Codes the file `original` into `original + suffix`, decodes that into `original + ".back"`, and
// prints the sizes and whether the round trip gave the original back.
template <typename Encode, typename Decode>
bool roundTrip(const char* name, const std::string& original, const char* suffix, Encode encode,
               Decode decode) {
    const std::string encoded = original + suffix, back = original + ".back";
    {
        FileInputStream in(original);
        FileOutputStream out(encoded);
        encode(in, out);
    }
    {
        FileInputStream in(encoded);
        FileOutputStream out(back);
        decode(in, out);
    }
    const bool same = contentsOf(original) == contentsOf(back);
    std::cout << name << ": " << contentsOf(original).size() << " octets -> " << contentsOf(encoded).size()
              << " characters -> " << contentsOf(back).size() << " octets, "
              << (same ? "identical" : "DIFFERENT") << "\n";
    return same;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string dir = std::string(argc > 1 ? argv[1] : ".") + "/filters-";
    const std::string data = dir + "data.bin", letter = dir + "letter.txt";
    try {
        {
            FileOutputStream out(data);  // 100,000 octets of a fixed pseudo-random sequence
            for (std::uint32_t i = 0, x = 1; i < 100000; ++i)
                out << static_cast<char>((x = x * 1103515245 + 12345) >> 24);
        }
        const bool base64Same = roundTrip("base64", data, ".b64", encodeBase64, decodeBase64);
        const std::string text = contentsOf(data + ".b64");
        std::cout << "  first line: " << text.substr(0, text.find('\r')) << "\n";
        std::ofstream(letter, std::ios::binary)
            << "Grüezi Jürg,\n1 kWh = 3.6 MJ; this line is long enough to "
               "need a soft break before its end.\t \nBest regards\n";
        QPCoder coder(false);  // soft line breaks "=\n"
        const bool qpSame = roundTrip(
            "quoted-printable", letter, ".qp",
            [&](InputStream& in, OutputStream& out) { coder.encode(in, out); },
            [&](InputStream& in, OutputStream& out) { coder.decode(in, out); });
        std::cout << contentsOf(letter + ".qp") << "\n";
        return base64Same && qpSame ? 0 : 1;
    } catch (const std::exception& e) {
        std::cerr << "filters: " << e.what() << "\n";
        return 1;
    }
}
