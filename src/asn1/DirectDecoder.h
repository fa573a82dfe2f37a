#pragma once
// Decodes well-formed elements straight from octets in memory, without the stream decoder's
// bookkeeping (virtual reads, pushed-back identifiers, position counting, nesting guards).
//
// It builds exactly the values the stream decoder builds, but only takes what it is sure of: at
// anything else (a fault, a form it leaves to the stream decoder, data that ends early, deep nesting)
// it gives up, and the caller decodes the same octets again through the stream decoder, which reports
// the fault with its number, operation and offset. Well-formed input is decoded once; bad input pays
// for a second attempt.
#include <cstddef>

#include "zentrik/asn1/DERCoder.h"

namespace Ostrel {

class DirectDecoder {
  public:
    // Which coder's rules apply: BER adds indefinite-length SEQUENCEs and SETs and any non-zero
    // BOOLEAN; segmented strings and indefinite tagged elements are left to the stream decoder.
    enum class Rules { der, ber };

    // Reads the octets [begin, end), which stay in memory while the decoder is used.
    DirectDecoder(const unsigned char* begin, const unsigned char* end, Rules rules) noexcept
        : at_(begin), end_(end), ber_(rules == Rules::ber) {}

    // The element at the start of the octets, or null when the decoder gave up; `used` receives how
    // many octets it took.
    Owned<> decode(std::size_t& used);

    // Whether decode() would give a value, without making one; `used` receives the element's size.
    // For callers that need the decoder's verdict on octets, not their values.
    bool check(std::size_t& used);

    // Decodes the element in memory at the front of `in` and takes its octets from the stream; null,
    // with nothing taken, when the decoder gave up or `in` holds nothing in place.
    static Owned<> decodeFront(Velmora::InputStream& in, Rules rules);

  private:
    struct Header {
        unsigned char identifier;
        std::size_t length;  // of the contents; 0 for the indefinite form
        bool indefinite;
    };
    // Levels of constructed elements followed; deeper input is left to the stream decoder, whose own
    // limit is higher, so that nothing it refuses for depth is ever taken here.
    static constexpr unsigned int kDepthLimit = 100;

    // Reads identifier and length octets at the position; false for a form left to the stream decoder
    // or contents that run past `limit`.
    [[gnu::always_inline]] inline bool header(const unsigned char* limit, Header& header);
    static bool isStructure(const Header& header) {
        return header.identifier == 0x30 || header.identifier == 0x31;
    }
    // The element at the position, which ends at or before `limit`, owned by the caller; null when the
    // decoder gives up. (Values under construction are held by std::unique_ptr, which deletes them as
    // ASN1Object::deleteObject does; a raw pointer is handed up so that each level costs no more.)
    ASN1Object* element(const unsigned char* limit, unsigned int depth);
    // The SEQUENCE or SET whose header was read, likewise.
    ASN1Object* structure(const Header& header, const unsigned char* limit, unsigned int depth);
    // The same rules without building values: whether the element would be decoded.
    bool checkElement(const unsigned char* limit, unsigned int depth);
    // Reads the components of a SEQUENCE or SET whose header was read, inside an element ending at
    // `limit`, each by `component(end)` (false: give up), through the end-of-contents octets of the
    // indefinite form.
    template <typename Component>
    bool components(const Header& header, const unsigned char* limit, Component&& component);
    // Whether the decoder takes a primitive element (or a tagged one, kept as its encoding) with these
    // contents; what it does not take is read, or refused, by the stream decoder.
    bool takes(unsigned char identifier, const unsigned char* contents, std::size_t length) const;
    // The value of an element that takes() accepted, owned by the caller; `start` is where its identifier
    // octets begin.
    ASN1Object* primitive(unsigned char identifier, const unsigned char* start, const unsigned char* contents,
                          std::size_t length) const;
    static ASN1Object* otherPrimitive(unsigned char identifier, const unsigned char* start,
                                      const unsigned char* contents, std::size_t length);

    const unsigned char* at_;
    const unsigned char* const end_;
    const bool ber_;
};

}  // namespace Ostrel
