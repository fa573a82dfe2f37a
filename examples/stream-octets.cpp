// stream-octets: writes an OCTET STRING of N MiB as BER with an IOU writer, segment by segment, then
// reads it back piece by piece with an IOU reader, checking every octet; memory stays at one piece.
// Usage: stream-octets [--mib N] [--file PATH]   (default: 4 MiB in stream-octets.ber)
// The file is removed at the end.
#include <sys/resource.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <stdexcept>
#include <string>

#include "zentrik/asn1/BERCoder.h"
#include "zentrik/iou/ASN1IOUObject.h"
#include "zentrik/platform/utils/FileStreams.h"

using namespace Ostrel;
using Velmora::ByteArray;

namespace {

// The octet at `offset`: each 64 KiB block differs from its neighbours, so a lost, repeated or
// misplaced piece shows.
unsigned char pattern(std::uint64_t offset) {
    return static_cast<unsigned char>(offset * 31 + (offset >> 16));
}

std::uint64_t write(const std::string& path, std::uint64_t size) {
    Velmora::FileOutputStream file(path);
    ASN1IOUObject writer(file, ASNTag::OCTET_STRING);  // 24 80: constructed, indefinite length
    std::uint64_t segments = 0;
    ByteArray segment;
    for (std::uint64_t offset = 0; offset < size; offset += segment.size(), ++segments) {
        segment.resize(std::min<std::uint64_t>(64 * 1024, size - offset));
        for (std::size_t i = 0; i < segment.size(); ++i) segment.data()[i] = pattern(offset + i);
        writer.addComponent(ASN1OctetString(segment));  // one primitive segment: 04 83 01 00 00 ...
    }
    writer.endIOU();  // 00 00
    file.flush();
    return segments;
}

// Reads the string back; prints its size, the number of pieces and the largest one.
void read(const std::string& path) {
    Velmora::FileInputStream file(path);
    SmartPointer<ASN1IOUObject> string = BERCoder::decodeIOU(file);
    std::uint64_t offset = 0, pieces = 0, largest = 0;
    while (string->hasData()) {
        const ByteArray piece = string->getData();
        for (std::size_t i = 0; i < piece.size(); ++i)
            if (piece.data()[i] != pattern(offset + i))
                throw std::runtime_error("octet " + std::to_string(offset + i) + " differs");
        offset += piece.size();
        largest = std::max<std::uint64_t>(largest, piece.size());
        ++pieces;
    }
    string->endIOU();
    if (file.hasData()) throw std::runtime_error("octets follow the OCTET STRING");
    std::cout << "read  " << offset << " octets in " << pieces << " pieces of at most " << largest
              << ", every one as written\n";
}

}  // namespace

int main(int argc, char** argv) {
    std::uint64_t mib = 4;
    std::string path = "stream-octets.ber";
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::string(argv[i]) == "--mib")
            mib = std::stoull(argv[i + 1]);
        else if (std::string(argv[i]) == "--file")
            path = argv[i + 1];
        else
            return std::cerr << "usage: stream-octets [--mib N] [--file PATH]\n", 2;
    }
    int status = 0;
    try {
        const std::uint64_t segments = write(path, mib << 20);
        std::cout << "wrote " << (mib << 20) << " octets in " << segments << " segments\n";
        read(path);
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        std::cerr << "peak resident size " << usage.ru_maxrss / 1024 << " MiB\n";
    } catch (const std::exception& e) {
        std::cerr << "stream-octets: " << e.what() << "\n";
        status = 1;
    }
    std::remove(path.c_str());
    return status;
}
