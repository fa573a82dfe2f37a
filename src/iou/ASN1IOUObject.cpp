// The IOU object core: reading and writing one element a piece at a time.
#include "zentrik/iou/ASN1IOUObject.h"

#include <algorithm>
#include <memory>
#include <string>
#include <typeinfo>

#include "zentrik/asn1/BERCoder.h"
#include "zentrik/foundation/CoderException.h"
#include "zentrik/foundation/CoderFailures.h"
#include "zentrik/iou/ASN1IOUExplicitObject.h"
#include "zentrik/iou/ASN1IOUImplicitObject.h"
#include "zentrik/platform/asn1/ASN1Octets.h"

namespace Ostrel {

using Velmora::CoderException;
using Velmora::Exception;
using Velmora::IndexOutOfRange;
namespace failures = Velmora::failures;

namespace {

constexpr unsigned int kOctetString = 4;
constexpr unsigned int kBitString = 3;

CoderException truncated(const char* operation, const std::string& message) {
    return CoderException(Exception::LIB_CODERS, failures::kTruncated, operation, message);
}
}  // namespace

ASN1IOUObject::ASN1IOUObject() = default;

ASN1IOUObject::ASN1IOUObject(InputStream& in) {
    const ByteArray first = in.readBlob(1);
    if (first.isEmpty())
        throw CoderException(Exception::LIB_CODERS, failures::kIOUNoData, failures::kIOUCtor, "");
    const unsigned char octet = first[0];
    if (octet & 0x80)
        throw CoderException(Exception::LIB_CODERS, failures::kIOUUntagged, failures::kIOUCtor, "");
    if ((octet & 0x1F) == 0x1F) tagNumber = readLongTagNumber(in, failures::kIOUCtor);
    identifier = octet;
    universalType = (octet & 0xC0) == 0;
    length = readLength(in, failures::kIOUCtor);
    indefinite = length < 0;
    contentsStart = in.getCount();
    inputStream = &in;
    // A primitive element is decoded at once, so it is finished when it is handed out; a long OCTET
    // STRING stays in the stream for getData to deliver in pieces.
    if (!(octet & 0x20) && !deliversInPieces()) ASN1IOUObject::getValue();
}

ASN1IOUObject::ASN1IOUObject(OutputStream& out, ASNTag::ASN1_TAG tag) {
    const unsigned char octet = writableTag(tag, failures::kIOUWritingCtor);
    out << static_cast<char>(octet | 0x20) << static_cast<char>(0x80);
    identifier = octet;
    indefinite = true;
    outputStream = &out;
}

ASN1IOUObject::~ASN1IOUObject() {
    endFromDestructor(*this);
}

namespace {
// Says what kept header octets from being read, in the terms of `operation`.
[[noreturn]] void headerFault(octets::Fault fault, const char* operation, const char* what) {
    switch (fault) {
        case octets::Fault::padded:
            throw CoderException(Exception::LIB_CODERS, failures::kMalformed, operation,
                                 "the tag number starts with the padding octet 0x80");
        case octets::Fault::tooLarge:
            throw CoderException(Exception::LIB_CODERS, failures::kUnrepresentable, operation,
                                 std::string("the tag number in the ") + what + " does not fit in 32 bits");
        default:
            throw truncated(operation, std::string("the data ends inside the ") + what);
    }
}
}  // namespace

int ASN1IOUObject::readLength(InputStream& in, const char* operation) {
    std::int64_t length = 0;
    const octets::Fault fault = octets::readLength([&in] { return in.readOctet(); }, 0x7FFFFFFF, length);
    if (fault == octets::Fault::missing) throw truncated(operation, "the data ends before the length octets");
    if (fault == octets::Fault::tooLarge)  // as BERCoder::getLength refuses it
        throw CoderException(Exception::LIB_CODERS, failures::kUnrepresentable, failures::kBERGetLength,
                             "lengths of 2^31 octets and more are not supported");
    if (fault != octets::Fault::none) headerFault(fault, operation, "length octets");  // ended inside
    return static_cast<int>(length);
}

unsigned int ASN1IOUObject::readLongTagNumber(InputStream& in, const char* operation) {
    std::uint64_t number = 0;
    const octets::Fault fault = octets::readBase128([&in] { return in.readOctet(); }, 0xFFFFFFFFu, number);
    if (fault != octets::Fault::none) headerFault(fault, operation, "identifier octets");
    return static_cast<unsigned int>(number);
}

ByteArray ASN1IOUObject::identifierOctets() const {
    if ((identifier & 0x1F) == 0x1F) return DERCoder::encodeTagClassValue(identifier & 0xE0, tagNumber);
    return DERCoder::encodeTagClassValue(identifier, 0);
}

ByteArray ASN1IOUObject::lengthOctets() const {
    if (length < 0) return ByteArray(static_cast<unsigned char>(0x80));
    return DERCoder::encodeLength(static_cast<unsigned int>(length));
}

bool ASN1IOUObject::zerosFollow(unsigned int count, const char* operation) const {
    const ByteArray next = inputStream->readBlob(count);
    inputStream->pushBack(next);
    if (next.size() < count)
        throw CoderException(Exception::LIB_CODERS, failures::kIOUNoData, operation,
                             "the data ends before the end-of-contents octets");
    return std::all_of(next.begin(), next.end(), [](unsigned char octet) { return octet == 0; });
}

void ASN1IOUObject::consumeEndOfContents(unsigned int count, const char* operation) const {
    if (count == 0) return;
    contentsTouched = true;
    if (inputStream->skip(count) < count)
        throw truncated(operation, "the data ends before the end-of-contents octets");
}

unsigned char ASN1IOUObject::writableTag(ASNTag::ASN1_TAG tag, const char* operation) {
    const int octet = static_cast<int>(tag);
    if (octet < 0 || octet > 0xFF || (octet & 0x1F) == 0x1F)
        throw CoderException(Exception::LIB_CODERS, failures::kUnrepresentable, operation,
                             "the tag " + std::to_string(octet) + " does not fit one identifier octet");
    return static_cast<unsigned char>(octet);
}

void ASN1IOUObject::checkContentsUntouched(const char* operation) const {
    if (contentsTouched)
        throw CoderException(Exception::LIB_CODERS, failures::kValueAfterPieces, operation,
                             "the contents were already read a piece at a time, so the value is no "
                             "longer in the stream");
}

void ASN1IOUObject::skipRemainingContents(const char* operation) const {
    if (isConstructed() || complete || length <= 0) return;
    const std::uint64_t done = consumed();
    if (done >= static_cast<std::uint64_t>(length)) return;
    const std::uint64_t left = static_cast<std::uint64_t>(length) - done;
    contentsTouched = true;
    if (inputStream->skip(left) < left)
        throw truncated(operation, "the data ends inside the contents left unread");
}

bool ASN1IOUObject::foundIndefinateLengthTerminator() const {
    return zerosFollow(2, failures::kIOUTerminator);
}

ASN1Object* ASN1IOUObject::getValue() {
    if (!inputStream) return nullptr;
    if (value) return value.get();
    checkContentsUntouched(failures::kIOUGetValue);
    inputStream->pushBack(identifierOctets() + lengthOctets());
    value = BERCoder::decode(*inputStream);
    complete = true;
    return value.get();
}

std::string ASN1IOUObject::elementName() const {
    if (typeid(*this) != typeid(ASN1IOUObject)) return "[" + std::to_string(taggedValue) + "]";
    octets::Identifier id;
    id.first = static_cast<unsigned char>(identifier);
    id.number = getTagNumber();
    return octets::elementName(id);
}

void ASN1IOUObject::checkInside(const ASN1IOUObject* component, std::uint64_t offset) const {
    // What has been read of the component so far: its header, or all of it when it was read whole.
    // The rest is checked when this element is next asked for a component, once it has been read.
    const std::uint64_t end = contentsStart + static_cast<std::uint64_t>(length);
    const std::uint64_t componentEnd = inputStream->getCount();
    if (componentEnd <= end) return;
    const std::string what = component
                                 ? "the " + component->elementName() + " at offset " + std::to_string(offset)
                                 : std::string("an element");
    failures::overrun(failures::kIOUNextComponent, what, componentEnd, elementName(), end);
}

bool ASN1IOUObject::componentsRemain() {
    if (!isConstructed() || !inputStream || ended || complete) return false;
    if (length < 0) return !foundIndefinateLengthTerminator();
    checkInside(nullptr, 0);  // the last component, if it was of indefinite length, ended inside
    return consumed() < static_cast<std::uint64_t>(length);
}

bool ASN1IOUObject::hasNextComponent() {
    return componentsRemain();
}

template <typename Component, typename... Arguments>
SmartPointer<ASN1IOUObject> ASN1IOUObject::nextComponent(Arguments... arguments) {
    if (!isConstructed() || !inputStream || ended || complete) return {};
    if (length < 0 && foundIndefinateLengthTerminator()) {
        endIOU();
        return {};
    }
    if (length >= 0 && !componentsRemain()) return {};
    contentsTouched = true;
    const std::uint64_t offset = inputStream->getCount();
    SmartPointer<ASN1IOUObject> component = open<Component>(*inputStream, arguments...);
    if (length >= 0) checkInside(component.get(), offset);
    return component;
}

SmartPointer<ASN1IOUObject> ASN1IOUObject::getNextComponent() {
    return nextComponent<ASN1IOUObject>();
}

SmartPointer<ASN1IOUObject> ASN1IOUObject::getNextImplicitComponent(ASNTag::ASN1_TAG tag) {
    return nextComponent<ASN1IOUImplicitObject>(tag);
}

SmartPointer<ASN1IOUObject> ASN1IOUObject::getNextExplicitComponent() {
    return nextComponent<ASN1IOUExplicitObject>();
}

bool ASN1IOUObject::hasData() const {
    const unsigned int kind = identifier & 0x1F;
    if ((kind != kOctetString && kind != kBitString) || !inputStream || ended) return false;
    if (complete) return !dataTaken;
    if (length < 0) {
        if (foundIndefinateLengthTerminator()) {
            endIOU();
            return false;
        }
        return true;
    }
    if (consumed() < static_cast<std::uint64_t>(length)) return true;
    return !dataTaken;
}

bool ASN1IOUObject::deliversInPieces() const {
    return !complete && universalType && !isConstructed() && (identifier & 0x1F) == kOctetString &&
           length > static_cast<std::int32_t>(kLargestPiece);
}

ByteArray ASN1IOUObject::nextPiece() {
    const std::uint64_t done = consumed();
    if (done >= static_cast<std::uint64_t>(length)) return ByteArray::emptyArray;
    const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(length - done, kLargestPiece));
    contentsTouched = true;
    ByteArray piece = inputStream->readBlob(count);
    if (piece.size() < count) failures::contentsEnd(failures::kIOUGetData, done + piece.size(), length);
    return piece;
}

