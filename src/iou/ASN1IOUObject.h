#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "zentrik/platform/asn1/ASN1.h"
#include "zentrik/platform/utils/ByteArray.h"
#include "zentrik/platform/utils/Export.h"
#include "zentrik/platform/utils/InputStream.h"
#include "zentrik/platform/utils/OutputStream.h"
#include "zentrik/platform/utils/SmartPointer.h"

namespace Ostrel {

using Velmora::ByteArray;
using Velmora::InputStream;
using Velmora::OutputStream;
using Velmora::SmartPointer;

/// One ASN.1 element on a stream whose header is handled at once and whose contents come later, a
/// piece at a time: an IOU for its contents.
///
/// A reading object consumes the identifier and length octets when it is made; the caller then takes
/// the contents as further IOU objects (one per component), as the segments of an OCTET STRING
/// (hasData / getData), or whole as a decoded value (getValue). A writing object writes a constructed
/// header of indefinite length, then whole components, and endIOU closes it with end-of-contents.
///
/// Objects on one stream share nothing but the stream position: the caller works in stream order and
/// finishes (reads to its end, ends or releases) a component before the parent's next operation.
/// Streams belong to the caller and must outlive every object built on them.
class ZENTRIK_API ASN1IOUObject {
  public:
    /// A primitive OCTET STRING longer than this (plain, explicit or implicit) stays in the stream until
    /// getData delivers it in pieces of at most this many octets.
    static constexpr unsigned int kLargestPiece = 64 * 1024;

    /// Reading object: consumes the header, and a primitive element whole (it is decoded at once),
    /// except an OCTET STRING longer than kLargestPiece, which getData (or getValue) reads later.
    /// @throws Velmora::CoderException 23 on a context-specific or private element, 24 or 26 when the data
    ///         ends inside the header or a primitive element, 27 and 30 for unholdable or padded tag
    ///         numbers and lengths, and the BER decoder's failures for a primitive element.
    explicit ASN1IOUObject(InputStream& in);
    /// Writing object: writes `tag | 0x20` and 0x80, a constructed header of indefinite length.
    ASN1IOUObject(OutputStream& out, ASNTag::ASN1_TAG tag);
    ASN1IOUObject(const ASN1IOUObject&) = delete;
    ASN1IOUObject& operator=(const ASN1IOUObject&) = delete;
    /// Finishes an unfinished element as endIOU does; failures while doing so are dropped.
    virtual ~ASN1IOUObject();

    /// The whole element, decoded once (through its end-of-contents for the indefinite form); null on a
    /// writing object. Owned by this object.
    /// @throws Velmora::CoderException 29 when some of the contents were read piecewise already, and the
    ///         BER decoder's failures.
    virtual ASN1Object* getValue();

    /// The next component, or an empty handle when none follows (at the indefinite end this consumes
    /// the end-of-contents octets and ends the element).
    /// @throws Velmora::CoderException as the constructor does, and 28 when the component runs past the
    ///         end of this definite-length element.
    SmartPointer<ASN1IOUObject> getNextComponent();
    /// The next component read as an implicitly tagged element of universal type `tag`
    /// (ASN1IOUImplicitObject); an empty handle when none follows. Failures as getNextComponent, and 22
    /// when the component is not tagged.
    SmartPointer<ASN1IOUObject> getNextImplicitComponent(ASNTag::ASN1_TAG tag);
    /// The next component read as an explicitly tagged element (ASN1IOUExplicitObject), its header and
    /// the inner element's header consumed; an empty handle when none follows. Failures as
    /// getNextImplicitComponent.
    SmartPointer<ASN1IOUObject> getNextExplicitComponent();
    /// Whether a component follows; consumes nothing.
    bool hasNextComponent();

    /// Whether the identifier has the constructed bit 0x20.
    bool isConstructed() const { return (identifier & 0x20) != 0; }
    /// Whether getData has a piece of an OCTET STRING or BIT STRING to deliver.
    bool hasData() const;
    /// The next segment of a constructed OCTET STRING, the next piece of a long primitive one, the
    /// whole of a short one, or a whole BIT STRING.
    const ByteArray getData();
    /// The unused bits of the last BIT STRING octet getData delivered.
    unsigned int getNumberOfInsignificantBits() const { return numberOfInsignificantBits; }

    /// Writes one whole component in BER; does nothing on a reading object or an ended element.
    void addComponent(const ASN1Object& component);
    /// Finishes the element: writes or consumes its end-of-contents octets as far as they are still due,
    /// after what is left in the stream of a primitive element's contents.
    virtual void endIOU() const;
    /// Gives the element up without writing or reading anything more: a writer that failed leaves its
    /// element visibly unterminated instead of closing it.
    void abandonIOU() const { ended = true; }

