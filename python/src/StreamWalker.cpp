#include "StreamWalker.h"

#include "zentrik/foundation/CoderFailures.h"
#include "zentrik/platform/asn1/ASN1Octets.h"

namespace zentrik_py {

namespace {

namespace failures = Velmora::failures;
using Ostrel::octets::Fault;

void checkRead(Fault fault, std::uint64_t at) {
    const std::string where = " at offset " + std::to_string(at);
    switch (fault) {
        case Fault::none:
            return;
        case Fault::missing:
        case Fault::ended:
            throw StructureError(failures::kTruncated, at, "the data ends inside the header" + where);
        case Fault::padded:
            throw StructureError(failures::kMalformed, at, "a number padded with 0x80 in the header" + where);
        case Fault::tooLarge:
            throw StructureError(failures::kUnrepresentable, at, "a number too large in the header" + where);
    }
}

}  // namespace

bool StreamWalker::next(StreamElement& found) {
    const std::uint64_t skipped = remaining_;
    if (in_->skip(remaining_) != skipped)
        throw StructureError(failures::kTruncated, in_->getCount(),
                             "the data ends inside an element's contents");
    remaining_ = 0;
    for (;;) {
        closeFinished();
        if (open_.empty() && !in_->hasData()) return false;
        if (!readHeader(found.element)) continue;  // end-of-contents octets closed an element
        found.depth = static_cast<unsigned int>(open_.size());
        found.serial = ++serial_;
        place(found.element);
        return true;
    }
}

// Pops the definite elements whose contents have all been walked.
void StreamWalker::closeFinished() {
    while (!open_.empty() && !open_.back().indefinite && in_->getCount() == open_.back().end)
        open_.pop_back();
}

// Reads the next header into `element`; false when it was end-of-contents octets.
bool StreamWalker::readHeader(Element& element) {
    const std::uint64_t at = in_->getCount();
    if (!in_->hasData())
        throw StructureError(failures::kTruncated, at,
                             "the data ends inside an element of indefinite length");
    auto next = [this] { return in_->readOctet(); };
    Ostrel::octets::Identifier identifier;
    checkRead(Ostrel::octets::readIdentifier(next, identifier), at);
    std::int64_t length = 0;
    checkRead(Ostrel::octets::readLength(next, INT64_MAX, length), at);
    element = Element{};
    element.offset = at;
    element.first = identifier.first;
    element.tag = identifier.number;
    element.headerLength = static_cast<std::uint32_t>(in_->getCount() - at);
    element.indefinite = length == Ostrel::octets::kIndefinite;
    if (!element.indefinite) {
        element.contentsEnd = in_->getCount() + static_cast<std::uint64_t>(length);
        element.end = element.contentsEnd;
    }
    return !endsOpenElement(element);
}

// Whether `element` is the end-of-contents octets of the innermost open element (which it closes).
bool StreamWalker::endsOpenElement(const Element& element) {
    if (element.first != 0 || element.tag != 0 || element.indefinite ||
        element.end != element.contentsOffset())
        return false;
    if (open_.empty() || !open_.back().indefinite)
        throw StructureError(failures::kMalformed, element.offset,
                             "end-of-contents octets outside an element of indefinite length");
    open_.pop_back();
    return true;
}

// Checks that `element` fits the element around it and opens it.
void StreamWalker::place(const Element& element) {
    if (!open_.empty() && !open_.back().indefinite && !element.indefinite && element.end > open_.back().end)
        throw StructureError(failures::kOverrun, element.offset,
                             "the element at offset " + std::to_string(element.offset) + " ends at octet " +
                                 std::to_string(element.end) +
                                 ", past the end of its enclosing element at octet " +
                                 std::to_string(open_.back().end));
    if (element.constructed()) {
        if (open_.size() >= failures::kMaxNesting)
            throw StructureError(
                failures::kTooDeep, element.offset,
                "elements nest more than " + std::to_string(failures::kMaxNesting) + " levels deep");
        open_.push_back({element.end, element.indefinite});
    } else if (element.indefinite) {
        throw StructureError(failures::kMalformed, element.offset,
                             "a primitive element of indefinite length");
    } else {
        remaining_ = element.contentsEnd - element.contentsOffset();
    }
}

std::size_t StreamWalker::readContents(char* destination, std::size_t count) {
    const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(count, remaining_));
    const std::size_t got = want == 0 ? 0 : in_->read(destination, want);
    if (got < want)
        throw StructureError(failures::kTruncated, in_->getCount(),
                             "the data ends inside an element's contents");
    remaining_ -= got;
    return got;
}

}  // namespace zentrik_py
