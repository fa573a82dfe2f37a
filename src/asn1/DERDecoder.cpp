// The DER coder's decoding side: the dispatch on the identifier octet and one reader per value family.
#include <memory>

#include "zentrik/asn1/DERCoder.h"
#include "zentrik/foundation/CoderException.h"
#include "zentrik/foundation/CoderFailures.h"

namespace Ostrel {

using Velmora::CoderException;
using Velmora::Exception;
using Velmora::IntArray;
using Velmora::String;
namespace failures = Velmora::failures;

namespace {
// Decodes one component or segment and appends it to `container`, which owns it from then on.
template <typename Container>
void appendDecoded(Container* container, ASN1Object* component) {
    std::unique_ptr<ASN1Object, void (*)(ASN1Object*)> owned(component, &ASN1Object::deleteObject);
    container->appendComponent(owned.get(), 0);
    owned.release();
}

// A fresh value of the class makeASN1Object gives for its kind; `holder` keeps it for the failure paths.
template <typename T>
T* fresh(ASN1Object*& holder) {
    auto made = std::make_unique<T>();
    holder = made.get();
    return made.release();
}

CoderException truncatedStructure(const char* operation, std::uint64_t consumed, std::uint64_t length) {
    return CoderException(
        Velmora::Exception::LIB_CODERS, failures::kTruncated, operation,
        "the contents end after " + std::to_string(consumed) + " of " + std::to_string(length) + " octets");
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
        throw CoderException(Exception::LIB_CODERS, failures::kNoData, failures::kDERDecode,
                             failures::kNoDataMessage);
    const unsigned char octet = static_cast<unsigned char>(first);
    ASN1Object* value = nullptr;
    try {
        Nesting nesting(*this, failures::kDERDecode);
        out = decodeUniversal(octet, in, value, failures::kDERDecodeIdentifier);
        if (!out) {
            in.pushBack(octet);
            out = value = decodeTaggedEncoding(in);
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

ASN1Object* DERCoder::decodeUniversal(unsigned char octet, InputStream& in, ASN1Object*& made,
                                      const char* identifierOperation) const {
    auto make = [&made](unsigned char tag) {
        made = ASN1Object::makeASN1Object(static_cast<ASNTag::ASN1_TAG>(tag), 0);
        return made;
    };
    switch (octet) {
        case 0x01:
            return decodeBoolean(fresh<ASN1Boolean>(made), in);
        case 0x02:
            return decodeInteger(fresh<ASN1Integer>(made), in);
        case 0x03:
        case 0x23:
            in.pushBack(octet);
            return decodeBitString(fresh<ASN1BitString>(made), in);
        case 0x04:
        case 0x24:
            in.pushBack(octet);
            return decodeOctetString(fresh<ASN1OctetString>(made), in);
        case 0x05:
            return decodeNull(fresh<ASN1Null>(made), in);
        case 0x06:
            return decodeObjectIdentifier(fresh<ASN1ObjectIdentifier>(made), in);
        case 0x0A:
            return decodeEnumerated(fresh<ASN1Enumerated>(made), in);
        case 0x0C:
        case 0x12:
        case 0x13:
        case 0x14:
        case 0x16:
        case 0x1A:
        case 0x1C:
        case 0x1E:
            return decodeString(static_cast<ASN1String*>(make(octet)), in);
        case 0x17:
        case 0x18:
            return decodeTime(static_cast<ASN1Time*>(make(octet)), in);
        case 0x30:
        case 0x31:
            in.pushBack(octet);
            return made = decodeStructured(in);
        default:
            if (octet & 0x80) return nullptr;
            throw CoderException(
                Exception::LIB_CODERS, failures::kUnsupportedIdentifier,
                String(identifierOperation) + ByteArray(octet).toPrintableString(16, false) + ")", "");
    }
}

ASN1Object* DERCoder::decodeTaggedEncoding(InputStream& in) {
    // The element as it is kept: the identifier octets as they came (a tag number below 31 may come
    // in the long form, and must stay so), the length octets written again, then the contents read
    // straight behind them.
    ByteArray encoding;
    const unsigned int tag = getTaggedValue(in, encoding);
    const unsigned int length = readLength(in);
    encoding += encodeLength(length);
    appendContents(in, length, encoding, failures::kDERDecode);
    std::unique_ptr<ASN1Object> value(ASN1Object::makeASN1Object(ASNTag::TAGGED, tag));
    value->setDERBytes(std::move(encoding));
    return value.release();
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
    const unsigned int length = readLength(in);
    // Kept as octets (empty contents read as 0); the number is built when it is asked for.
    value->setContentOctets(readContents(in, length, kDecodeInteger));
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
    const unsigned int length = readLength(in);
    const ByteArray contents = readContents(in, length, kDecodeEnumerated);
    // Two's complement, big-endian; octets beyond four must only repeat the sign.
    if (contents.size() > 4) {
        const unsigned char sign =
            (contents[static_cast<unsigned int>(contents.size() - 4)] & 0x80) ? 0xFF : 0x00;
        for (std::size_t i = 0; i + 4 < contents.size(); ++i)
            if (contents.data()[i] != sign)
                throw CoderException(Exception::LIB_CODERS, failures::kUnrepresentable, kDecodeEnumerated,
                                     "the enumerated value does not fit in 32 bits");
    }
    value->setValue(contents.toInt());
    return value;
}

ASN1String* DERCoder::decodeString(ASN1String* value, InputStream& in) const {
    const unsigned int length = readLength(in);
    // Kept as octets; the text (UTF-16 for kinds 4 and 7, UTF-8 with '?' for bad sequences for
    // kind 6, Latin-1 otherwise) is built when it is asked for.
    value->setContentOctets(readContents(in, length, kDecodeString));
    return value;
}

ASN1Time* DERCoder::decodeTime(ASN1Time* value, InputStream& in) const {
    const unsigned int length = readLength(in);
    value->setContentOctets(readContents(in, length, kDecodeTime));
    return value;
}

ASNStructured* DERCoder::decodeStructured(InputStream& in) const {
    ASNStructured* structure = nullptr;
    try {
        const unsigned char identifier = nextOctet(in);
        if (identifier == 0x30)
            structure = std::make_unique<ASN1Sequence>().release();
        else if (identifier == 0x31)
            structure = std::make_unique<ASN1Set>().release();
        else
            throw CoderException(Exception::LIB_GENERAL, failures::kUnsupportedIdentifier,
                                 failures::kDecodeStructured, "");
        structure->ignoreComponentRules(true);
        const unsigned int length = readLength(in);
        const std::uint64_t start = in.getCount();
        while (in.getCount() - start < length) {
            if (!in.hasData())
                throw truncatedStructure(failures::kDecodeStructured, in.getCount() - start, length);
            ASN1Object* component = nullptr;
            decode(in, component);
            // A SEQUENCE or SET of the library's own: its appendComponent is ASNStructured's.
            structure->appendComponent(std::unique_ptr<ASN1Object>(component));
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
    const unsigned int length = readLength(in);
    ByteArray contents = readContents(in, length, failures::kDecodeOID);
    if (contents.isEmpty())
        throw CoderException(Exception::LIB_CODERS, failures::kEmptyObjectIdentifier, failures::kDecodeOID,
                             "");
    // The usual case: complete, minimal octets, kept as they are (the encoder writes them back).
    if (value->setContentOctets(std::move(contents))) return value;
    // Otherwise the octets are still there: refuse what cannot be held, drop an unfinished last arc,
    // and make leading zero groups minimal.
    std::uint64_t accumulator = 0;
    bool first = true;
    bool minimal = true;  // no subidentifier starts with the octet 0x80
    std::size_t end = 0;  // the octets up to the end of the last complete subidentifier
    bool starting = true;
    for (std::size_t i = 0; i < contents.size(); ++i) {
        const unsigned char octet = contents.data()[i];
        if (starting && octet == 0x80) minimal = false;
        accumulator = (accumulator << 7) | (octet & 0x7F);
        if (accumulator > 0xFFFFFFFFu)
            throw CoderException(Exception::LIB_CODERS, failures::kUnrepresentable, failures::kDecodeOID,
                                 "an arc of the object identifier does not fit in 32 bits");
        starting = !(octet & 0x80);
        if (!starting) continue;
        // The first subidentifier holds the first two arcs: 40 x first + second, in base 128.
        if (first && accumulator >= 80 && accumulator - 80 > 0x7FFFFFFFu)
            throw CoderException(Exception::LIB_CODERS, failures::kUnrepresentable, failures::kDecodeOID,
                                 "the second arc of the object identifier does not fit in 31 bits");
        first = false;
        accumulator = 0;
        end = i + 1;
    }
    // Octets of an unfinished last arc are dropped; without even the first subidentifier nothing is left.
    if (first)
        throw CoderException(Exception::LIB_CODERS, failures::kEmptyObjectIdentifier, failures::kDecodeOID,
                             "the first subidentifier is unfinished");
    contents.truncate(end);
    if (minimal && value->setContentOctets(std::move(contents))) return value;
    // Leading zero groups: held as arcs, so that the identifier is written again in minimal form.
    IntArray arcs;
    arcs.reserve(contents.size() + 1);
    accumulator = 0;
    for (unsigned char octet : contents) {
        accumulator = (accumulator << 7) | (octet & 0x7F);
        if (octet & 0x80) continue;
        if (arcs.isEmpty()) {
            const std::uint64_t top = accumulator < 40 ? 0 : accumulator < 80 ? 1 : 2;
            arcs += static_cast<int>(top);
            arcs += static_cast<int>(accumulator - 40 * top);
        } else {
            arcs += static_cast<int>(static_cast<std::uint32_t>(accumulator));
        }
        accumulator = 0;
    }
    value->setValue(std::move(arcs));
    return value;
}

}  // namespace Ostrel
