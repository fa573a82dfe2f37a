#include "ElementPath.h"

#include <algorithm>

#include "ToolSupport.h"
#include "zentrik/foundation/CoderException.h"
#include "zentrik/foundation/CoderFailures.h"

namespace zcoders {

namespace {

constexpr std::uint32_t kBitString = 3;
constexpr std::uint32_t kOctetString = 4;

}  // namespace

std::string checkPath(const std::string& path) {
    std::size_t digits = 0;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i < path.size() && path[i] >= '0' && path[i] <= '9') {
            if (++digits > 9) return "a component number of the path is too large";
        } else if (digits == 0 || (i < path.size() && path[i] != '.')) {
            return "the path is component numbers from 0 separated by dots, as 1.0.2";
        } else {
            digits = 0;
        }
    }
    return "";
}

std::vector<std::uint32_t> pathNumbers(const std::string& path) {
    std::vector<std::uint32_t> numbers;
    for (std::size_t at = 0; at <= path.size();) {
        const std::size_t dot = std::min(path.find('.', at), path.size());
        numbers.push_back(static_cast<std::uint32_t>(std::stoul(path.substr(at, dot - at))));
        at = dot + 1;
    }
    return numbers;
}

ElementHeader PathFinder::find(const std::vector<std::uint32_t>& path) {
    ElementHeader at = elements_.readHeader();
    for (const std::uint32_t number : path) at = component(container(at), number);
    return at;
}

void PathFinder::skip(const ElementHeader& header) {
    if (header.constructed())
        elements_.forEachComponent(header, [this](const ElementHeader& inner) { skip(inner); });
    else
        elements_.skipContents(header);
}

// The element as a holder of components: a constructed one, or with `encapsulated_` the contents of
// a primitive OCTET STRING or BIT STRING.
ElementHeader PathFinder::container(const ElementHeader& header) {
    if (header.constructed()) return header;
    const std::uint32_t number = header.identifier.number;
    const bool string = header.universal() && (number == kOctetString || number == kBitString);
    if (!encapsulated_ || !string)
        fail(kUnsupportedElement, elements_.command(),
             "the " + header.name() + " is primitive and holds no components" +
                 (string ? " (--encapsulated reads its contents as elements)" : ""));
    if (number == kOctetString) return header;
    ElementHeader unusedBits = header;
    unusedBits.length = std::min<std::int64_t>(header.length, 1);
    int unused = -1;
    elements_.forEachPiece(unusedBits,
                           [&unused](const unsigned char* octets, std::size_t) { unused = octets[0]; });
    if (unused != 0)
        fail(kUnsupportedElement, elements_.command(),
             "the BIT STRING holds no whole octets to read as elements");
    ElementHeader bits = header;
    ++bits.headerLength;
    --bits.length;
    return bits;
}

ElementHeader PathFinder::component(const ElementHeader& parent, std::uint32_t number) {
    std::uint32_t seen = 0;
    while (elements_.nextComponentFollows(parent)) {
        const ElementHeader inner = elements_.readComponentHeader(parent);
        if (seen++ == number) return inner;
        skip(inner);
        elements_.checkInside(inner, parent);
    }
    throw Velmora::CoderException(
        Velmora::Exception::LIB_CODERS, Velmora::failures::kBadLength, elements_.operation(),
        "the " + parent.name() + " at offset " + std::to_string(parent.offset) + " has " +
            countOf(seen, "component", "components") + ", no component " + std::to_string(number));
}

}  // namespace zcoders
