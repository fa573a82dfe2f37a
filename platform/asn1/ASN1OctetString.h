#pragma once
#include <memory>

#include "zentrik/platform/asn1/ASN1ComponentList.h"
#include "zentrik/platform/asn1/ASN1Object.h"
#include "zentrik/platform/utils/InputStream.h"

namespace Ostrel {

// OCTET STRING (tag 4).
//
// Three forms: the octets themselves; segments (BER's constructed form) appended with appendComponent,
// which make the string report isConstructed() while keeping the tag value 4, and whose octets
// getValue() concatenates; or a stream that the string owns and that supplies the contents when the
// string is encoded (isStreamable()), so that a large value need not be held in memory.
class ZENTRIK_API ASN1OctetString : public ASN1Object {
  public:
    static constexpr std::uint32_t CLASS_BITS = ASN1Object::CLASS_BITS | ASN1ClassBit::OCTET_STRING;
    std::uint32_t libraryClasses() const noexcept override { return CLASS_BITS; }
    static constexpr bool acceptsTag(int tag) noexcept { return tag == ASNTag::OCTET_STRING; }

    ASN1OctetString() noexcept : ASN1Object(ASNTag::OCTET_STRING) {}  // unset
    explicit ASN1OctetString(const Velmora::ByteArray& value);
    explicit ASN1OctetString(Velmora::ByteArray&& value) noexcept;
    // A streamable string reading its contents from `stream`, which it owns.
    explicit ASN1OctetString(std::unique_ptr<Velmora::InputStream> stream);
    // Copies are deep. A streamable string cannot be copied: Exception (LIB_ASN1,
    // ASN1Error::STREAM_NOT_COPYABLE).
    ASN1OctetString(const ASN1OctetString& other);
    ASN1OctetString(ASN1OctetString&&) noexcept = default;
    ASN1OctetString& operator=(const ASN1OctetString& other);
    ASN1OctetString& operator=(ASN1OctetString&&) noexcept = default;
    ~ASN1OctetString() override;

    // The octets: the string's own, or the concatenation of its segments' values. A segment that is
    // not an OCTET STRING throws Exception (LIB_ASN1, ASN1Error::FOREIGN_SEGMENT). A streamable
    // string gives its own octets (empty): its contents stay in the stream.
    const Velmora::ByteArray getValue() const;
    // The string's own octets, those given with setValue, without its segments' (no copy).
    const Velmora::ByteArray& getOwnValue() const noexcept { return value_; }
    // Replaces the contents (segments and stream included).
    void setValue(const Velmora::ByteArray& value);
    void setValue(Velmora::ByteArray&& value) noexcept;

    // Appends a segment and takes ownership of it (also when this throws); `where` is reserved, pass 0.
    // A null segment throws Exception (LIB_ASN1, ASN1Error::NULL_COMPONENT).
    virtual void appendComponent(ASN1Object* segment, int where = 0);
    void appendComponent(std::unique_ptr<ASN1Object> segment);
    unsigned int getNumberOfComponents() const noexcept { return segments_.size(); }
    const ASN1Object* getComponent(unsigned int index) const { return segments_.at(index); }
    ASN1Object* getComponent(unsigned int index) { return segments_.at(index); }
    // Marks the string as constructed even without segments.
    void setConstructed(bool constructed) noexcept;

    // Hands the string a stream to take its contents from (replacing other contents); null removes it.
    void setInputStream(std::unique_ptr<Velmora::InputStream> stream);
    bool isStreamable() const noexcept { return stream_ != nullptr; }
    // The owned stream, or null; the coders read it to its end.
    Velmora::InputStream* getInputStream() const noexcept { return stream_.get(); }

    ASN1Object* clone() const override;
    bool equals(const ASN1Object& other) const override;  // streamable strings equal only themselves
    Velmora::String toString() const override;            // hexadecimal

  private:
    // Size and octets of the contents, walking nested segments without copying them on the way.
    std::size_t contentSize() const;
    void appendContent(Velmora::ByteArray& out) const;
    void updateConstructed() noexcept { setConstructedFlag(markedConstructed_ || !segments_.empty()); }

    Velmora::ByteArray value_;
    ASN1ComponentList segments_;
    std::unique_ptr<Velmora::InputStream> stream_;
    bool markedConstructed_ = false;
};

}  // namespace Ostrel
