#include "zentrik/platform/asn1/ASN1ObjectIdentifier.h"

#include <bit>
#include <cstdint>
#include <string>

#include "zentrik/platform/asn1/ASN1Errors.h"
#include "zentrik/platform/asn1/ASN1ShortCopy.h"
#include "zentrik/platform/utils/Exception.h"

namespace Ostrel {

namespace {

[[noreturn]] void refuse(const Velmora::String& dotted, const char* why) {
    throw Velmora::Exception(Velmora::Exception::LIB_ASN1, ASN1Error::BAD_OBJECT_IDENTIFIER,
                             "ASN1ObjectIdentifier::parse(const String&)",
                             Velmora::String("\"") + dotted +
                                 Velmora::String("\" is no object identifier: ") + Velmora::String(why));
}

// Whether one to eight octets, the last one ending a subidentifier, hold only subidentifiers of at
// most four octets (28 bits: every arc fits) none of which starts with 0x80, all octets at once;
// false sends the octets to the careful reading below, which says what is wrong, if anything.
bool plainShort(const unsigned char* octets, std::size_t count) noexcept {
    if constexpr (std::endian::native != std::endian::little) return false;
    const std::uint64_t word = shortCopy::word(octets, count);
    constexpr std::uint64_t high = 0x8080808080808080u;
    const std::uint64_t more = word & high;            // octets followed by more of theirs
    const std::uint64_t starts = ~(more << 8) & high;  // octets that begin a subidentifier
    const std::uint64_t lowZero = ~((word & ~high) + 0x7F7F7F7F7F7F7F7Fu) & high;  // low 7 bits all 0
    if (lowZero & more & starts) return false;                       // a subidentifier begins with 0x80
    return (more & (more << 8) & (more << 16) & (more << 24)) == 0;  // none of five octets or more
}

}  // namespace

ASN1ObjectIdentifier::ASN1ObjectIdentifier(const Velmora::IntArray& arcs)
    : ASN1Object(ASNTag::OBJECT_IDENTIFIER) {
    cacheForm(Velmora::IntArray(arcs));
    markSet();
}

ASN1ObjectIdentifier::ASN1ObjectIdentifier(const Velmora::String& dotted)
    : ASN1Object(ASNTag::OBJECT_IDENTIFIER) {
    cacheForm(parse(dotted));
    markSet();
}

ASN1ObjectIdentifier::ASN1ObjectIdentifier(const char* dotted)
    : ASN1ObjectIdentifier(Velmora::String(dotted == nullptr ? "" : dotted)) {}

ASN1ObjectIdentifier::~ASN1ObjectIdentifier() = default;

void ASN1ObjectIdentifier::setValue(const Velmora::IntArray& arcs) {
    setValue(Velmora::IntArray(arcs));
}

void ASN1ObjectIdentifier::setValue(Velmora::IntArray&& arcs) {
    cacheForm(std::move(arcs));
    octets_.clear();
    valueChanged();
}

const Velmora::IntArray& ASN1ObjectIdentifier::getValue() const {
    if (const Velmora::IntArray* arcs = cachedForm<Velmora::IntArray>()) return *arcs;
    static const Velmora::IntArray none;  // unset
    if (octets_.empty()) return none;
    Velmora::IntArray arcs;
    arcs.reserve(getLength());
    octets::MemorySource source(octets_.data(), octets_.data() + octets_.size());
    std::uint64_t subidentifier = 0;
    // Held octets are complete and minimal: every subidentifier reads.
    for (bool first = true; octets::readBase128(source, 0xFFFFFFFFu, subidentifier) == octets::Fault::none;
         first = false) {
        if (first) {  // 40 x first arc + second arc
            const std::uint64_t top = subidentifier < 40 ? 0 : subidentifier < 80 ? 1 : 2;
            arcs += static_cast<int>(top);
            subidentifier -= 40 * top;
        }
        arcs += static_cast<int>(static_cast<std::uint32_t>(subidentifier));
    }
    return cacheForm(std::move(arcs));
}

unsigned int ASN1ObjectIdentifier::getLength() const noexcept {
    if (const Velmora::IntArray* arcs = cachedForm<Velmora::IntArray>()) return arcs->length();
    if (octets_.empty()) return 0;
    // One arc per subidentifier (each ends with an octet below 0x80), and one more for the first.
    unsigned int ends = 0;
    for (std::size_t i = 0; i < octets_.size(); ++i) ends += (octets_.data()[i] & 0x80) ? 0 : 1;
    return ends + 1;
}

octets::Fault ASN1ObjectIdentifier::contentOctetsFault(const unsigned char* octets,
                                                       std::size_t count) noexcept {
    if (count == 0) return octets::Fault::missing;
    if (octets[count - 1] & 0x80) return octets::Fault::ended;
    if (count <= 8 && plainShort(octets, count)) return octets::Fault::none;
    std::size_t start = 0;  // where the current subidentifier began
    for (std::size_t i = 0; i < count; ++i) {
        if (i == start && octets[i] == 0x80) return octets::Fault::padded;
        if (octets[i] & 0x80) continue;
        // Up to four octets hold 28 bits and always fit; longer subidentifiers are read in full.
        if (i - start >= 4) {
            octets::MemorySource source(octets + start, octets + i + 1);
            std::uint64_t subidentifier = 0;
            if (octets::readBase128(source, 0xFFFFFFFFu, subidentifier) != octets::Fault::none)
                return octets::Fault::tooLarge;
            // The first one holds 40 x first + second; a second arc must fit 31 bits.
            if (start == 0 && subidentifier >= 80 && subidentifier - 80 > 0x7FFFFFFFu)
                return octets::Fault::tooLarge;
        }
        start = i + 1;
    }
    return octets::Fault::none;
}

bool ASN1ObjectIdentifier::setContentOctets(const unsigned char* octets, std::size_t count) {
    if (!isContentOctets(octets, count)) return false;
    octets_.assign(octets, count);
    dropCachedForm();
    valueChanged();
    return true;
}

bool ASN1ObjectIdentifier::setContentOctets(const Velmora::ByteArray& octets) {
    return setContentOctets(octets.data(), octets.size());
}

bool ASN1ObjectIdentifier::setContentOctets(Velmora::ByteArray&& octets) {
    return setContentOctets(octets.data(), octets.size());
}

void ASN1ObjectIdentifier::setValue(const Velmora::String& dotted) {
    Velmora::IntArray arcs = parse(dotted);  // throws before anything changes
    setValue(std::move(arcs));
}

Velmora::IntArray ASN1ObjectIdentifier::parse(const Velmora::String& dotted) {
    const std::u32string& text = dotted.codePoints();
    if (text.empty()) refuse(dotted, "empty text");
    Velmora::IntArray arcs;
    std::uint64_t arc = 0;
    std::size_t digits = 0;
    for (char32_t c : text) {
        if (c == U'.') {
            if (digits == 0) refuse(dotted, "an arc without digits");
            arcs += static_cast<int>(static_cast<std::uint32_t>(arc));
            arc = 0;
            digits = 0;
        } else if (c >= U'0' && c <= U'9') {
            arc = arc * 10 + static_cast<std::uint64_t>(c - U'0');
            if (arc > UINT32_MAX) refuse(dotted, "an arc beyond 32 bits");
            ++digits;
        } else {
            refuse(dotted, "a character other than a digit or a dot");
        }
    }
    if (digits == 0) refuse(dotted, "an arc without digits");
    arcs += static_cast<int>(static_cast<std::uint32_t>(arc));
    return arcs;
}

ASN1Object* ASN1ObjectIdentifier::clone() const {
    return new ASN1ObjectIdentifier(*this);
}

bool ASN1ObjectIdentifier::equals(const ASN1Object& other) const {
    const auto* that = dynamic_cast<const ASN1ObjectIdentifier*>(&other);
    if (that == nullptr || !sameFrame(other)) return false;
    if (isNull()) return true;
    // Contents octets are the one minimal encoding of their arcs: equal octets, equal arcs.
    if (hasContentOctets() && that->hasContentOctets()) return octets_ == that->octets_;
    return getValue() == that->getValue();
}

Velmora::String ASN1ObjectIdentifier::toString() const {
    if (isNull()) return ASN1Object::toString();
    const Velmora::IntArray& arcs = getValue();
    std::string text;
    text.reserve(arcs.length() * 4);
    for (unsigned int i = 0; i < arcs.length(); ++i) {
        if (i != 0) text += '.';
        text += std::to_string(static_cast<std::uint32_t>(arcs[i]));
    }
    return Velmora::String(text);
}

}  // namespace Ostrel
