#pragma once
// BER and DER read header by header from a stream, for walk and unwrap: definite lengths up to
// 2^63 - 1, contents of any size handed over a piece at a time, components inside their element.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "zentrik/platform/asn1/ASN1Octets.h"
#include "zentrik/platform/utils/ByteArray.h"
#include "zentrik/platform/utils/InputStream.h"

namespace zcoders {

class Progress;

// An element's identifier and length octets as read.
struct ElementHeader {
    Ostrel::octets::Identifier identifier;
    std::int64_t length = 0;  // Ostrel::octets::kIndefinite for the indefinite form
    std::uint64_t offset = 0;
    std::size_t headerLength = 0;
    Velmora::ByteArray octets;  // the identifier and length octets themselves

    bool indefinite() const { return length < 0; }
    bool constructed() const { return identifier.constructed(); }
    bool universal() const { return identifier.classBits() == 0; }
    std::uint64_t contentsStart() const { return offset + headerLength; }
    std::uint64_t contentsEnd() const { return contentsStart() + static_cast<std::uint64_t>(length); }
    // "SEQUENCE", "[0]", "[APPLICATION 3]".
    std::string name() const { return Ostrel::octets::elementName(identifier); }
};

// "indefinite length" or "N octets".
std::string lengthText(std::int64_t length);

class ElementStream {
  public:
    // The largest piece of contents held at once. Pieces end at multiples of it in the stream, where a
    // file stream's buffer ends too, so that long contents are read straight into the piece.
    static constexpr std::size_t kPiece = 64 * 1024;

    // `command` ("walk") names the failures.
    ElementStream(Velmora::InputStream& in, const std::string& command, Progress& progress)
        : in_(in), command_(command), operation_("zcoders " + command), progress_(progress) {}

    bool atEnd() { return !in_.hasData(); }
    ElementHeader readHeader();

    // Hands each component of a constructed element to `visit`, which reads it whole; consumes the
    // end-of-contents octets of the indefinite form. Failure 28 for a component that runs past the
    // end of a definite element, 26 when the data ends first.
    template <typename Visit>
    void forEachComponent(const ElementHeader& parent, Visit&& visit) {
        while (nextComponentFollows(parent)) {
            const ElementHeader component = readComponentHeader(parent);
            visit(component);
            checkInside(component, parent);
            current_ = parent.offset;
        }
    }
    // The steps of forEachComponent: whether a component follows (consuming end-of-contents octets
    // when none does), its header, and after it has been read whether it stayed inside its parent.
    bool nextComponentFollows(const ElementHeader& parent);
    ElementHeader readComponentHeader(const ElementHeader& parent) {
        const ElementHeader component = readHeader();
        checkInside(component, parent);
        return component;
    }
    void checkInside(const ElementHeader& component, const ElementHeader& parent);

    // Hands the contents of a primitive element to `take(octets, count)` a piece at a time; the
    // octets stay valid until the next call.
    template <typename Take>
    void forEachPiece(const ElementHeader& header, Take&& take) {
        for (std::uint64_t done = 0; done < static_cast<std::uint64_t>(header.length);) {
            const std::size_t count = nextPiece(header, done);
            done += count;
            take(piece_.data(), count);
        }
    }

    // Reads past the contents of a primitive element.
    void skipContents(const ElementHeader& header) {
        forEachPiece(header, [](const unsigned char*, std::size_t) {});
    }

    // The offset of the element being read, for reports.
    std::uint64_t currentOffset() const { return current_; }
    const std::string& command() const { return command_; }
    const std::string& operation() const { return operation_; }

  private:
    std::size_t nextPiece(const ElementHeader& header, std::uint64_t done);

    Velmora::InputStream& in_;
    std::string command_;
    std::string operation_;
    Progress& progress_;
    std::uint64_t current_ = 0;
    std::vector<unsigned char> piece_;
};

}  // namespace zcoders
