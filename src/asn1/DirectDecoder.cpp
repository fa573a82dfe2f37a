#include "zentrik/asn1/DirectDecoder.h"

#include <memory>

#include "zentrik/platform/utils/Exception.h"

namespace Ostrel {

using Velmora::ByteArray;

namespace {
// A value of the class the object library makes for a universal identifier octet.
template <typename T>
std::unique_ptr<T> made(unsigned char octet) {
    return std::unique_ptr<T>(
        static_cast<T*>(ASN1Object::makeASN1Object(static_cast<ASNTag::ASN1_TAG>(octet), 0)));
}
}  // namespace

Owned<> DirectDecoder::decode(std::size_t& used) {
    const unsigned char* const start = at_;
    try {
        Owned<> value(element(end_, 0));
        if (value) used = static_cast<std::size_t>(at_ - start);
        return value;
    } catch (const Velmora::Exception&) {  // a value refused its contents: the stream decoder says why
        return nullptr;
    }
}

bool DirectDecoder::check(std::size_t& used) {
    const unsigned char* const start = at_;
    if (!checkElement(end_, 0)) return false;
    used = static_cast<std::size_t>(at_ - start);
    return true;
}

Owned<> DirectDecoder::decodeFront(Velmora::InputStream& in, Rules rules) {
    const unsigned char* end = nullptr;
    const unsigned char* at = in.windowAhead(end);
    if (at == end) return nullptr;
    std::size_t used = 0;
    Owned<> value = DirectDecoder(at, end, rules).decode(used);
    if (value) in.consumeInPlace(used);
    return value;
}

inline bool DirectDecoder::header(const unsigned char* limit, Header& header) {
    if (limit - at_ < 2) return false;
    header.identifier = at_[0];
    if ((header.identifier & 0x1F) == 0x1F) return false;  // high tag numbers: the stream decoder's
    const unsigned char first = at_[1];
    at_ += 2;
    header.indefinite = false;
    if (first < 0x80) {
        header.length = first;
    } else if (first == 0x80) {
        header.length = 0;
        header.indefinite = true;
        return ber_ && (header.identifier == 0x30 || header.identifier == 0x31);
    } else {
        // Long form, minimal only (what the stream decoder writes back for tagged elements), below 2^31.
        const std::size_t count = first & 0x7F;
        if (count > 4 || static_cast<std::size_t>(limit - at_) < count || at_[0] == 0) return false;
        std::size_t length = 0;
        for (std::size_t i = 0; i < count; ++i) length = (length << 8) | at_[i];
        if (length < 0x80 || length > 0x7FFFFFFF) return false;
        at_ += count;
        header.length = length;
    }
    return static_cast<std::size_t>(limit - at_) >= header.length;
}

ASN1Object* DirectDecoder::element(const unsigned char* limit, unsigned int depth) {
    const unsigned char* const start = at_;
    Header h;
    if (!header(limit, h)) return nullptr;
    if (isStructure(h)) return structure(h, limit, depth);
    const unsigned char* const contents = at_;
    at_ += h.length;
    // An identifier's octets are checked as they are stored (primitive gives null for bad ones).
    if (h.identifier != ASNTag::OBJECT_IDENTIFIER && !takes(h.identifier, contents, h.length)) return nullptr;
    return primitive(h.identifier, start, contents, h.length);
}

ASN1Object* DirectDecoder::structure(const Header& header, const unsigned char* limit, unsigned int depth) {
    if (depth >= kDepthLimit) return nullptr;
    std::unique_ptr<ASNStructured> structure(
        header.identifier == 0x30 ? static_cast<ASNStructured*>(new ASN1Sequence()) : new ASN1Set());
    structure->ignoreComponentRules(true);
    const bool read = components(header, limit, [this, depth, &structure](const unsigned char* end) {
        ASN1Object* component = element(end, depth + 1);
        if (!component) return false;
        structure->appendComponent(std::unique_ptr<ASN1Object>(component));
        return true;
    });
    return read ? structure.release() : nullptr;
}

bool DirectDecoder::checkElement(const unsigned char* limit, unsigned int depth) {
    Header h;
    if (!header(limit, h)) return false;
    if (isStructure(h))
        return depth < kDepthLimit && components(h, limit, [this, depth](const unsigned char* end) {
                   return checkElement(end, depth + 1);
               });
    const unsigned char* const contents = at_;
    at_ += h.length;
    return takes(h.identifier, contents, h.length);
}

template <typename Component>
bool DirectDecoder::components(const Header& header, const unsigned char* limit, Component&& component) {
    if (!header.indefinite) {
        const unsigned char* const end = at_ + header.length;
        while (at_ < end)
            if (!component(end)) return false;
        return true;
    }
    for (;;) {  // through the end-of-contents octets, inside the enclosing element
        if (limit - at_ < 2) return false;
        if (at_[0] == 0x00 && at_[1] == 0x00) {
            at_ += 2;
            return true;
        }
        if (!component(limit)) return false;
    }
}

bool DirectDecoder::takes(unsigned char identifier, const unsigned char* contents, std::size_t length) const {
    switch (identifier) {
        case ASNTag::BOOLEAN:
            return length == 1 && (ber_ || contents[0] == 0x00 || contents[0] == 0xFF);
        case ASNTag::INTEGER:
        case ASNTag::OCTET_STRING:
            return true;
        case ASNTag::BIT_STRING:  // the unused-bits octet comes first
            return length != 0;
        case ASNTag::ASN1_NULL:
            return length == 0;
        case ASNTag::OBJECT_IDENTIFIER:
            return ASN1ObjectIdentifier::isContentOctets(contents, length);
        default:
            // Strings whose octets are whole characters of their kind, times, and context-specific
            // and private elements (kept as their encoding); ENUMERATED, segmented strings and
            // unknown identifiers are the stream decoder's.
            if (ASN1String::acceptsTag(identifier))
                return !ASN1String::contentOctetsFault(static_cast<ASNTag::ASN1_TAG>(identifier), contents,
                                                       length);
            return ASN1Time::acceptsTag(identifier) || (identifier & 0x80) != 0;
    }
}

ASN1Object* DirectDecoder::primitive(unsigned char identifier, const unsigned char* start,
                                     const unsigned char* contents, std::size_t length) const {
    switch (identifier) {
        case ASNTag::BOOLEAN: {
            std::unique_ptr<ASN1Boolean> value(new ASN1Boolean());
            value->setValue(contents[0] != 0x00);
            return value.release();
        }
        case ASNTag::INTEGER: {
            std::unique_ptr<ASN1Integer> value(new ASN1Integer());
            value->setContentOctets(contents, length);
            return value.release();
        }
        case ASNTag::BIT_STRING: {
            std::unique_ptr<ASN1BitString> value(new ASN1BitString());
            value->setValue(ByteArray(contents + 1, length - 1), contents[0]);
            return value.release();
        }
        case ASNTag::OCTET_STRING: {
            std::unique_ptr<ASN1OctetString> value(new ASN1OctetString());
            value->setValue(ByteArray(contents, length));
            return value.release();
        }
        case ASNTag::ASN1_NULL:
            return new ASN1Null();
        case ASNTag::OBJECT_IDENTIFIER: {
            std::unique_ptr<ASN1ObjectIdentifier> value(new ASN1ObjectIdentifier());
            return value->setContentOctets(contents, length) ? value.release() : nullptr;
        }
        default:
            return otherPrimitive(identifier, start, contents, length);
    }
}

ASN1Object* DirectDecoder::otherPrimitive(unsigned char identifier, const unsigned char* start,
                                          const unsigned char* contents, std::size_t length) {
    if (ASN1String::acceptsTag(identifier)) {
        std::unique_ptr<ASN1String> value = made<ASN1String>(identifier);
        value->setContentOctets(contents, length);
        return value.release();
    }
    if (ASN1Time::acceptsTag(identifier)) {
        std::unique_ptr<ASN1Time> value = made<ASN1Time>(identifier);
        value->setContentOctets(contents, length);
        return value.release();
    }
    // A context-specific or private element, kept as its encoding, whose length octets are already
    // the minimal ones.
    std::unique_ptr<ASN1Object> value(ASN1Object::makeASN1Object(ASNTag::TAGGED, identifier & 0x1F));
    value->setDERBytes(ByteArray(start, static_cast<std::size_t>(contents + length - start)));
    return value.release();
}

}  // namespace Ostrel
