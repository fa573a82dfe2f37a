// DERCoder::getComponent on untrusted octets with an index from the input. What it returns must be
// one whole element: its identifier octets, minimal length octets and exactly that many contents octets,
// the same contents as stand at that place in the input.
#include "FuzzSupport.h"
#include "zentrik/asn1/DERCoder.h"
#include "zentrik/platform/asn1/ASN1Octets.h"

using namespace zentrik_fuzz;
using Ostrel::DERCoder;
using Velmora::ByteArrayInputStream;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size < 1) return 0;
    // One octet of index most of the time; now and then four, to reach indices far past the data.
    unsigned int index = bytes[0] & 0x3F;
    std::size_t skip = 1;
    if ((bytes[0] & 0xC0) == 0xC0 && size >= 5) {
        index =
            (unsigned(bytes[1]) << 24) | (unsigned(bytes[2]) << 16) | (unsigned(bytes[3]) << 8) | bytes[4];
        skip = 5;
    }
    const ByteArray octets(bytes + skip, size - skip);
    ByteArray component;
    if (!expectFailures([&] { component = DERCoder::getComponent(octets, index); })) return 0;
    if (octets.isEmpty()) {
        require(component.isEmpty(), "getComponent of no octets returned something", octets);
        return 0;
    }
    require(component.size() >= 2, "getComponent returned less than an identifier and a length", octets);
    Ostrel::octets::MemorySource identifierOctets(component.data(), component.data() + component.size());
    Ostrel::octets::Identifier identifier;
    require(Ostrel::octets::readIdentifier(identifierOctets, identifier) == Ostrel::octets::Fault::none,
            "getComponent returned identifier octets that do not read back", component);
    const std::size_t identifierSize =
        static_cast<std::size_t>(identifierOctets.position() - component.data());
    ByteArrayInputStream in(component.data() + identifierSize, component.size() - identifierSize);
    unsigned int length = 0;
    if (!expectFailures([&] { length = DERCoder::getLength(in); }))
        broken("the length octets getComponent wrote do not read back", component);
    const ByteArray lengthOctets =
        component.subBytes(identifierSize, static_cast<std::size_t>(in.getCount()));
    require(lengthOctets == DERCoder::encodeLength(length), "getComponent wrote non-minimal length octets",
            component);
    require(component.size() == identifierSize + lengthOctets.size() + length,
            "getComponent returned contents of another size than its length says", component);
    // The contents are the last `length` octets of the element as it stands in the input.
    const ByteArray contents = component.right(identifierSize + lengthOctets.size());
    require(octets.view().find(contents.view()) != std::string_view::npos,
            "getComponent returned contents that are not in the input", component);
    return 0;
}
