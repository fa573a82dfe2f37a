#pragma once
// The DER encoder behind DERCoder's static entry points. It writes the tree in one pass from its last
// octet to its first, into one buffer: an element's contents before its identifier and length, which
// then need no buffer of their own per level and no second copy. An encoding too long for the room
// on the stack is measured by that pass and written by a second one into room of exactly its size.
//
// It writes itself what it can write plainly: values held as octets (as decoded), structures, ANY,
// CHOICE, stored encodings. A leaf held otherwise (a number, a text, arcs, a bit string of segments)
// is encoded by DERCoder's own encoder and its octets put in place. Anything else (an unset value that
// is not optional, a streamed string, a kind DER refuses, nesting past the limit, or a leaf whose
// encoding fails) makes it give up before any stream was read, and the whole call goes through
// DERCoder's encoder, so that octets and failures are DERCoder's throughout.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "zentrik/asn1/BackwardBuffer.h"
#include "zentrik/asn1/DERCoder.h"

namespace Ostrel {

class DERFastEncoder {
  public:
    /// The DER encoding of `value`, a value that is to be written (DERCoder::isValid was true).
    /// Failures as DERCoder's virtual encode raises them.
    static ByteArray encode(const ASN1Object* value);
    /// The same, written to `out` in one piece when it fits the room on the stack, else by DERCoder's
    /// encoder (a failure of `out` is reported as the dispatch reports it, though what `out` holds then
    /// may differ).
    static void encode(const ASN1Object* value, OutputStream& out);

  private:
    // Writes into [begin, end) from its end.
    DERFastEncoder(unsigned char* begin, unsigned char* end);
    ~DERFastEncoder();

    // Encodes `value` into room of its own and hands the encoding to `deliver(octets, size)`; when
    // it does not fit there, encodes it again into `room(size)`, which has room for exactly the
    // encoding (or is null). False, having delivered nothing, when the call is DERCoder's encoder's to
    // make.
    template <typename Room, typename Deliver>
    static bool run(const ASN1Object* value, Room&& room, Deliver&& deliver);

    // Each writes `value`, met `depth` levels of DERCoder's dispatch deep, in front of what was
    // written; false when the call is DERCoder's encoder's to make.
    bool put(const ASN1Object* value, unsigned int depth);
    bool putElement(const ASN1Object* value, unsigned int depth);
    bool putChoice(const ASN1Choice* value, unsigned int depth);
    template <typename Container>
    bool putComponents(const ASN1Object* value, const Container* container, bool sorted, unsigned int depth);
    bool putBlock(const ASN1Object* value);
    // Writes a primitive value held as octets; false, having written nothing, when it is not one.
    bool putContents(const ASN1Object* value);
    // The contents octets an identifier, string or time holds (as decoded); null when it holds none.
    static const ASN1ContentOctets* heldOctets(const ASN1Object* value);
    // Writes held contents octets; false, having written nothing, for null.
    bool putHeld(const ASN1ContentOctets* contents);
    // Hands the encoding of `value` to `out` in one piece.
    static void writeTo(OutputStream& out, const ASN1Object* value, const unsigned char* octets,
                        std::size_t size);
    // Writes the identifier and length octets of `value` for `length` contents octets.
    void putHeader(const ASN1Object* value, std::uint64_t length);
    // Puts the `sizes.size()` elements written last in the order of their encodings; `sizes` are
    // theirs, the last written first.
    void sortWritten(const std::vector<std::size_t>& sizes);

    // Whether DERCoder's dispatch would write `value` as this class does: set, or unset and optional,
    // within the nesting limit.
    static bool plain(const ASN1Object* value, unsigned int depth);
    // Whether DERCoder's encoder writes a value of this kind without reading any stream.
    static bool leafKind(int tag);

    BackwardBuffer out_;
    // The coding call that encodes leaves for put(), made when first needed.
    std::unique_ptr<EncodingStream> leaves_;
};

}  // namespace Ostrel
