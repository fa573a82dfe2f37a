// The DER coder's decoding side: the dispatch on the identifier octet and one reader per value family.
#include <memory>

#include "zentrik/asn1/DERCoder.h"
#include "zentrik/foundation/CoderException.h"
#include "zentrik/foundation/CoderFailures.h"
#include "zentrik/platform/utils/UTF8String.h"

namespace Ostrel {

using Velmora::BigNumber;
using Velmora::CoderException;
using Velmora::Exception;
using Velmora::IntArray;
using Velmora::String;
using Velmora::UTF8String;
namespace failures = Velmora::failures;

namespace {
// Decodes one component or segment and appends it to `container`, which owns it from then on.
template <typename Container>
void appendDecoded(Container* container, ASN1Object* component) {
    std::unique_ptr<ASN1Object, void (*)(ASN1Object*)> owned(component, &ASN1Object::deleteObject);
    container->appendComponent(owned.get(), 0);
    owned.release();
}

CoderException truncatedStructure(const char* operation, std::uint64_t consumed, std::uint64_t length) {
    return CoderException(Velmora::Exception::LIB_CODERS, failures::kTruncated, operation,
                          "the contents end after " + std::to_string(consumed) + " of " + std::to_string(length) +
                              " octets");
}

constexpr const char* kDecodeInteger = "DERCoder::decodeInteger(ASN1Integer *, InputStream&)";
constexpr const char* kDecodeOctetString = "DERCoder::decodeOctetString(ASN1OctetString *, InputStream&)";
constexpr const char* kDecodeEnumerated = "DERCoder::decodeEnumerated(ASN1Enumerated *, InputStream&)";
constexpr const char* kDecodeString = "DERCoder::decodeString(ASN1String *, InputStream&)";
constexpr const char* kDecodeTime = "DERCoder::decodeTime(ASN1Time *, InputStream&)";
}  // namespace

void DERCoder::decode(InputStream& in, ASN1Object*& out) const {
    const int first = in.readOctet();
    if (first < 0)
        throw CoderException(Exception::LIB_CODERS, failures::kNoData, failures::kDERDecode, failures::kNoDataMessage);
    const unsigned char octet = static_cast<unsigned char>(first);
    ASN1Object* value = nullptr;
    try {
        Nesting nesting(*this, failures::kDERDecode);
        auto make = [&value](ASNTag::ASN1_TAG tag) {
            value = ASN1Object::makeASN1Object(tag, 0);
            return value;
        };
        switch (octet) {
            case 0x01: out = decodeBoolean(static_cast<ASN1Boolean*>(make(ASNTag::BOOLEAN)), in); break;
            case 0x02: out = decodeInteger(static_cast<ASN1Integer*>(make(ASNTag::INTEGER)), in); break;
            case 0x03:
            case 0x23:
                in.pushBack(octet);
                out = decodeBitString(static_cast<ASN1BitString*>(make(ASNTag::BIT_STRING)), in);
                break;
            case 0x04:
            case 0x24:
                in.pushBack(octet);
                out = decodeOctetString(static_cast<ASN1OctetString*>(make(ASNTag::OCTET_STRING)), in);
                break;
            case 0x05: out = decodeNull(static_cast<ASN1Null*>(make(ASNTag::ASN1_NULL)), in); break;
            case 0x06:
                out = decodeObjectIdentifier(static_cast<ASN1ObjectIdentifier*>(make(ASNTag::OBJECT_IDENTIFIER)), in);
                break;
            case 0x0A: out = decodeEnumerated(static_cast<ASN1Enumerated*>(make(ASNTag::ENUMERATED)), in); break;
            case 0x0C:
            case 0x12:
            case 0x13:
            case 0x14:
            case 0x16:
            case 0x1A:
            case 0x1C:
            case 0x1E:
                out = decodeString(static_cast<ASN1String*>(make(static_cast<ASNTag::ASN1_TAG>(octet))), in);
                break;
            case 0x17:
            case 0x18: out = decodeTime(static_cast<ASN1Time*>(make(static_cast<ASNTag::ASN1_TAG>(octet))), in); break;
            case 0x30:
            case 0x31:
                in.pushBack(octet);
                out = decodeStructured(in);
                break;
            default:
                if (!(octet & 0x80))
                    throw CoderException(Exception::LIB_CODERS, failures::kUnsupportedIdentifier,
                                         String(failures::kDERDecodeIdentifier) +
                                             ByteArray(octet).toPrintableString(16, false) + ")",
                                         "");
                in.pushBack(octet);
                const unsigned int tag = getTaggedValue(in);
                const unsigned int length = getLength(in);
                ByteArray encoding(1024);
                encoding += encodeTagClassValue(0, tag);
                encoding += encodeLength(length);
                encoding += readContents(in, length, failures::kDERDecode);
                // Class and constructed bits as read; the tag number in its shortest form.
                encoding[0] = static_cast<unsigned char>((octet & 0xE0) | (encoding[0u] & 0x1F));
                value = ASN1Object::makeASN1Object(ASNTag::TAGGED, tag);
                value->setDERBytes(encoding);
                out = value;
        }
    } catch (const Exception& e) {
        ASN1Object::deleteObject(value);
        out = nullptr;
        throw Exception(e);
    } catch (const Velmora::IndexOutOfRange&) {  // passes unchanged, but not with the value it leaves behind
        ASN1Object::deleteObject(value);
        out = nullptr;
        throw;
    }
}

ASN1Boolean* DERCoder::decodeBoolean(ASN1Boolean* value, InputStream& in) const {
    const ByteArray octets = in.readBlob(2);  // the length octet, not examined, and the contents octet
    const unsigned char contents = octets[1];
    if (contents == 0xFF)
        value->setValue(true);
    else if (contents == 0x00)
        value->setValue(false);
    else
        throw CoderException(Exception::LIB_CODERS, failures::kBadBoolean, failures::kDecodeBoolean, "");
    return value;
}

ASN1Integer* DERCoder::decodeInteger(ASN1Integer* value, InputStream& in) const {
    const unsigned int length = getLength(in);
    ByteArray contents = readContents(in, length, kDecodeInteger);
    const bool negative = contents[0u] & 0x80;  // growing index: empty contents read as 00
    const std::size_t n = contents.size();
    for (std::size_t i = 0; i < n / 2; ++i) std::swap(contents.data()[i], contents.data()[n - 1 - i]);
    const BigNumber number(contents, false);
    value->setValue(negative ? number.twosComplement() : number);
    return value;
}

ASN1BitString* DERCoder::decodeBitString(ASN1BitString* value, InputStream& in) const {
    const unsigned char identifier = nextOctet(in);
    if (identifier & 0x20)
        throw CoderException(Exception::LIB_CODERS, failures::kConstructedBitString, failures::kDERDecodeBitString, "");
    const unsigned int length = getLength(in);
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
    const unsigned int length = getLength(in);
    if (!(identifier & 0x20)) {
        value->setValue(readContents(in, length, kDecodeOctetString));
    } else if (length == 0) {
        value->setValue(ByteArray::emptyArray);
    } else {
        const std::uint64_t start = in.getCount();
        while (in.getCount() - start < length) {
            if (!in.hasData()) throw truncatedStructure(kDecodeOctetString, in.getCount() - start, length);
            ASN1Object* segment = nullptr;
            decode(in, segment);
            appendDecoded(value, segment);
        }
    }
    return value;
}

ASN1Null* DERCoder::decodeNull(ASN1Null* value, InputStream& in) const {
    if (nextOctet(in) != 0x00)
        throw CoderException(Exception::LIB_CODERS, failures::kBadNull, failures::kDecodeNull, "");
    return value;
}

ASN1Enumerated* DERCoder::decodeEnumerated(ASN1Enumerated* value, InputStream& in) const {
    const unsigned int length = getLength(in);
    const ByteArray contents = readContents(in, length, kDecodeEnumerated);
    // Two's complement, big-endian; octets beyond four must only repeat the sign.
    if (contents.size() > 4) {
        const unsigned char sign = (contents[static_cast<unsigned int>(contents.size() - 4)] & 0x80) ? 0xFF : 0x00;
        for (std::size_t i = 0; i + 4 < contents.size(); ++i)
            if (contents.data()[i] != sign)
                throw CoderException(Exception::LIB_CODERS, failures::kUnrepresentable, kDecodeEnumerated,
                                     "the enumerated value does not fit in 32 bits");
    }
    value->setValue(contents.toInt());
    return value;
}

ASN1String* DERCoder::decodeString(ASN1String* value, InputStream& in) const {
    const unsigned int length = getLength(in);
    const ByteArray contents = readContents(in, length, kDecodeString);
    const int kind = value->getStringType();
    if (kind == 4 || kind == 7) {
        value->setValue(String::fromUCS2ByteArray(contents));
        value->setEncodedValue(contents);
    } else if (kind == 6) {
        value->setValue(UTF8String(contents).toString(0x3F));
        value->setEncodedValue(contents);
    } else {
        value->setValue(String::fromASCIIByteArray(contents));
    }
    return value;
}

ASN1Time* DERCoder::decodeTime(ASN1Time* value, InputStream& in) const {
    const unsigned int length = getLength(in);
    value->setValue(String::fromASCIIByteArray(readContents(in, length, kDecodeTime)));
    return value;
}

ASNStructured* DERCoder::decodeStructured(InputStream& in) const {
    ASNStructured* structure = nullptr;
    try {
        const unsigned char identifier = nextOctet(in);
        if (identifier == 0x30)
            structure = static_cast<ASNStructured*>(ASN1Object::makeASN1Object(ASNTag::SEQUENCE, 0));
        else if (identifier == 0x31)
            structure = static_cast<ASNStructured*>(ASN1Object::makeASN1Object(ASNTag::SET, 0));
        else
            throw CoderException(Exception::LIB_GENERAL, failures::kUnsupportedIdentifier, failures::kDecodeStructured,
                                 "");
        structure->ignoreComponentRules(true);
        const unsigned int length = getLength(in);
        const std::uint64_t start = in.getCount();
        while (in.getCount() - start < length) {
            if (!in.hasData()) throw truncatedStructure(failures::kDecodeStructured, in.getCount() - start, length);
            ASN1Object* component = nullptr;
            decode(in, component);
            appendDecoded(structure, component);
        }
        return structure;
    } catch (const Exception& e) {
        ASN1Object::deleteObject(structure);
        throw Exception(e);
    } catch (const Velmora::IndexOutOfRange&) {
        ASN1Object::deleteObject(structure);
        throw;
    }
}

ASN1ObjectIdentifier* DERCoder::decodeObjectIdentifier(ASN1ObjectIdentifier* value, InputStream& in) const {
    const unsigned int length = getLength(in);
    const ByteArray contents = readContents(in, length, failures::kDecodeOID);
    if (contents.isEmpty())
        throw CoderException(Exception::LIB_CODERS, failures::kEmptyObjectIdentifier, failures::kDecodeOID, "");
    IntArray arcs;
    arcs.reserve(contents.size() + 1);
    std::uint64_t accumulator = 0;
    bool first = true;
    for (unsigned char octet : contents) {
        accumulator = (accumulator << 7) | (octet & 0x7F);
        if (accumulator > 0xFFFFFFFFu)
            throw CoderException(Exception::LIB_CODERS, failures::kUnrepresentable, failures::kDecodeOID,
                                 "an arc of the object identifier does not fit in 32 bits");
        if (octet & 0x80) continue;
        if (first) {
            // The first subidentifier holds the first two arcs: 40 x first + second, in base 128.
            const std::uint64_t top = accumulator < 40 ? 0 : accumulator < 80 ? 1 : 2;
            const std::uint64_t second = accumulator - 40 * top;
            if (second > 0x7FFFFFFFu)
                throw CoderException(Exception::LIB_CODERS, failures::kUnrepresentable, failures::kDecodeOID,
                                     "the second arc of the object identifier does not fit in 31 bits");
            arcs += static_cast<int>(top);
            arcs += static_cast<int>(second);
            first = false;
        } else {
            arcs += static_cast<int>(static_cast<std::uint32_t>(accumulator));
        }
        accumulator = 0;
    }
    // Octets of an unfinished last arc are dropped; without even the first subidentifier nothing is left.
    if (first)
        throw CoderException(Exception::LIB_CODERS, failures::kEmptyObjectIdentifier, failures::kDecodeOID,
                             "the first subidentifier is unfinished");
    value->setValue(arcs);
    return value;
}

}  // namespace Ostrel
