#include "ElementStream.h"

#include <algorithm>
#include <limits>

#include "ToolSupport.h"
#include "zentrik/foundation/CoderException.h"
#include "zentrik/foundation/CoderFailures.h"

namespace zcoders {

namespace {

namespace octets = Ostrel::octets;
namespace failures = Velmora::failures;

[[noreturn]] void refuse(unsigned int number, const std::string& operation, const std::string& message) {
    throw Velmora::CoderException(Velmora::Exception::LIB_CODERS, number, operation, message);
}

}  // namespace

std::string lengthText(std::int64_t length) {
    return length < 0 ? "indefinite length" : countOf(static_cast<std::uint64_t>(length), "octet", "octets");
}

ElementHeader ElementStream::readHeader() {
    ElementHeader header;
    header.offset = in_.getCount();
    current_ = header.offset;
    const auto next = [this, &header] {
        const int octet = in_.readOctet();
        if (octet >= 0) header.octets += static_cast<unsigned char>(octet);
        return octet;
    };
    octets::Fault fault = octets::readIdentifier(next, header.identifier);
    if (fault == octets::Fault::none)
        fault = octets::readLength(next, std::numeric_limits<std::int64_t>::max(), header.length);
    header.headerLength = header.octets.size();
    switch (fault) {
        case octets::Fault::none:
            break;
        case octets::Fault::padded:
            refuse(failures::kMalformed, operation_, "the tag number starts with the padding octet 0x80");
        case octets::Fault::tooLarge:
            refuse(failures::kUnrepresentable, operation_,
                   "a tag number beyond 32 bits or a length beyond 2^63 - 1");
        case octets::Fault::missing:
        case octets::Fault::ended:
            refuse(failures::kTruncated, operation_, "the data ends inside an element's header");
    }
    if (header.indefinite() && !header.constructed())
        refuse(failures::kBadLength, operation_, "a primitive " + header.name() + " of indefinite length");
    progress_.update(in_.getCount());
    return header;
}

bool ElementStream::nextComponentFollows(const ElementHeader& parent) {
    current_ = parent.offset;
    if (!parent.indefinite()) {
        if (in_.getCount() >= parent.contentsEnd()) return false;
        if (!in_.hasData())
            failures::contentsEnd(operation_.c_str(), in_.getCount() - parent.contentsStart(),
                                  static_cast<std::uint64_t>(parent.length));
        return true;
    }
    const Velmora::ByteArray ahead = in_.peek(2);
    if (ahead.size() < 2)
        fail(kMissingEndOfContents, command_,
             "the data ends before the end-of-contents octets of the " + parent.name() +
                 " of indefinite length");
    if (ahead[0u] != 0 || ahead[1u] != 0) return true;
    in_.skip(2);
    return false;
}

void ElementStream::checkInside(const ElementHeader& component, const ElementHeader& parent) {
    if (parent.indefinite()) return;
    const std::uint64_t end = std::max(in_.getCount(), component.indefinite() ? 0 : component.contentsEnd());
    if (end > parent.contentsEnd())
        failures::overrun(operation_.c_str(),
                          "the " + component.name() + " at offset " + std::to_string(component.offset), end,
                          parent.name(), parent.contentsEnd());
}

std::size_t ElementStream::nextPiece(const ElementHeader& header, std::uint64_t done) {
    const std::uint64_t left = static_cast<std::uint64_t>(header.length) - done;
    const std::uint64_t toBoundary = kPiece - in_.getCount() % kPiece;
    const std::size_t count = static_cast<std::size_t>(std::min(left, toBoundary));
    if (piece_.size() < count)
        piece_.resize(std::min<std::uint64_t>(static_cast<std::uint64_t>(header.length), kPiece));
    const std::size_t got = in_.read(piece_.data(), count);
    if (got < count)
        failures::contentsEnd(operation_.c_str(), done + got, static_cast<std::uint64_t>(header.length));
    progress_.update(in_.getCount());
    return got;
}

}  // namespace zcoders