const ByteArray ASN1IOUObject::getData() {
    dataTaken = true;
    const unsigned int kind = identifier & 0x1F;
    if ((kind != kOctetString && kind != kBitString) || !inputStream || ended) return ByteArray::emptyArray;
    if (kind == kOctetString) {
        if (!complete && isConstructed()) {
            SmartPointer<ASN1IOUObject> segment = getNextComponent();
            if (!segment) return ByteArray::emptyArray;
            return asn1_const_cast<ASN1OctetString>(segment->getValue())->getValue();
        }
        if (deliversInPieces()) return nextPiece();
        return asn1_const_cast<ASN1OctetString>(getValue())->getValue();
    }
    const ASN1BitString* bits = asn1_const_cast<ASN1BitString>(getValue());
    numberOfInsignificantBits = bits->getNumberOfInsignificantBits();
    return bits->getValue();
}

void ASN1IOUObject::addComponent(const ASN1Object& component) {
    if (ended || !outputStream) return;
    BERCoder::encode(component, *outputStream);
}

void ASN1IOUObject::endIOU() const {
    if (ended) return;
    if (outputStream) {
        *outputStream << static_cast<char>(0x00) << static_cast<char>(0x00);
    } else if (inputStream) {
        skipRemainingContents(failures::kIOUEnd);
        if (length < 0 && !complete) consumeEndOfContents(2, failures::kIOUEnd);
    }
    ended = true;
}

}  // namespace Ostrel
