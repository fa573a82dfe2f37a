#include "ElementReaders.h"

#include "ToolSupport.h"
#include "ValueText.h"
#include "zentrik/asn1/BERCoder.h"
#include "zentrik/platform/asn1/ASN1Octets.h"

namespace zcoders {

namespace {

using Ostrel::ASNTag;

// Enough for an identifier with a 32-bit tag number and any length octets real data uses, twice.
constexpr std::size_t kPeekSize = 32;
constexpr unsigned char kOctetStringIdentifier = 0x04;
constexpr unsigned char kConstructedOctetStringIdentifier = 0x24;

PeekedHeader parseHeader(Ostrel::octets::MemorySource& octets, const unsigned char* start,
                         const std::string& command) {
    using Ostrel::octets::Fault;
    PeekedHeader header;
    Ostrel::octets::Identifier identifier;
    std::int64_t length = 0;
    Fault fault = Ostrel::octets::readIdentifier(octets, identifier);
    if (fault == Fault::none) fault = Ostrel::octets::readLength(octets, 0x7FFFFFFF, length);
    switch (fault) {
        case Fault::none:
            break;
        case Fault::missing:
        case Fault::ended:
            fail(kUnsupportedElement, command, "the data ends inside an element's header");
        case Fault::padded:
            fail(kUnsupportedElement, command, "a tag number starts with the padding octet 0x80");
        case Fault::tooLarge:
            fail(kUnsupportedElement, command,
                 "a tag number or length is too large for the streaming readers");
    }
    header.identifier = identifier.first;
    header.tagNumber = identifier.number;
    header.length = static_cast<int>(length);
    header.headerSize = static_cast<std::size_t>(octets.position() - start);
    return header;
}

ReaderKind kindOfTagged(const NextElement& next) {
    const PeekedHeader& outer = next.outer;
    if (!(outer.identifier & 0x20)) return ReaderKind::ImplicitOctetString;
    if (next.empty) return ReaderKind::Container;
    const PeekedHeader& inner = next.inner;
    if (outer.length > 0) {
        // Definite: one inner element fills the contents exactly when the tag is explicit.
        const bool fills = inner.length >= 0 && inner.headerSize + static_cast<std::size_t>(inner.length) ==
                                                    static_cast<std::size_t>(outer.length);
        if (fills) return ReaderKind::Explicit;
        return inner.identifier == kOctetStringIdentifier ? ReaderKind::ImplicitOctetString
                                                          : ReaderKind::Container;
    }
    // Indefinite: primitive OCTET STRINGs inside are the segments of an implicitly tagged string.
    return inner.identifier == kOctetStringIdentifier ? ReaderKind::ImplicitOctetString
                                                      : ReaderKind::Explicit;
}

}  // namespace

NextElement peekNextElement(Velmora::InputStream& in, const std::string& command) {
    const Velmora::ByteArray ahead = in.peek(kPeekSize);
    Ostrel::octets::MemorySource octets(ahead.data(), ahead.data() + ahead.size());
    NextElement next;
    next.outer = parseHeader(octets, ahead.data(), command);
    if (!(next.outer.identifier & 0x80)) return next;
    if ((next.outer.identifier & 0x20) && next.outer.length != 0) {
        next.inner = parseHeader(octets, octets.position(), command);
        // End-of-contents right after an indefinite header.
        next.empty = next.outer.length < 0 && next.inner.identifier == 0 && next.inner.length == 0;
    }
    next.empty = next.empty || ((next.outer.identifier & 0x20) && next.outer.length == 0);
    next.kind = kindOfTagged(next);
    return next;
}

Velmora::SmartPointer<Ostrel::ASN1IOUObject> openReader(Velmora::InputStream& in, ReaderKind kind) {
    switch (kind) {
        case ReaderKind::Explicit:
            return Ostrel::BERCoder::decodeExplicitIOU(in);
        case ReaderKind::ImplicitOctetString:
            return Ostrel::BERCoder::decodeImplicitIOU(in, ASNTag::OCTET_STRING);
        case ReaderKind::Container:
            return Ostrel::BERCoder::decodeImplicitIOU(in, ASNTag::SEQUENCE);
        case ReaderKind::Plain:
            break;
    }
    return Ostrel::BERCoder::decodeIOU(in);
}

Velmora::SmartPointer<Ostrel::ASN1IOUObject> openComponent(Ostrel::ASN1IOUObject& parent, ReaderKind kind) {
    switch (kind) {
        case ReaderKind::Explicit:
            return parent.getNextExplicitComponent();
        case ReaderKind::ImplicitOctetString:
            return parent.getNextImplicitComponent(ASNTag::OCTET_STRING);
        case ReaderKind::Container:
            return parent.getNextImplicitComponent(ASNTag::SEQUENCE);
        case ReaderKind::Plain:
            break;
    }
    return parent.getNextComponent();
}

void endReader(Ostrel::ASN1IOUObject& reader, const NextElement& next, Velmora::InputStream& in,
               const std::string& command) {
    if (next.kind == ReaderKind::Explicit && next.outer.length < 0 && next.inner.length >= 0 &&
        !reader.isEnded()) {
        const Velmora::ByteArray ahead = in.peek(2);
        if (ahead.size() < 2 || ahead[0u] != 0 || ahead[1u] != 0)
            fail(kMissingEndOfContents, command,
                 tagText(next.outer.identifier, next.outer.tagNumber) +
                     " of indefinite length is not closed by end-of-contents octets after its inner element");
    }
    reader.endIOU();
}

bool readsOctetString(const Ostrel::ASN1IOUObject& reader, ReaderKind kind) {
    switch (kind) {
        case ReaderKind::ImplicitOctetString:
            return true;
        case ReaderKind::Container:
            return false;
        case ReaderKind::Plain:
        case ReaderKind::Explicit:
            break;
    }
    const unsigned int identifier = reader.getIdentifier();
    return identifier == kOctetStringIdentifier || identifier == kConstructedOctetStringIdentifier;
}

OctetsRead readOctetString(Ostrel::ASN1IOUObject& reader, Velmora::InputStream& in,
                           Velmora::OutputStream* out, Progress& progress) {
    OctetsRead read;
    const bool segmented = reader.isConstructed();
    while (reader.hasData()) {
        const std::uint64_t before = in.getCount();
        const Velmora::ByteArray piece = reader.getData();
        // A constructed string gives one segment per call; a call that reads nothing found none.
        if (segmented && in.getCount() != before) ++read.segments;
        read.octets += piece.size();
        if (out) *out << piece;
        progress.update(in.getCount());
    }
    if (!segmented) read.segments = 1;
    return read;
}

std::string lengthText(int length) {
    return length < 0 ? "indefinite length" : countOf(static_cast<std::uint64_t>(length), "octet", "octets");
}

}  // namespace zcoders
