#include "zentrik/coders/Base64Coder.h"

#include "zentrik/coders/Base64Kernels.h"

namespace Velmora {

Base64Coder::~Base64Coder() = default;

void Base64Coder::appendEncoded(const unsigned char* data, std::size_t count, ByteArray& text) const {
    const std::size_t before = text.size();
    unsigned char* room = text.prepareAppend(base64::encodedLength(count, breakLines));
    text.setLength(before + base64::encode(data, count, room, breakLines));
}

const ByteArray Base64Coder::encode(const ByteArray& data) {
    ByteArray text;
    appendEncoded(data.data(), data.size(), text);
    return text;
}

const ByteArray Base64Coder::decode(const ByteArray& text) {
    ByteArray data;
    unsigned char* room = data.prepareAppend(base64::decodeRoom(text.size()));
    data.setLength(base64::decode(text.data(), text.size(), room));
    return data;
}

}  // namespace Velmora