    /// The identifier octet as read (class, constructed bit, tag number bits); for an explicit object
    /// the inner element's, for an implicit one the class bits ORed with the universal tag.
    unsigned int getIdentifier() const { return identifier; }
    /// The tag number of the identifier, also when it is written in the high-tag-number form.
    unsigned int getTagNumber() const { return (identifier & 0x1F) == 0x1F ? tagNumber : identifier & 0x1F; }
    /// The context tag number of an explicit or implicit object; 0 for a plain one.
    unsigned int getTaggedValue() const { return taggedValue; }
    /// The contents length; -1 for the indefinite form.
    int getLength() const { return length; }
    /// Whether the length octets were the indefinite form.
    bool isIndefinite() const { return indefinite; }
    /// Whether the element is finished (end-of-contents written or consumed, or abandoned).
    bool isEnded() const { return ended; }

  protected:
    ASN1IOUObject();

    /// Whether the end-of-contents octets come next; looks without consuming.
    virtual bool foundIndefinateLengthTerminator() const;

    /// Header reading shared by the three readers. Truncated length or tag-number octets are failure 26.
    static int readLength(InputStream& in, const char* operation);
    /// The tag number of a high-tag-number identifier, whose first octet was read already.
    static unsigned int readLongTagNumber(InputStream& in, const char* operation);
    /// The identifier octets of a universal or application element as read, rebuilt.
    ByteArray identifierOctets() const;
    /// The length octets of the element's contents, rebuilt: 0x80 or the definite length in minimal form.
    ByteArray lengthOctets() const;
    /// Whether `count` zero octets come next; failure 24 with `operation` when fewer octets are left.
    bool zerosFollow(unsigned int count, const char* operation) const;
    /// Consumes `count` end-of-contents octets; failure 26 with `operation` when the data ends first.
    void consumeEndOfContents(unsigned int count, const char* operation) const;
    /// Refuses a tag that does not fit one identifier octet (failure 27).
    static unsigned char writableTag(ASNTag::ASN1_TAG tag, const char* operation);
    /// Ends an unfinished element with the endIOU of `self`'s own class, for destructors: a failure
    /// leaves the element unfinished instead of escaping.
    template <typename Self>
    static void endFromDestructor(const Self& self) noexcept {
        if (self.ended) return;
        try {
            self.Self::endIOU();
        } catch (...) {
        }
        self.ended = true;
    }
    /// getValue must find the contents untouched; failure 29 with `operation` otherwise.
    void checkContentsUntouched(const char* operation) const;
    /// Consumes what is still in the stream of a primitive element's contents (pieces not taken, or
    /// contents never decoded), so that endIOU leaves the stream after them; failure 26 with
    /// `operation` when the data ends first.
    void skipRemainingContents(const char* operation) const;
    /// Octets of the contents consumed so far (the definite form's position).
    std::uint64_t consumed() const { return inputStream->getCount() - contentsStart; }

    /// @cond INTERNAL
    InputStream* inputStream = nullptr;
    OutputStream* outputStream = nullptr;
    SmartPointer<ASN1Object> value;
    std::uint32_t identifier = 0;
    std::uint32_t taggedValue = 0;
    std::int32_t length = 0;
    std::uint64_t contentsStart = 0;
    std::uint32_t numberOfInsignificantBits = 0;
    bool dataTaken = false;
    mutable bool ended = false;
    bool indefinite = false;

    /// The tag number of a universal, application or inner identifier in the high-tag-number form.
    std::uint32_t tagNumber = 0;
    /// The identifier names a universal type: true for implicit objects, whose class bits are the tag's.
    bool universalType = false;
    /// getValue has consumed the element whole: nothing of it is left in the stream, its
    /// end-of-contents included.
    bool complete = false;
    /// Some of the contents (a component, a piece, end-of-contents octets) has been consumed.
    mutable bool contentsTouched = false;
    /// @endcond

    /// A new reader of class `Reader` made on `in`, handed out in a handle that deletes it through its
    /// virtual destructor; nothing is left behind when the constructor throws.
    template <typename Reader, typename... Arguments>
    static SmartPointer<ASN1IOUObject> open(InputStream& in, Arguments... arguments) {
        auto reader = std::make_unique<Reader>(in, arguments...);
        SmartPointer<ASN1IOUObject> handle(reader.get());
        reader.release();
        return handle;
    }

  private:
    friend class BERCoder;  // its factories open readers
    // How the element is named in messages: its type or its tag.
    std::string elementName() const;
    // Failure 28 when a component that starts at `offset` (or, with none, the last one read) runs
    // past the end of this definite-length element.
    void checkInside(const ASN1IOUObject* component, std::uint64_t offset) const;
    template <typename Component, typename... Arguments>
    SmartPointer<ASN1IOUObject> nextComponent(Arguments... arguments);
    bool componentsRemain();
    bool deliversInPieces() const;
    ByteArray nextPiece();
};

}  // namespace Ostrel
