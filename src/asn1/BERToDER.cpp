// BER to DER: elements read header by header and written back with definite lengths, joined
// strings and sorted SETs.
#include "zentrik/asn1/BERToDER.h"

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "zentrik/foundation/CoderException.h"
#include "zentrik/foundation/CoderFailures.h"

namespace Ostrel {

using Velmora::CoderException;
using Velmora::Exception;
namespace failures = Velmora::failures;

namespace {

constexpr const char* kOperation = "Ostrel::BERToDER::convert";
constexpr std::uint64_t kNoEnd = std::numeric_limits<std::uint64_t>::max();
constexpr std::size_t kPiece = 64 * 1024;
constexpr std::uint32_t kBoolean = 1;
constexpr std::uint32_t kBitString = 3;
constexpr std::uint32_t kNull = 5;
constexpr std::uint32_t kSet = 17;

[[noreturn]] void refuse(unsigned int number, const std::string& message) {
    throw CoderException(Exception::LIB_CODERS, number, kOperation, message);
}

// Universal types whose encoding is constructed.
bool isStructure(std::uint32_t number) {
    return number == 8 || number == 11 || number == 16 || number == 17 || number == 29;
}

std::string nameAt(const octets::Identifier& identifier, std::uint64_t offset) {
    return "the " + octets::elementName(identifier) + " at offset " + std::to_string(offset);
}

// Identifier and definite length octets in the shortest form, then the contents.
ByteArray encoded(unsigned int classBits, std::uint32_t number, const ByteArray& contents) {
    unsigned char header[octets::kMaxIdentifierOctets + 4 + octets::kMaxLengthOctets];
    std::size_t size = octets::writeIdentifier(classBits, number, header);
    size += octets::writeLength(contents.size(), header + size);
    ByteArray out;
    out.reserve(size + contents.size());
    out.append(header, size);
    out += contents;
    return out;
}

void checkDepth(unsigned int depth) {
    if (depth >= failures::kMaxNesting)
        refuse(failures::kTooDeep,
               "elements nest more than " + std::to_string(failures::kMaxNesting) + " levels deep");
}

void checkUniversalPrimitive(std::uint32_t number, ByteArray& contents, std::uint64_t offset) {
    if (number == kBoolean) {
        if (contents.size() != 1)
            throw CoderException(Exception::LIB_CODERS, failures::kBadBoolean, kOperation,
                                 "the BOOLEAN at offset " + std::to_string(offset) + " has " +
                                     std::to_string(contents.size()) + " contents octets, not 1");
        if (contents[0u]) contents[0u] = 0xFF;
    } else if (number == kNull && !contents.isEmpty()) {
        refuse(failures::kBadNull, "the NULL at offset " + std::to_string(offset) + " has contents");
    } else if (number == kBitString) {
        if (contents.isEmpty())
            refuse(failures::kUnrepresentable, "the BIT STRING at offset " + std::to_string(offset) +
                                                   " has no contents, not even its unused-bit count");
        const unsigned int unused = contents[0u];
        if (unused > 7 || (unused && contents.size() == 1))
            refuse(failures::kMalformed, "the BIT STRING at offset " + std::to_string(offset) + " claims " +
                                             std::to_string(unused) + " unused bits");
        if (unused) contents[static_cast<unsigned int>(contents.size() - 1)] &= 0xFF << unused;
    }
}

}  // namespace

BERToDER::Header BERToDER::readHeader(const Enclosing& enclosing) {
    Header header;
    header.offset = in_.getCount();
    const auto next = [this] { return in_.readOctet(); };
    octets::Fault fault = octets::readIdentifier(next, header.identifier);
    if (fault == octets::Fault::none)
        fault = octets::readLength(next, std::numeric_limits<std::int64_t>::max(), header.length);
    header.contentsStart = in_.getCount();
    switch (fault) {
        case octets::Fault::none:
            return header;
        case octets::Fault::missing:
            if (!enclosing.header && header.contentsStart == header.offset)
                throw CoderException(Exception::LIB_CODERS, failures::kNoData, kOperation,
                                     failures::kNoDataMessage);
            break;
        case octets::Fault::padded:
            refuse(failures::kMalformed, "the tag number at offset " + std::to_string(header.offset) +
                                             " starts with the padding octet 0x80");
        case octets::Fault::tooLarge:
            refuse(failures::kUnrepresentable,
                   "the tag number or length at offset " + std::to_string(header.offset) + " is too large");
        case octets::Fault::ended:
            break;
    }
    refuse(failures::kTruncated,
           "the data ends inside the header at offset " + std::to_string(header.offset));
}

void BERToDER::overrun(const Header& inner, const Header& outer) const {
    const std::uint64_t end = std::max(in_.getCount(), inner.length < 0 ? 0 : inner.contentsEnd());
    failures::overrun(kOperation, nameAt(inner.identifier, inner.offset), end,
                      octets::elementName(outer.identifier), outer.contentsEnd());
}

bool BERToDER::endOfContents() {
    const ByteArray ahead = in_.peek(2);
    if (ahead.size() < 2)
        refuse(failures::kTruncated,
               "the data ends before the end-of-contents octets of the element at offset " +
                   std::to_string(current_));
    if (ahead[0u] != 0 || ahead[1u] != 0) return false;
    in_.skip(2);
    return true;
}

template <typename Visit>
void BERToDER::forEachComponent(const Header& header, Visit&& visit) {
    const Enclosing enclosing{&header, header.length < 0 ? kNoEnd : header.contentsEnd()};
    for (;;) {
        current_ = header.offset;
        if (header.length < 0 ? endOfContents() : in_.getCount() >= enclosing.end) return;
        const std::uint64_t before = in_.getCount();
        if (header.length >= 0 && !in_.hasData())
            failures::contentsEnd(kOperation, before - header.contentsStart,
                                  static_cast<std::uint64_t>(header.length));
        const Header inner = readHeader(enclosing);
        current_ = inner.offset;
        if (inner.length >= 0 && inner.contentsEnd() > enclosing.end) overrun(inner, header);
        visit(inner);
        if (in_.getCount() > enclosing.end) overrun(inner, header);
    }
}

ByteArray BERToDER::readContents(const Header& header) {
    if (header.length < 0)
        refuse(failures::kBadLength,
               nameAt(header.identifier, header.offset) + " is primitive with the indefinite length");
    const auto length = static_cast<std::uint64_t>(header.length);
    ByteArray contents;
    while (contents.size() < length) {
        const ByteArray piece =
            in_.readBlob(static_cast<std::size_t>(std::min<std::uint64_t>(length - contents.size(), kPiece)));
        if (piece.isEmpty()) failures::contentsEnd(kOperation, contents.size(), length);
        contents += piece;
    }
    return contents;
}

ByteArray BERToDER::primitive(const Header& header) {
    const octets::Identifier& identifier = header.identifier;
    // Universal tag number 0, in whatever form, is end-of-contents: it closes indefinite elements only.
    if (identifier.classBits() == 0 && identifier.number == 0)
        refuse(failures::kMalformed, "end-of-contents octets at offset " + std::to_string(header.offset) +
                                         " close no element of indefinite length");
    ByteArray contents = readContents(header);
    if (identifier.classBits() == 0) {
        if (isStructure(identifier.number))
            refuse(failures::kUnsupportedIdentifier, nameAt(identifier, header.offset) + " is primitive");
        checkUniversalPrimitive(identifier.number, contents, header.offset);
    }
    return encoded(identifier.first & 0xC0, identifier.number, contents);
}

void BERToDER::appendSegments(const Header& header, unsigned int depth, ByteArray& joined, int& unusedBits) {
    checkDepth(depth);
    const std::uint32_t number = header.identifier.number;
    forEachComponent(header, [&](const Header& segment) {
        if (segment.identifier.classBits() != 0 || segment.identifier.number != number)
            refuse(failures::kBadSegment, nameAt(segment.identifier, segment.offset) +
                                              " is a segment of the " +
                                              octets::elementName(header.identifier) + " at offset " +
                                              std::to_string(header.offset));
        if (segment.identifier.constructed()) return appendSegments(segment, depth + 1, joined, unusedBits);
        ByteArray contents = readContents(segment);
        if (number != kBitString) {
            joined += contents;
            return;
        }
        if (unusedBits > 0)
            refuse(failures::kMalformed,
                   "a BIT STRING segment with unused bits is followed by another, at offset " +
                       std::to_string(segment.offset));
        checkUniversalPrimitive(kBitString, contents, segment.offset);
        unusedBits = contents[0u];
        joined.append(contents.data() + 1, contents.size() - 1);
    });
}

ByteArray BERToDER::joinedString(const Header& header, unsigned int depth) {
    ByteArray joined;
    int unusedBits = 0;
    if (header.identifier.number == kBitString) joined += static_cast<unsigned char>(0);
    appendSegments(header, depth, joined, unusedBits);
    if (header.identifier.number == kBitString) joined[0u] = static_cast<unsigned char>(unusedBits);
    return encoded(0, header.identifier.number, joined);
}

ByteArray BERToDER::constructed(const Header& header, unsigned int depth) {
    const octets::Identifier& identifier = header.identifier;
    checkDepth(depth);
    if (identifier.classBits() == 0 && isStringType(identifier.number)) return joinedString(header, depth);
    if (identifier.classBits() == 0 && identifier.number < 31 && !isStructure(identifier.number))
        refuse(failures::kUnsupportedIdentifier, nameAt(identifier, header.offset) + " is constructed");
    std::vector<ByteArray> components;
    forEachComponent(header, [&](const Header& inner) { components.push_back(element(inner, depth + 1)); });
    if (identifier.classBits() == 0 && identifier.number == kSet)
        std::sort(components.begin(), components.end(), [](const ByteArray& a, const ByteArray& b) {
            return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end());
        });
    ByteArray contents;
    std::size_t size = 0;
    for (const ByteArray& component : components) size += component.size();
    contents.reserve(size);
    for (const ByteArray& component : components) contents += component;
    return encoded(identifier.first & 0xE0, identifier.number, contents);
}

