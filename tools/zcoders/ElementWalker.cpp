#include "ElementWalker.h"

#include <algorithm>

#include "ElementValue.h"
#include "LocatedFailure.h"
#include "ToolSupport.h"
#include "zentrik/foundation/CoderFailures.h"
#include "zentrik/platform/utils/Exception.h"
#include "zentrik/platform/utils/IndexOutOfRange.h"

namespace zcoders {

namespace {

namespace octets = Ostrel::octets;
namespace failures = Velmora::failures;

constexpr const char* kOperation = "zcoders dump";
constexpr std::uint64_t kMaxLength = 0x7FFFFFFFFFFFFFFFull;
constexpr std::size_t kPiece = 64 * 1024;

std::string about(const DumpElement& element) {
    return "the " + octets::elementName(element.identifier) + " at offset " + std::to_string(element.offset);
}

std::uint64_t endOf(const DumpElement& element) {
    return element.contentsOffset() + static_cast<std::uint64_t>(element.length);
}

bool isEndOfContents(const DumpElement& element) {
    return element.identifier.first == 0 && element.identifier.number == 0;
}

// Whether the length octets are longer than the shortest form (which BER allows and DER does not).
bool longerThanNeeded(const DumpElement& element, unsigned int lengthOctets) {
    if (element.indefinite()) return false;
    unsigned char shortest[octets::kMaxLengthOctets + 1];
    return octets::writeLength(static_cast<std::uint64_t>(element.length), shortest) != lengthOctets;
}

}  // namespace

ElementWalker::ElementWalker(OctetReader& reader, DumpSink& sink, WalkSettings& settings, unsigned int depth)
    : reader_(reader), sink_(sink), settings_(settings), depth_(depth), startOffset_(reader.offset()) {}

void ElementWalker::walkAll() {
    while (!reader_.atEnd()) walkElement(nullptr, nullptr, depth_);
}

void ElementWalker::failAt(std::uint64_t offset, unsigned int number, const std::string& message) const {
    throw LocatedFailure(settings_.file, offset, message + settings_.where, number, kOperation);
}

void ElementWalker::failEnded(const DumpElement& element) const {
    const std::uint64_t got = reader_.offset() - element.contentsOffset();
    failAt(element.offset, failures::kTruncated,
           about(element) + " needs " + countOf(static_cast<std::uint64_t>(element.length), "contents octet", "contents octets") +
               ", the input ends after " + std::to_string(got));
}

void ElementWalker::rethrowAbout(const DumpElement& element) const {
    try {
        rethrowLocated(settings_.file, element.offset);
    } catch (const LocatedFailure& failure) {
        throw LocatedFailure(failure.file(), failure.offset(), about(element) + ": " + failure.message() + settings_.where,
                             failure.number(), failure.operation());
    }
}

void ElementWalker::readHeader(DumpElement& element) {
    element.offset = reader_.offset();
    auto next = [this] { return reader_.next(); };
    const octets::Fault fault = octets::readIdentifier(next, element.identifier);
    if (fault == octets::Fault::ended)
        failAt(element.offset, failures::kTruncated, "the input ends inside the identifier octets at offset " +
                                                         std::to_string(element.offset));
    if (fault != octets::Fault::none)
        failAt(element.offset, fault == octets::Fault::padded ? failures::kMalformed : failures::kUnrepresentable,
               fault == octets::Fault::padded ? "the tag number at offset " + std::to_string(element.offset) +
                                                    " starts with the padding group 0x80"
                                              : "the tag number at offset " + std::to_string(element.offset) +
                                                    " does not fit 32 bits");
    const std::uint64_t lengthStart = reader_.offset();
    const octets::Fault lengthFault = octets::readLength(next, kMaxLength, element.length);
    if (lengthFault == octets::Fault::missing || lengthFault == octets::Fault::ended)
        failAt(element.offset, failures::kTruncated,
               "the input ends inside the length octets of " + about(element));
    if (lengthFault != octets::Fault::none)
        failAt(element.offset, failures::kUnrepresentable, about(element) + " has a length beyond 2^63 - 1");
    element.headerLength = static_cast<unsigned int>(reader_.offset() - element.offset);
    if (element.indefinite() || longerThanNeeded(element, static_cast<unsigned int>(reader_.offset() - lengthStart)))
        settings_.ber = true;
}

void ElementWalker::readTopHeader(DumpElement& element) {
    const std::uint64_t start = reader_.offset();
    try {
        readHeader(element);
        checkPlace(element, nullptr, nullptr);
    } catch (const LocatedFailure& failure) {
        if (start == startOffset_) throw;
        throw LocatedFailure(failure.file(), start,
                             "the octets from offset " + std::to_string(start) +
                                 " on, after the last element, form no element: " + failure.message(),
                             failure.number(), failure.operation());
    }
}

void ElementWalker::checkPlace(const DumpElement& element, const DumpElement* parent, const DumpElement* bound) {
    if (isEndOfContents(element) && (!parent || !parent->indefinite()))
        failAt(element.offset, failures::kMalformed,
               "end-of-contents octets at offset " + std::to_string(element.offset) +
                   (parent ? " inside " + about(*parent) + ", which has a definite length"
                           : " outside any element of indefinite length"));
    if (isEndOfContents(element) && element.length != 0)
        failAt(element.offset, failures::kMalformed,
               "the end-of-contents octets at offset " + std::to_string(element.offset) + " have a length of " +
                   (element.indefinite() ? std::string("indefinite form") : std::to_string(element.length)));
    if (element.indefinite() && settings_.derOnly)
        failAt(element.offset, failures::kBadLength, about(element) + " has the indefinite length, which DER refuses");
    if (element.indefinite() && !element.identifier.constructed())
        failAt(element.offset, failures::kBadLength, about(element) + " is primitive but has the indefinite length");
    if (!bound) return;
    const std::uint64_t end = element.indefinite() ? element.contentsOffset() : endOf(element);
    if (end > endOf(*bound))
        failAt(element.offset, failures::kOverrun,
               about(element) + " ends at offset " + std::to_string(end) + ", past the end of " + about(*bound) +
                   ", which ends at offset " + std::to_string(endOf(*bound)));
}

bool ElementWalker::walkElement(const DumpElement* parent, const DumpElement* bound, unsigned int depth) {
    DumpElement element;
    element.depth = depth;
    if (parent) {
        readHeader(element);
        checkPlace(element, parent, bound);
    } else {
        readTopHeader(element);
    }
    if (isEndOfContents(element)) {
        sink_.endOfContents(element);
        return false;
    }
    if (depth >= kMaxDepth)
        failAt(element.offset, kTooDeep, "elements nest more than " + std::to_string(kMaxDepth) + " levels deep");
    if (element.identifier.constructed())
        walkConstructed(element, element.indefinite() ? bound : &element);
    else
        walkPrimitive(element);
    return true;
}

void ElementWalker::walkConstructed(const DumpElement& element, const DumpElement* bound) {
    sink_.open(element, elementType(element.identifier));
    if (element.indefinite()) {
        for (;;) {
            if (reader_.atEnd())
                failAt(element.offset, failures::kTruncated,
                       about(element) + " has the indefinite length, and the input ends at offset " +
                           std::to_string(reader_.offset()) + " before its end-of-contents octets");
            if (!walkElement(&element, bound, element.depth + 1)) break;
        }
    } else {
        const std::uint64_t end = endOf(element);
        while (reader_.offset() < end) {
            if (reader_.atEnd()) failEnded(element);
            walkElement(&element, bound, element.depth + 1);
        }
    }
    sink_.close(element);
}

void ElementWalker::readContents(const DumpElement& element, std::size_t count) {
    unsigned char header[octets::kMaxIdentifierOctets + octets::kMaxLengthOctets + 1];
    std::size_t size = octets::writeIdentifier(element.identifier.first & 0xE0u, element.identifier.number, header);
    size += octets::writeLength(count, header + size);
    scratch_.assign(header, header + size);
    // Grows with what arrives, never to what the length merely claims.
    while (scratch_.size() < size + count) {
        const std::size_t have = scratch_.size();
        scratch_.resize(std::min(size + count, have + kPiece));
        const std::size_t got = reader_.read(scratch_.data() + have, scratch_.size() - have);
        if (have + got < scratch_.size()) failEnded(element);
    }
}

void ElementWalker::walkPrimitive(const DumpElement& element) {
    if (static_cast<std::uint64_t>(element.length) > kHoldLimit) return walkLongPrimitive(element);
    const auto count = static_cast<std::size_t>(element.length);
    readContents(element, count);
    const std::size_t headerSize = scratch_.size() - count;
    ShownValue value;
    try {
        value = describeValue(element, scratch_.data(), headerSize, settings_.ber, settings_.json, *settings_.names);
    } catch (const LocatedFailure&) {
        throw;
    } catch (...) {
        rethrowAbout(element);
    }
    const unsigned char* contents = scratch_.data() + headerSize;
    const std::size_t inner = encapsulatedStart(element, contents, count);
    value.encapsulates = inner != std::string::npos;
    sink_.primitive(element, value);
    if (value.encapsulates) walkEncapsulated(element, contents + inner, count - inner);
    sink_.endPrimitive(element);
}

void ElementWalker::walkLongPrimitive(const DumpElement& element) {
    sink_.longPrimitive(element, elementType(element.identifier));
    scratch_.resize(kPiece);
    for (std::uint64_t left = static_cast<std::uint64_t>(element.length); left > 0;) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left, kPiece));
        const std::size_t got = reader_.read(scratch_.data(), want);
        if (got < want) failEnded(element);
        sink_.piece(scratch_.data(), got);
        left -= got;
    }
    sink_.endPrimitive(element);
}

