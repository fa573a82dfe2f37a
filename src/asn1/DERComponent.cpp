// Cuts one component out of the encoding of a constructed element without decoding it.
#include "zentrik/asn1/DERCoder.h"
#include "zentrik/foundation/CoderException.h"
#include "zentrik/foundation/CoderFailures.h"

namespace Ostrel {

using Velmora::ByteArrayInputStream;
using Velmora::CoderException;
using Velmora::Exception;
namespace failures = Velmora::failures;

namespace {
void skipIdentifier(InputStream& in) {
    if (in.readOctet() < 0)
        throw CoderException(Exception::LIB_CODERS, failures::kBadLength, failures::kDERGetLength,
                             failures::kNoLengthMessage);
}
}  // namespace

const ByteArray DERCoder::getComponent(const ByteArray& octets, unsigned int index) {
    if (octets.isEmpty()) return ByteArray::emptyArray;
    ByteArrayInputStream in(octets.data(), octets.size());
    skipIdentifier(in);
    getLength(in);  // the outer length does not bound the walk
    for (unsigned int i = 0; i < index; ++i) {
        skipIdentifier(in);
        const unsigned int length = getLength(in);
        if (in.skip(length) < length)
            throw CoderException(Exception::LIB_CODERS, failures::kTruncated, failures::kDERGetComponent,
                                 "component " + std::to_string(i) + " ends before its length says");
    }
    const int identifier = in.readOctet();
    if (identifier < 0)
        throw CoderException(Exception::LIB_CODERS, failures::kBadLength, failures::kDERGetLength,
                             failures::kNoLengthMessage);
    const unsigned int length = getLength(in);
    ByteArray component(static_cast<unsigned char>(identifier));
    component += encodeLength(length);
    component += readContents(in, length, failures::kDERGetComponent);
    return component;
}

}  // namespace Ostrel
