// Cuts one component out of the encoding of a constructed element without decoding it.
#include "zentrik/asn1/CodingStreams.h"
#include "zentrik/asn1/DERCoder.h"
#include "zentrik/foundation/CoderException.h"
#include "zentrik/foundation/CoderFailures.h"
#include "zentrik/platform/asn1/ASN1Octets.h"

namespace Ostrel {

using Velmora::CoderException;
using Velmora::Exception;
namespace failures = Velmora::failures;

namespace {
[[noreturn]] void noData() {
    throw CoderException(Exception::LIB_CODERS, failures::kBadLength, failures::kDERGetLength,
                         failures::kNoLengthMessage);
}
}  // namespace

// Reads identifier octets, appended to `kept`; the element's name in messages.
std::string DERCoder::componentIdentifier(InputStream& in, ByteArray& kept) {
    octets::Identifier identifier;
    auto next = [&in, &kept] {
        const int octet = in.readOctet();
        if (octet >= 0) kept += static_cast<unsigned char>(octet);
        return octet;
    };
    switch (octets::readIdentifier(next, identifier)) {
        case octets::Fault::none:
            return octets::elementName(identifier);
        case octets::Fault::missing:
            noData();
        case octets::Fault::padded:
            throw CoderException(Exception::LIB_CODERS, failures::kMalformed, failures::kDERGetComponent,
                                 "the tag number starts with the padding octet 0x80");
        case octets::Fault::tooLarge:
            throw CoderException(Exception::LIB_CODERS, failures::kUnrepresentable,
                                 failures::kDERGetComponent, "the tag number does not fit in 32 bits");
        default:
            noOctet();
    }
}

const ByteArray DERCoder::getComponent(const ByteArray& octets, unsigned int index) {
    if (octets.isEmpty()) return ByteArray::emptyArray;
    DecodingStream in(octets.data(), octets.size());
    ByteArray outerIdentifier;
    const std::string outerName = componentIdentifier(in, outerIdentifier);
    const std::uint64_t length = getLength(in);
    const Enclosing outer{outerName.c_str(), in.getCount() + length, failures::kDERGetComponent};
    // Components are those inside the element's contents: the walk ends where they end.
    for (unsigned int i = 0;; ++i) {
        if (in.getCount() >= outer.end) noData();
        const std::uint64_t offset = in.getCount();
        ByteArray component;
        const std::string name = componentIdentifier(in, component);
        const unsigned int componentLength = getLength(in);
        if (i == index) {
            component += encodeLength(componentLength);
            appendContents(in, componentLength, component, failures::kDERGetComponent);
        } else if (in.skip(componentLength) < componentLength) {
            throw CoderException(Exception::LIB_CODERS, failures::kTruncated, failures::kDERGetComponent,
                                 "component " + std::to_string(i) + " ends before its length says");
        }
        if (in.getCount() > outer.end) overrun(name, offset, in.getCount(), outer);
        if (i == index) return component;
    }
}

}  // namespace Ostrel
