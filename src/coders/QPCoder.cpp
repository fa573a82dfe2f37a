#include "zentrik/coders/QPCoder.h"

#include <algorithm>
#include <utility>

#include "zentrik/coders/QPDecoder.h"
#include "zentrik/coders/QPEncoder.h"
#include "zentrik/coders/QPKernels.h"

namespace Velmora {

using qp::isBlank;
using qp::QPDecoder;
using qp::QPEncoder;

namespace {

// Moves the next chunk to encode into `chunk`: the one read ahead in `ahead` if any, else a new one
// from `in`. False when the input is exhausted.
bool nextChunk(InputStream& in, ByteArray& chunk, ByteArray& ahead) {
    if (!ahead.isEmpty()) {
        std::swap(chunk, ahead);
        ahead.clear();
        return true;
    }
    if (!in.hasData()) return false;
    in >> chunk;
    return true;
}

// The first octet after `chunk`, read ahead into `ahead` when the chunk ends with a blank (whose
// text depends on it, and must not depend on how the input is divided); -1 when it is not needed
// or the input ends.
int octetAfter(const ByteArray& chunk, InputStream& in, ByteArray& ahead) {
    if (chunk.isEmpty() || !isBlank(chunk.data()[chunk.size() - 1])) return -1;
    while (ahead.isEmpty() && in.hasData()) in >> ahead;
    return ahead.isEmpty() ? -1 : ahead.data()[0];
}

}  // namespace

QPCoder::~QPCoder() = default;

// The array forms run the same encoder and decoder as the stream forms, straight over the caller's
// octets and into the result, without the chunk copies of a stream.
const ByteArray QPCoder::encode(const ByteArray& data) {
    constexpr std::size_t kSlice = InputStream::kChunkSize;  // bounds the room asked for at a time
    QPEncoder encoder(crlfSoftBreaks);
    const unsigned char* p = data.data();
    const std::size_t n = data.size();
    ByteArray text;
    text.reserve(n + n / 4 + 64);
    for (std::size_t at = 0; at < n; at += kSlice) {
        const std::size_t length = std::min(kSlice, n - at);
        const int following = at + length < n ? p[at + length] : -1;
        unsigned char* o = text.prepareAppend(QPEncoder::room(length));
        text.setLength(text.size() + encoder.encodeChunk(p + at, length, following, o));
    }
    return text;
}

const ByteArray QPCoder::decode(const ByteArray& text) {
    QPDecoder decoder;
    ByteArray data;
    unsigned char* o = data.prepareAppend(text.size() + 1);
    data.setLength(decoder.decodeChunk(text.data(), text.size(), o));
    data += decoder.unfinished();
    return data;
}

OutputStream& QPCoder::encode(InputStream& in, OutputStream& out) {
    QPEncoder encoder(crlfSoftBreaks);
    ByteArray chunk, ahead, text;
    while (nextChunk(in, chunk, ahead)) {
        const int following = octetAfter(chunk, in, ahead);
        text.clear();
        unsigned char* o = text.prepareAppend(QPEncoder::room(chunk.size()));
        text.setLength(encoder.encodeChunk(chunk.data(), chunk.size(), following, o));
        if (!text.isEmpty()) out << text;
    }
    return out;
}

OutputStream& QPCoder::decode(InputStream& in, OutputStream& out) {
    QPDecoder decoder;
    ByteArray chunk, text;
    do {
        in >> chunk;
        text.clear();
        unsigned char* o = text.prepareAppend(chunk.size() + 1);
        text.setLength(decoder.decodeChunk(chunk.data(), chunk.size(), o));
        if (!text.isEmpty()) out << text;
    } while (in.hasData());
    const ByteArray rest = decoder.unfinished();
    if (!rest.isEmpty()) out << rest;
    return out;
}

}  // namespace Velmora
