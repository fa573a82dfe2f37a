#include "ElementTree.h"

#include <algorithm>

#include "zentrik/foundation/CoderFailures.h"
#include "zentrik/platform/asn1/ASN1Octets.h"

namespace zentrik_py {

namespace {

using Ostrel::octets::Fault;
namespace failures = Velmora::failures;

class ElementReader {
  public:
    static constexpr std::size_t kReserved = 1024;  // element records allocated up front at most

    ElementReader(const unsigned char* data, std::size_t size, bool der)
        : data_(data), size_(size), der_(der) {}

    std::vector<Element> run() {
        if (size_ == 0) throw StructureError(failures::kNoData, 0, "no data to decode");
        elements_.reserve(std::min<std::size_t>(size_ / 2, kReserved));  // every element takes two octets
        const std::uint64_t end = read(0, size_, 0);
        if (end != size_)
            throw StructureError(failures::kMalformed, end,
                                 std::to_string(size_ - end) + " octets follow the end of the element");
        return std::move(elements_);
    }

  private:
    // Reads the element at `at`, which must end by `limit`; returns where it ends.
    std::uint64_t read(std::uint64_t at, std::uint64_t limit, unsigned int depth) {
        if (depth > failures::kMaxNesting)
            throw StructureError(
                failures::kTooDeep, at,
                "elements nest more than " + std::to_string(failures::kMaxNesting) + " levels deep");
        const std::size_t index = elements_.size();
        readHeader(at, limit, elements_.emplace_back());
        const Element& header = elements_[index];  // filled in place: elements are 40 octets
        const std::uint64_t start = header.contentsOffset();
        std::uint64_t contentsEnd = header.contentsEnd;
        if (header.indefinite) {
            contentsEnd = readUntilEndOfContents(start, limit, depth);
            elements_[index].contentsEnd = contentsEnd;
            elements_[index].end = contentsEnd + 2;
        } else if (header.constructed()) {
            for (std::uint64_t p = start; p < contentsEnd;) p = read(p, contentsEnd, depth + 1);
        }
        Element& element = elements_[index];
        element.subtreeEnd = static_cast<std::uint32_t>(elements_.size());
        return element.end;
    }

    std::uint64_t readUntilEndOfContents(std::uint64_t at, std::uint64_t limit, unsigned int depth) {
        for (;;) {
            if (at >= limit) missing(at, limit, "end-of-contents octets are missing");
            if (at + 1 < limit && data_[at] == 0 && data_[at + 1] == 0) return at;
            at = read(at, limit, depth + 1);
        }
    }

    // Reads the identifier and length octets at `at` into `element`.
    void readHeader(std::uint64_t at, std::uint64_t limit, Element& element) {
        Ostrel::octets::MemorySource source(data_ + at, data_ + limit);
        Ostrel::octets::Identifier identifier;
        check(Ostrel::octets::readIdentifier(source, identifier), at, limit, "identifier");
        std::int64_t length = 0;
        check(Ostrel::octets::readLength(source, INT64_MAX, length), at, limit, "length");
        element.offset = at;
        element.first = identifier.first;
        element.tag = identifier.number;
        element.headerLength = static_cast<std::uint32_t>(source.position() - (data_ + at));
        element.indefinite = length == Ostrel::octets::kIndefinite;
        if (element.indefinite) {
            if (der_) throw StructureError(failures::kBadLength, at, "an indefinite length is not DER");
            if (!element.constructed())
                throw StructureError(failures::kMalformed, at, "a primitive element of indefinite length");
            return;
        }
        element.contentsEnd = element.contentsOffset() + static_cast<std::uint64_t>(length);
        element.end = element.contentsEnd;
        if (static_cast<std::uint64_t>(length) > limit - element.contentsOffset())
            overrun(identifier, at, element.end, limit);
    }

    void check(Fault fault, std::uint64_t at, std::uint64_t limit, const char* octets) const {
        if (fault != Fault::none) refuse(fault, at, limit, octets);  // kept out of the reading path
    }

    [[noreturn]] void refuse(Fault fault, std::uint64_t at, std::uint64_t limit, const char* octets) const {
        const std::string what = std::string("the ") + octets + " octets at offset " + std::to_string(at);
        if (fault == Fault::padded) throw StructureError(failures::kMalformed, at, what + " pad a number with 0x80");
        if (fault == Fault::tooLarge)
            throw StructureError(failures::kUnrepresentable, at, what + " hold a number too large");
        missing(at, limit, "the data ends inside " + what);  // missing or ended
    }

    // Octets missing: the data has ended (26), or the enclosing element has (28).
    [[noreturn]] void missing(std::uint64_t at, std::uint64_t limit, const std::string& message) const {
        if (limit == size_) throw StructureError(failures::kTruncated, at, message);
        throw StructureError(failures::kOverrun, at, message + " before the end of the enclosing element");
    }

    [[noreturn]] void overrun(const Ostrel::octets::Identifier& identifier, std::uint64_t at,
                              std::uint64_t end, std::uint64_t limit) const {
        const std::string name = Ostrel::octets::elementName(identifier);
        if (limit == size_)
            throw StructureError(failures::kTruncated, at,
                                 "the " + name + " at offset " + std::to_string(at) + " ends at octet " +
                                     std::to_string(end) + ", after the end of the data at octet " +
                                     std::to_string(size_));
        throw StructureError(failures::kOverrun, at,
                             "the " + name + " at offset " + std::to_string(at) + " ends at octet " +
                                 std::to_string(end) + ", past the end of its enclosing element at octet " +
                                 std::to_string(limit));
    }

    const unsigned char* data_;
    std::size_t size_;
    bool der_;
    std::vector<Element> elements_;
};

}  // namespace

std::vector<Element> readElements(const unsigned char* data, std::size_t size, bool der) {
    return ElementReader(data, size, der).run();
}

}  // namespace zentrik_py
