#pragma once
// Converting a BER encoding to DER without decoding it into values: every element at every depth,
// inside tagged elements of any class too, is rewritten by the DER rules.
#include <cstdint>

#include "zentrik/platform/asn1/ASN1Octets.h"
#include "zentrik/platform/utils/ByteArray.h"
#include "zentrik/platform/utils/Export.h"
#include "zentrik/platform/utils/InputStream.h"
#include "zentrik/platform/utils/OutputStream.h"

namespace Ostrel {

using Velmora::ByteArray;
using Velmora::InputStream;
using Velmora::OutputStream;

/// Converts BER to DER element by element, without decoding into values.
///
/// What the conversion changes:
///  - indefinite lengths become definite ones, every length is written in its shortest form;
///  - universal strings in the constructed (segmented) form become primitive, their segments joined
///    (a BIT STRING keeps the unused-bit count of its last segment, and unused bits are cleared);
///  - the components of a SET are sorted by their encodings;
///  - a BOOLEAN TRUE becomes FF;
///  - identifiers are written in their shortest form.
/// A constructed element of another class keeps its tag and form (nothing says whether it stands for
/// a string) and has its contents converted. What DER fixes beyond the encoding (minimal INTEGERs,
/// the forms of times, trailing zero bits of named bit lists) is left as read.
///
/// Refused, as the decoders refuse them (CoderException, library 3): nesting deeper than
/// failures::kMaxNesting (25), contents that end before their length says (26), a length beyond
/// 2^63 - 1 or a tag number beyond 32 bits (27), an element running past the end of the element
/// around it (28), a padded tag number or misplaced end-of-contents octets (30), a BOOLEAN whose
/// length is not 1 (8), a NULL with contents (9), a segment of another type (21), an indefinite
/// primitive element (20), a constructed element of a universal type that has no constructed form
/// or the reverse (7), no data at all (13).
///
/// Memory: each element is held whole until its definite length is known, so a conversion takes
/// about twice the size of the element converted; a claimed length is never reserved up front.
class ZENTRIK_API BERToDER {
  public:
    /// A converter of the elements of `in`, which must outlive it.
    explicit BERToDER(InputStream& in) : in_(in) {}

    /// Converts the next element of the stream and writes its DER encoding to `out`; leaves the
    /// stream after the element.
    void convert(OutputStream& out);
    /// Converts the next element of the stream and returns its DER encoding.
    ByteArray convert();

    /// The offset in the stream of the element a failed conversion was reading.
    std::uint64_t failedOffset() const { return current_; }

  private:
    struct Header {
        octets::Identifier identifier;
        std::int64_t length = 0;  // octets::kIndefinite for the indefinite form
        std::uint64_t offset = 0;
        std::uint64_t contentsStart = 0;
        std::uint64_t contentsEnd() const { return contentsStart + static_cast<std::uint64_t>(length); }
    };
    // Where the contents of the element being read end: at an offset, or at end-of-contents octets.
    struct Enclosing {
        const Header* header;  // null at the top level
        std::uint64_t end;
    };

    Header readHeader(const Enclosing& enclosing);
    ByteArray element(const Header& header, unsigned int depth);
    ByteArray primitive(const Header& header);
    ByteArray constructed(const Header& header, unsigned int depth);
    ByteArray joinedString(const Header& header, unsigned int depth);
    void appendSegments(const Header& header, unsigned int depth, ByteArray& joined, int& unusedBits);
    ByteArray readContents(const Header& header);
    bool endOfContents();
    template <typename Visit>
    void forEachComponent(const Header& header, Visit&& visit);
    [[noreturn]] void overrun(const Header& inner, const Header& outer) const;

    InputStream& in_;
    std::uint64_t current_ = 0;
};

/// Whether a universal type is a string, which BER may write in segments (the constructed form).
ZENTRIK_API bool isStringType(std::uint32_t universalNumber);

/// The DER encoding of the one BER element `ber` holds; octets after it are refused (30).
ZENTRIK_API ByteArray berToDER(const ByteArray& ber);
/// Converts the next BER element of `in` and writes its DER encoding to `out`.
ZENTRIK_API void berToDER(InputStream& in, OutputStream& out);

}  // namespace Ostrel
