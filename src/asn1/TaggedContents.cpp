// Reads the contents of a tagged element from the encoding an ASN1TaggedValue keeps.
#include "zentrik/asn1/TaggedContents.h"

#include <cstdint>
#include <string>

#include "zentrik/asn1/CodingStreams.h"
#include "zentrik/foundation/CoderException.h"
#include "zentrik/foundation/CoderFailures.h"
#include "zentrik/platform/asn1/ASN1Octets.h"

namespace Ostrel {

using Velmora::CoderException;
using Velmora::Exception;
namespace failures = Velmora::failures;

namespace {

[[noreturn]] void notContents(const char* operation, const std::string& message) {
    throw CoderException(Exception::LIB_CODERS, failures::kNotContents, operation, message);
}

// A tagged element's encoding taken apart: where its length octets and contents start, and how many
// contents octets it has (the end-of-contents octets of the indefinite form left out).
struct Frame {
    octets::Identifier identifier;
    const unsigned char* lengthOctets = nullptr;
    const unsigned char* contents = nullptr;
    std::size_t size = 0;
    const unsigned char* end = nullptr;  // past the last octet, end-of-contents octets included
    std::string name() const { return octets::elementName(identifier); }
};

Frame frameOf(const ASN1TaggedValue& tagged, const char* operation) {
    const ByteArray& der = tagged.getDERBytes();
    if (der.isEmpty())
        throw CoderException(Exception::LIB_CODERS, failures::kNoData, operation, "the tagged value holds no encoding");
    const unsigned char* end = der.data() + der.size();
    octets::MemorySource source(der.data(), end);
    Frame frame;
    frame.end = end;
    std::int64_t length = 0;
    const bool identified = octets::readIdentifier(source, frame.identifier) == octets::Fault::none;
    frame.lengthOctets = source.position();
    if (!identified || octets::readLength(source, INT64_MAX, length) != octets::Fault::none)
        notContents(operation, "the encoding does not start with whole identifier and length octets");
    frame.contents = source.position();
    const auto rest = static_cast<std::size_t>(end - frame.contents);
    if (length == octets::kIndefinite) {
        if (rest < 2 || end[-1] != 0 || end[-2] != 0)
            throw CoderException(Exception::LIB_CODERS, failures::kTruncated, operation,
                                 "the end-of-contents octets of " + frame.name() + " are missing");
        frame.size = rest - 2;
    } else if (static_cast<std::uint64_t>(length) > rest) {
        failures::contentsEnd(operation, rest, static_cast<std::uint64_t>(length));
    } else if (static_cast<std::uint64_t>(length) < rest) {
        notContents(operation, std::to_string(rest - length) + " octets follow the end of " + frame.name());
    } else {
        frame.size = rest;
    }
    return frame;
}

// The low five bits of a universal type's identifier octet; 0 for a tag that names none.
unsigned int universalNumber(ASNTag::ASN1_TAG type) {
    const int number = type & 0x1F;
    const bool plain = type > 0 && type <= 30;
    const bool constructed = type == ASNTag::CONSTRUCTED_BIT_STRING || type == ASNTag::CONSTRUCTED_OCTET_STRING ||
                             type == ASNTag::SEQUENCE || type == ASNTag::SET;
    return (plain || constructed) && octets::universalName(number) ? static_cast<unsigned int>(number) : 0;
}

}  // namespace

SmartPointer<ASN1Object> explicitContents(const ASN1TaggedValue& tagged) {
    const char* operation = failures::kExplicitContents;
    const Frame frame = frameOf(tagged, operation);
    if (!frame.identifier.constructed())
        notContents(operation, frame.name() + " is primitive: it holds no element of its own");
    if (frame.size == 0) notContents(operation, frame.name() + " holds no element");
    DecodingStream in(frame.contents, frame.size);
    SmartPointer<ASN1Object> value = BERCoder::decode(in);
    if (in.getCount() != frame.size)
        notContents(operation, frame.name() + " holds more than one element");
    return value;
}

SmartPointer<ASN1Object> implicitContents(const ASN1TaggedValue& tagged, ASNTag::ASN1_TAG type) {
    const char* operation = failures::kImplicitContents;
    const unsigned int number = universalNumber(type);
    if (number == 0) notContents(operation, "tag " + std::to_string(type) + " is no universal type");
    const Frame frame = frameOf(tagged, operation);
    // The same element with the universal identifier of `type` in place of the tag.
    ByteArray element;
    element += static_cast<unsigned char>(number | (frame.identifier.first & 0x20));
    element.append(frame.lengthOctets, static_cast<std::size_t>(frame.end - frame.lengthOctets));
    try {
        return BERCoder::decode(element);
    } catch (const Exception& e) {
        throw CoderException(Exception::LIB_CODERS, failures::kNotContents, operation, e,
                             "the contents of " + frame.name() + " do not decode as " +
                                 octets::universalName(number));
    }
}

}  // namespace Ostrel