// An OCTET STRING, or a BIT STRING without unused bits, whose contents are complete DER elements:
// those elements are shown inside it. A dry run makes sure they are, so that nothing is shown of
// contents that turn out to be something else.
std::size_t ElementWalker::encapsulatedStart(const DumpElement& element, const unsigned char* contents,
                                             std::size_t count) {
    const unsigned char first = element.identifier.first;
    const bool bitString = first == 0x03;
    if (!settings_.encapsulated || (first != 0x04 && !bitString) || (bitString && (count < 1 || contents[0] != 0)))
        return std::string::npos;
    const std::size_t skipped = bitString ? 1 : 0;
    const std::size_t size = count - skipped;
    if (size < 2 || size > std::min(kEncapsulationLimit, settings_.encapsulationBudget)) return std::string::npos;
    WalkSettings inner = settings_;
    inner.encapsulationBudget -= size;
    inner.encapsulated = false;
    inner.derOnly = true;
    inner.ber = false;
    try {
        OctetReader reader(contents + skipped, count - skipped, element.contentsOffset() + skipped);
        SilentSink silent;
        ElementWalker(reader, silent, inner, element.depth + 1).walkAll();
    } catch (const LocatedFailure&) {
        return std::string::npos;
    } catch (const Velmora::Exception&) {
        return std::string::npos;
    } catch (const Velmora::IndexOutOfRange&) {
        return std::string::npos;
    }
    return skipped;
}

void ElementWalker::walkEncapsulated(const DumpElement& element, const unsigned char* contents, std::size_t count) {
    WalkSettings inner = settings_;
    inner.encapsulationBudget -= count;
    inner.derOnly = true;
    inner.ber = false;
    OctetReader reader(contents, count, element.contentsOffset() + static_cast<std::uint64_t>(element.length - count));
    sink_.beginEncapsulated();
    ElementWalker(reader, sink_, inner, element.depth + 1).walkAll();
    sink_.endEncapsulated();
}

}  // namespace zcoders
