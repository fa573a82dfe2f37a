#include "zentrik/coders/NullCoder.h"

namespace Velmora {

NullCoder::~NullCoder() = default;

const ByteArray NullCoder::encode(const ByteArray& data) {
    return data;
}

const ByteArray NullCoder::decode(const ByteArray& data) {
    return data;
}

}  // namespace Velmora
