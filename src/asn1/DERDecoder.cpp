// The DER coder's decoding side: the dispatch on the identifier octet and one reader per value family.
#include <memory>

#include "zentrik/asn1/CodingStreams.h"
#include "zentrik/asn1/DERCoder.h"
#include "zentrik/foundation/CoderException.h"
#include "zentrik/foundation/CoderFailures.h"
#include "zentrik/platform/asn1/ASN1Octets.h"

namespace Ostrel {

using Velmora::CoderException;
using Velmora::Exception;
using Velmora::String;
namespace failures = Velmora::failures;

namespace {
[[noreturn]] void malformed(const char* operation, const std::string& message) {
    throw CoderException(Exception::LIB_CODERS, failures::kMalformed, operation, message);
}

// A fresh value of the class makeASN1Object gives for its kind.
template <typename T>
Owned<T> fresh() {
    return Owned<T>(new T());
}

// The value the object library makes for a universal identifier octet.
template <typename T>
Owned<T> made(unsigned char octet) {
    return Owned<T>(static_cast<T*>(ASN1Object::makeASN1Object(static_cast<ASNTag::ASN1_TAG>(octet), 0)));
}

// How a decoded element is named in messages.
std::string nameOf(const ASN1Object& value) {
    octets::Identifier identifier;
    const ByteArray& encoding = value.getDERBytes();
    if (value.getTagValue() == ASNTag::TAGGED && !encoding.isEmpty()) {
        identifier.first = encoding.data()[0];
        identifier.number = value.taggedValue();
    } else {
        identifier.number = static_cast<std::uint32_t>(value.getTagValue()) & 0x1F;
    }
    return octets::elementName(identifier);
}
}  // namespace

void DERCoder::decode(InputStream& in, ASN1Object*& out) const {
    DecodingStream* stream = DecodingStream::of(in);
    if (!stream) [[unlikely]] {  // a call from outside the entry points: the call's state starts here
        DecodingStream through(in);
        decode(through, out);
        return;
    }
    const int first = in.readOctet();
    if (first < 0)
        throw CoderException(Exception::LIB_CODERS, failures::kNoData, failures::kDERDecode,
                             failures::kNoDataMessage);
    const unsigned char octet = static_cast<unsigned char>(first);
    try {
        Nesting nesting(stream->depth, failures::kDERDecode);
        Owned<> value = decodeUniversal(octet, in, failures::kDERDecodeIdentifier);
        if (!value) {
            in.pushBack(octet);
            value = decodeTaggedEncoding(in);
        }
        out = value.release();
    } catch (const Exception& e) {
        out = nullptr;
        throw Exception(e);
    }
}

Owned<> DERCoder::decodeUniversal(unsigned char octet, InputStream& in,
                                  const char* identifierOperation) const {
    // Fills a fresh value through the virtual reader `read`.
    auto run = [this, &in](auto value, auto read) -> Owned<> {
        (this->*read)(value.get(), in);
        return value;
    };
    switch (octet) {
        case ASNTag::BOOLEAN:
            return run(fresh<ASN1Boolean>(), &DERCoder::decodeBoolean);
        case ASNTag::INTEGER:
            return run(fresh<ASN1Integer>(), &DERCoder::decodeInteger);
        case ASNTag::BIT_STRING:
        case ASNTag::CONSTRUCTED_BIT_STRING:
            in.pushBack(octet);
            return run(fresh<ASN1BitString>(), &DERCoder::decodeBitString);
        case ASNTag::OCTET_STRING:
        case ASNTag::CONSTRUCTED_OCTET_STRING:
            in.pushBack(octet);
            return run(fresh<ASN1OctetString>(), &DERCoder::decodeOctetString);
        case ASNTag::ASN1_NULL:
            return run(fresh<ASN1Null>(), &DERCoder::decodeNull);
        case ASNTag::OBJECT_IDENTIFIER:
            return run(fresh<ASN1ObjectIdentifier>(), &DERCoder::decodeObjectIdentifier);
        case ASNTag::ENUMERATED:
            return run(fresh<ASN1Enumerated>(), &DERCoder::decodeEnumerated);
        case ASNTag::SEQUENCE:
        case ASNTag::SET:
            in.pushBack(octet);
            return Owned<>(decodeStructured(in));
        default:
            if (ASN1String::acceptsTag(octet)) return run(made<ASN1String>(octet), &DERCoder::decodeString);
            if (ASN1Time::acceptsTag(octet)) return run(made<ASN1Time>(octet), &DERCoder::decodeTime);
            if (octet & 0x80) return nullptr;
            throw CoderException(
                Exception::LIB_CODERS, failures::kUnsupportedIdentifier,
                String(identifierOperation) + ByteArray(octet).toPrintableString(16, false) + ")", "");
    }
}

Owned<> DERCoder::decodeTaggedEncoding(InputStream& in) {
    // The element as it is kept: the identifier octets as they came (a tag number below 31 may come
    // in the long form, and must stay so), the length octets written again, then the contents read
    // straight behind them.
    ByteArray encoding;
    const unsigned int tag = getTaggedValue(in, encoding);
    const unsigned int length = readLength(in);
    encoding += encodeLength(length);
    appendContents(in, length, encoding, failures::kDERDecode);
    Owned<> value(ASN1Object::makeASN1Object(ASNTag::TAGGED, tag));
    value->setDERBytes(std::move(encoding));
    return value;
}

template <typename Container>
void DERCoder::decodeComponents(InputStream& in, Container* container, const Enclosing& enclosing) const {
    const std::uint64_t contentsStart = in.getCount();
    while (in.getCount() < enclosing.end) {
        if (!in.hasData())
            failures::contentsEnd(enclosing.operation, in.getCount() - contentsStart,
                                  enclosing.end - contentsStart);
        const std::uint64_t offset = in.getCount();
        ASN1Object* decoded = nullptr;
        decode(in, decoded);
        Owned<> component(decoded);
        if (in.getCount() > enclosing.end) overrun(nameOf(*component), offset, in.getCount(), enclosing);
        container->appendComponent(std::unique_ptr<ASN1Object>(component.release()));
    }
}

template void DERCoder::decodeComponents(InputStream&, ASNStructured*, const Enclosing&) const;
template void DERCoder::decodeComponents(InputStream&, ASN1OctetString*, const Enclosing&) const;
template void DERCoder::decodeComponents(InputStream&, ASN1BitString*, const Enclosing&) const;

void DERCoder::overrun(const std::string& name, std::uint64_t offset, std::uint64_t end,
                       const Enclosing& enclosing) {
    failures::overrun(enclosing.operation, "the " + name + " at offset " + std::to_string(offset), end,
                      enclosing.name, enclosing.end);
}

ASN1Boolean* DERCoder::decodeBoolean(ASN1Boolean* value, InputStream& in) const {
    const unsigned int length = readLength(in);
    if (length != 1)
        throw CoderException(Exception::LIB_CODERS, failures::kBadBoolean, failures::kDecodeBoolean,
                             "a BOOLEAN has one contents octet, not " + std::to_string(length));
    const int contents = in.readOctet();
    if (contents < 0) failures::contentsEnd(failures::kDecodeBoolean, 0, 1);
    if (contents == 0xFF)
        value->setValue(true);
    else if (contents == 0x00)
        value->setValue(false);
    else
        throw CoderException(Exception::LIB_CODERS, failures::kBadBoolean, failures::kDecodeBoolean, "");
    return value;
}

ASN1Integer* DERCoder::decodeInteger(ASN1Integer* value, InputStream& in) const {
    const unsigned int length = readLength(in);
    // Kept as octets (empty contents read as 0); the number is built when it is asked for.
    ByteArray held;
    value->setContentOctets(contentsInPlace(in, length, held, failures::kDecodeInteger), length);
    return value;
}

ASN1BitString* DERCoder::decodeBitString(ASN1BitString* value, InputStream& in) const {
    const unsigned char identifier = nextOctet(in);
    if (identifier & 0x20)
        throw CoderException(Exception::LIB_CODERS, failures::kConstructedBitString,
                             failures::kDERDecodeBitString, "");
    const unsigned int length = readLength(in);
    // A bit string always has its unused-bits octet; without it there is nothing to read.
    if (length == 0)
        throw CoderException(Exception::LIB_CODERS, failures::kUnrepresentable, failures::kDERDecodeBitString,
                             "a bit string of length 0 has no unused-bits octet");
    const unsigned char unused = nextOctet(in);
    value->setValue(readContents(in, length - 1, failures::kDERDecodeBitString), unused);
    return value;
}

ASN1OctetString* DERCoder::decodeOctetString(ASN1OctetString* value, InputStream& in) const {
    const unsigned char identifier = nextOctet(in);
    const unsigned int length = readLength(in);
    if (!(identifier & 0x20)) {
        value->setValue(readContents(in, length, failures::kDecodeOctetString));
    } else if (length == 0) {
        value->setValue(ByteArray::emptyArray);
    } else {
        decodeComponents(in, value, {"OCTET STRING", in.getCount() + length, failures::kDecodeOctetString});
    }
    return value;
}

ASN1Null* DERCoder::decodeNull(ASN1Null* value, InputStream& in) const {
    if (nextOctet(in) != 0x00)
        throw CoderException(Exception::LIB_CODERS, failures::kBadNull, failures::kDecodeNull, "");
    return value;
}

ASN1Enumerated* DERCoder::decodeEnumerated(ASN1Enumerated* value, InputStream& in) const {
    const unsigned int length = readLength(in);
    const ByteArray contents = readContents(in, length, failures::kDecodeEnumerated);
    // Two's complement, big-endian; octets beyond four must only repeat the sign.
    if (contents.size() > 4) {
        const unsigned char sign =
            (contents[static_cast<unsigned int>(contents.size() - 4)] & 0x80) ? 0xFF : 0x00;
        for (std::size_t i = 0; i + 4 < contents.size(); ++i)
            if (contents.data()[i] != sign)
                throw CoderException(Exception::LIB_CODERS, failures::kUnrepresentable,
                                     failures::kDecodeEnumerated,
                                     "the enumerated value does not fit in 32 bits");
    }
    value->setValue(contents.toInt());
    return value;
}

ASN1String* DERCoder::decodeString(ASN1String* value, InputStream& in) const {
    const unsigned int length = readLength(in);
    ByteArray held;
    const unsigned char* contents = contentsInPlace(in, length, held, failures::kDecodeString);
    // Kept as octets; the text is built when it is asked for. Octets that are no whole number of
    // characters of the string's kind are refused rather than shortened.
    if (const char* fault = ASN1String::contentOctetsFault(value->getTagValue(), contents, length))
        malformed(failures::kDecodeString, std::string(fault) + " (" + std::to_string(length) + " octets)");
    value->setContentOctets(contents, length);
    return value;
}

ASN1Time* DERCoder::decodeTime(ASN1Time* value, InputStream& in) const {
    const unsigned int length = readLength(in);
    ByteArray held;
    value->setContentOctets(contentsInPlace(in, length, held, failures::kDecodeTime), length);
    return value;
}

ASNStructured* DERCoder::decodeStructured(InputStream& in) const {
    try {
        const unsigned char identifier = nextOctet(in);
        if (identifier != 0x30 && identifier != 0x31)
            throw CoderException(Exception::LIB_GENERAL, failures::kUnsupportedIdentifier,
                                 failures::kDecodeStructured, "");
        Owned<ASNStructured> structure(identifier == 0x30 ? static_cast<ASNStructured*>(new ASN1Sequence())
                                                          : new ASN1Set());
        structure->ignoreComponentRules(true);
        const unsigned int length = readLength(in);
        decodeComponents(
            in, structure.get(),
            {identifier == 0x30 ? "SEQUENCE" : "SET", in.getCount() + length, failures::kDecodeStructured});
        return structure.release();
    } catch (const Exception& e) {
        throw Exception(e);
    }
}

ASN1ObjectIdentifier* DERCoder::decodeObjectIdentifier(ASN1ObjectIdentifier* value, InputStream& in) const {
    const unsigned int length = readLength(in);
    ByteArray held;
    const unsigned char* contents = contentsInPlace(in, length, held, failures::kDecodeOID);
    if (length == 0)
        throw CoderException(Exception::LIB_CODERS, failures::kEmptyObjectIdentifier, failures::kDecodeOID,
                             "");
    // The usual case: complete, minimal octets, kept as they are (the encoder writes them back).
    if (value->setContentOctets(contents, length)) return value;
    switch (ASN1ObjectIdentifier::contentOctetsFault(contents, length)) {
        case octets::Fault::padded:
            malformed(failures::kDecodeOID, "a subidentifier starts with the padding octet 0x80");
        case octets::Fault::ended:
            malformed(failures::kDecodeOID, "the contents end inside a subidentifier");
        default:
            throw CoderException(Exception::LIB_CODERS, failures::kUnrepresentable, failures::kDecodeOID,
                                 "an arc of the object identifier does not fit in 32 bits");
    }
}

}  // namespace Ostrel