ByteArray BERToDER::element(const Header& header, unsigned int depth) {
    ByteArray out = header.identifier.constructed() ? constructed(header, depth) : primitive(header);
    current_ = header.offset;
    return out;
}

ByteArray BERToDER::convert() {
    current_ = in_.getCount();
    const Header header = readHeader(Enclosing{nullptr, kNoEnd});
    return element(header, 0);
}

void BERToDER::convert(OutputStream& out) {
    out << convert();
}

bool isStringType(std::uint32_t universalNumber) {
    switch (universalNumber) {
        case 3:
        case 4:
        case 7:
        case 12:
        case 18:
        case 19:
        case 20:
        case 21:
        case 22:
        case 23:
        case 24:
        case 25:
        case 26:
        case 27:
        case 28:
        case 30:
            return true;
        default:
            return false;
    }
}

ByteArray berToDER(const ByteArray& ber) {
    Velmora::ByteArrayInputStream in(ber.data(), ber.size());
    BERToDER converter(in);
    ByteArray der = converter.convert();
    if (in.hasData())
        refuse(failures::kMalformed,
               std::to_string(in.remaining()) + " octets follow the element at offset 0");
    return der;
}

void berToDER(InputStream& in, OutputStream& out) {
    BERToDER(in).convert(out);
}

}  // namespace Ostrel
