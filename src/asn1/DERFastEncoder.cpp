#include "zentrik/asn1/DERFastEncoder.h"

#include <algorithm>
#include <cstring>

#include "zentrik/asn1/CodingStreams.h"
#include "zentrik/foundation/CoderException.h"
#include "zentrik/foundation/CoderFailures.h"
#include "zentrik/platform/asn1/ASN1Octets.h"

namespace Ostrel {

using Velmora::CoderException;
using Velmora::Exception;
namespace failures = Velmora::failures;

namespace {

// The value as T when the dispatch's checked cast takes it, else null.
template <typename T>
const T* as(const ASN1Object* value) {
    const bool fits =
        T::acceptsTag(value->getTagValue()) && (value->libraryClasses() & T::CLASS_BITS) == T::CLASS_BITS;
    return fits ? static_cast<const T*>(value) : nullptr;
}

// The contents octets a value of class T holds (as decoded), when the checked cast takes it; else null.
template <typename T>
const ASN1ContentOctets* heldContents(const ASN1Object* value) {
    const T* typed = as<T>(value);
    return typed && typed->hasContentOctets() ? &typed->contentOctets() : nullptr;
}

// The most identifier and length octets in front of contents: an explicit [n], its length (32 bits),
// the universal octet and the length octets.
constexpr std::size_t kMaxHeader = octets::kMaxIdentifierOctets + 5 + 1 + octets::kMaxLengthOctets;

}  // namespace

DERFastEncoder::DERFastEncoder(unsigned char* begin, unsigned char* end) : out_(begin, end) {}
DERFastEncoder::~DERFastEncoder() = default;

template <typename Room, typename Deliver>
bool DERFastEncoder::run(const ASN1Object* value, Room&& room, Deliver&& deliver) {
    std::uint64_t size = 0;
    {
        unsigned char local[4096];
        DERFastEncoder encoder(local, local + sizeof local);
        if (!encoder.put(value, 0)) return false;
        size = encoder.out_.written();
        if (!encoder.out_.full()) {
            deliver(encoder.out_.front(), static_cast<std::size_t>(size));
            return true;
        }
    }
    unsigned char* start = room(static_cast<std::size_t>(size));
    if (!start) return false;
    DERFastEncoder again(start, start + size);
    if (!again.put(value, 0)) return false;  // the same steps as above: it cannot be refused now
    deliver(start, static_cast<std::size_t>(size));
    return true;
}

ByteArray DERFastEncoder::encode(const ASN1Object* value) {
    ByteArray octets;
    const auto room = [&octets](std::size_t size) { return octets.prepareAppend(size); };
    const auto deliver = [&octets](const unsigned char* encoding, std::size_t size) {
        if (encoding == octets.data())
            octets.setLength(size);  // written in place
        else
            octets = ByteArray(encoding, size);
    };
    if (run(value, room, deliver)) return octets;
    EncodingStream out;
    DERCoder().encode(out, value);
    return out.takeByteArray();
}

void DERFastEncoder::encode(const ASN1Object* value, OutputStream& out) {
    if (!EncodingStream::of(out)) {  // not inside a coding call, whose nesting would go on here
        // An encoding longer than the room on the stack goes the dispatch's way, which writes large
        // contents straight to the stream rather than holding a second copy of them.
        const auto room = [](std::size_t) -> unsigned char* { return nullptr; };
        const auto deliver = [&out, value](const unsigned char* encoding, std::size_t size) {
            writeTo(out, value, encoding, size);
        };
        if (run(value, room, deliver)) return;
    }
    DERCoder().encode(out, value);
}

void DERFastEncoder::writeTo(OutputStream& out, const ASN1Object* value, const unsigned char* octets,
                             std::size_t size) {
    if (size == 0) return;
    try {
        out.write(octets, size);
    } catch (const Exception& e) {
        // As the dispatch reports it: number 12 at each level open when the outermost element is written.
        unsigned int levels = 1;
        for (; value->isAny() || (value->isChoice() && value->taggedContext() != ASNTag::EXPLICIT); ++levels)
            value = static_cast<const ASN1ValueHolder*>(value)->getValue();
        CoderException failure(Exception::LIB_CODERS, failures::kEncodingFailed, failures::kDEREncodeStream,
                               e, "");
        while (--levels > 0)
            failure = CoderException(Exception::LIB_CODERS, failures::kEncodingFailed,
                                     failures::kDEREncodeStream, failure, "");
        throw failure;
    }
}

bool DERFastEncoder::plain(const ASN1Object* value, unsigned int depth) {
    return value != nullptr && depth < DERCoder::kNestingLimit && (!value->isNull() || value->isOptional());
}

bool DERFastEncoder::put(const ASN1Object* value, unsigned int depth) {
    // An ANY, and a CHOICE not explicitly tagged, write what they hold, one level of the dispatch deeper.
    for (;; ++depth) {
        if (!plain(value, depth)) return false;
        if (value->isNull()) return true;  // unset and optional: left out
        if (value->isAny()) {
            const auto* any = as<ASN1Any>(value);
            if (!any) return false;
            value = any->getValue();
        } else if (value->isChoice()) {
            const auto* choice = as<ASN1Choice>(value);
            if (!choice) return false;
            if (value->taggedContext() == ASNTag::EXPLICIT) return putChoice(choice, depth);
            value = choice->getValue();
        } else {
            return putElement(value, depth);
        }
    }
}

bool DERFastEncoder::putChoice(const ASN1Choice* value, unsigned int depth) {
    const std::size_t end = out_.written();
    if (!put(value->getValue(), depth + 1)) return false;
    unsigned char header[kMaxHeader];
    std::size_t count = octets::writeIdentifier(0xA0, value->taggedValue(), header);
    // The length in 32 bits, as DERCoder's own encoder counts it.
    count += octets::writeLength(static_cast<unsigned int>(out_.written() - end), header + count);
    out_.put(header, count);
    return true;
}

bool DERFastEncoder::putElement(const ASN1Object* value, unsigned int depth) {
    const ByteArray& der = value->getDERBytes();
    if (!der.isEmpty()) {  // a stored encoding, written as it is
        out_.put(der.data(), der.size());
        return true;
    }
    const ASNTag::ASN1_TAG tag = value->getTagValue();
    if (tag == ASNTag::SEQUENCE || tag == ASNTag::SET) {
        const auto* structure = as<ASNStructured>(value);
        return structure && putComponents(value, structure, tag == ASNTag::SET, depth);
    }
    if (putContents(value)) return true;
    if (tag == ASNTag::OCTET_STRING) {  // segments, each written as a component would be
        const auto* string = as<ASN1OctetString>(value);
        if (!string || string->isStreamable() || string->getNumberOfComponents() == 0) return false;
        return putComponents(value, string, false, depth);
    }
    return leafKind(tag) && putBlock(value);
}

template <typename Container>
bool DERFastEncoder::putComponents(const ASN1Object* value, const Container* container, bool sorted,
                                   unsigned int depth) {
    const std::size_t end = out_.written();
    std::vector<std::size_t> sizes;  // of a SET's components, the last first
    const unsigned int count = container->getNumberOfComponents();
    if (sorted && count > 1) sizes.reserve(count);
    for (unsigned int i = count; i-- > 0;) {
        const std::size_t before = out_.written();
        if (!put(container->getComponent(i), depth + 1)) return false;
        if (sorted && count > 1) sizes.push_back(out_.written() - before);
    }
    if (!sizes.empty()) sortWritten(sizes);
    putHeader(value, out_.written() - end);
    return true;
}

bool DERFastEncoder::putContents(const ASN1Object* value) {
    const std::size_t end = out_.written();
    switch (value->getTagValue()) {
        case ASNTag::BOOLEAN: {
            const auto* boolean = as<ASN1Boolean>(value);
            if (!boolean) return false;
            *out_.room(1) = boolean->getValue() ? 0xFF : 0x00;
            break;
        }
        case ASNTag::INTEGER:
            if (!putHeld(heldContents<ASN1Integer>(value))) return false;
            break;
        case ASNTag::BIT_STRING: {  // a primitive one: the unused bits, then the octets
            const auto* bits = as<ASN1BitString>(value);
            if (!bits || bits->isConstructed() || bits->getNumberOfComponents() != 0) return false;
            out_.put(bits->getOwnValue().data(), bits->getOwnValue().size());
            *out_.room(1) = static_cast<unsigned char>(bits->getNumberOfInsignificantBits() & 0xFF);
            break;
        }
        case ASNTag::OCTET_STRING: {
            const auto* string = as<ASN1OctetString>(value);
            if (!string || string->isStreamable() || string->getNumberOfComponents() != 0) return false;
            out_.put(string->getOwnValue().data(), string->getOwnValue().size());
            break;
        }
        case ASNTag::ASN1_NULL:
            if (!as<ASN1Null>(value)) return false;
            break;
        default:
            if (!putHeld(heldOctets(value))) return false;
    }
    putHeader(value, out_.written() - end);
    return true;
}

const ASN1ContentOctets* DERFastEncoder::heldOctets(const ASN1Object* value) {
    const int tag = value->getTagValue();
    if (tag == ASNTag::OBJECT_IDENTIFIER) return heldContents<ASN1ObjectIdentifier>(value);
    if (ASN1String::acceptsTag(tag)) return heldContents<ASN1String>(value);
    if (ASN1Time::acceptsTag(tag)) return heldContents<ASN1Time>(value);
    return nullptr;
}

bool DERFastEncoder::putHeld(const ASN1ContentOctets* contents) {
    if (!contents) return false;
    out_.put(contents->data(), contents->size());
    return true;
}

bool DERFastEncoder::leafKind(int tag) {
    return tag == ASNTag::INTEGER || tag == ASNTag::ENUMERATED || tag == ASNTag::OBJECT_IDENTIFIER ||
           tag == ASNTag::BIT_STRING || ASN1String::acceptsTag(tag) || ASN1Time::acceptsTag(tag);
}

bool DERFastEncoder::putBlock(const ASN1Object* value) {
    if (!leaves_) leaves_ = std::make_unique<EncodingStream>();
    const ContentsBuffer leaf(*leaves_);  // a buffer of that call's, used again for the next leaf
    try {
        DERCoder().encode(leaf.stream(), value);
    } catch (const Exception&) {
        return false;  // DERCoder's encoder says how, for the whole call
    }
    out_.put(leaf.stream().getByteArray().data(), leaf.stream().size());
    return true;
}

void DERFastEncoder::putHeader(const ASN1Object* value, std::uint64_t length) {
    if (length < 0x80 && value->taggedContext() == ASNTag::UNTAGGED) {  // most elements: two octets
        unsigned char* at = out_.room(2);
        at[0] = DERCoder::universalOctet(value, false);
        at[1] = static_cast<unsigned char>(length);
        return;
    }
    unsigned char header[kMaxHeader];
    unsigned char* at = header;
    switch (value->taggedContext()) {
        case ASNTag::EXPLICIT: {
            // [n] around the universal element; its length counts in 32 bits, as encodeTag's does.
            unsigned char lengthOctets[octets::kMaxLengthOctets];
            const auto inner = static_cast<unsigned int>(octets::writeLength(length, lengthOctets) + length);
            at += octets::writeIdentifier(0xA0, value->taggedValue(), at);
            at += octets::writeLength(inner + 1, at);
            *at++ = DERCoder::universalOctet(value, false);
            break;
        }
        case ASNTag::IMPLICIT:
            at += octets::writeIdentifier(value->isConstructed() ? 0xA0 : 0x80, value->taggedValue(), at);
            break;
        default:
            *at++ = DERCoder::universalOctet(value, false);
    }
    at += octets::writeLength(length, at);
    out_.put(header, static_cast<std::size_t>(at - header));
}

void DERFastEncoder::sortWritten(const std::vector<std::size_t>& sizes) {
    if (out_.full()) return;  // only counting: there is nothing to put in order
    unsigned char* start = out_.front();
    std::vector<std::pair<const unsigned char*, std::size_t>> elements;  // in the order they lie in
    elements.reserve(sizes.size());
    std::size_t total = 0;
    for (auto size = sizes.rbegin(); size != sizes.rend(); ++size) {
        elements.emplace_back(start + total, *size);
        total += *size;
    }
    // Octet by octet, a prefix before the longer encoding.
    const auto before = [](const auto& a, const auto& b) {
        return std::lexicographical_compare(a.first, a.first + a.second, b.first, b.first + b.second);
    };
    if (std::is_sorted(elements.begin(), elements.end(), before)) return;
    const std::vector<unsigned char> written(start, start + total);
    for (auto& element : elements) element.first = written.data() + (element.first - start);
    std::sort(elements.begin(), elements.end(), before);
    for (const auto& [element, size] : elements) {
        std::memcpy(start, element, size);
        start += size;
    }
}

}  // namespace Ostrel
