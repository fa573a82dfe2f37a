#pragma once
#include <memory>

#include "zentrik/platform/asn1/ASN1SegmentedString.h"
#include "zentrik/platform/utils/InputStream.h"

namespace Ostrel {

/// OCTET STRING (tag 4).
///
/// Three forms: the octets themselves; segments (BER's constructed form) appended with appendComponent,
/// which make the string report isConstructed() while keeping the tag value 4, and whose octets
/// getValue() concatenates; or a stream that the string owns and that supplies the contents when the
/// string is encoded (isStreamable()), so that a large value need not be held in memory.
class ZENTRIK_API ASN1OctetString : public ASN1SegmentedString {
  public:
    /// The ASN1ClassBit bits of this class and its bases: what libraryClasses() returns.
    static constexpr std::uint32_t CLASS_BITS = ASN1Object::CLASS_BITS | ASN1ClassBit::OCTET_STRING;
    std::uint32_t libraryClasses() const noexcept override { return CLASS_BITS; }
    /// Whether a value of kind `tag` may be of this class (used by asn1_const_cast).
    static constexpr bool acceptsTag(int tag) noexcept { return tag == ASNTag::OCTET_STRING; }

    ASN1OctetString() noexcept : ASN1SegmentedString(ASNTag::OCTET_STRING) {}  // unset
    /// A set string of the octets `value`.
    /// @{
    explicit ASN1OctetString(const Velmora::ByteArray& value);
    explicit ASN1OctetString(Velmora::ByteArray&& value) noexcept;
    /// @}
    /// A streamable string reading its contents from `stream`, which it owns.
    explicit ASN1OctetString(std::unique_ptr<Velmora::InputStream> stream);
    /// Copies are deep. A streamable string cannot be copied: Exception (LIB_ASN1,
    /// ASN1Error::STREAM_NOT_COPYABLE).
    /// @{
    ASN1OctetString(const ASN1OctetString& other);
    ASN1OctetString(ASN1OctetString&&) noexcept = default;
    ASN1OctetString& operator=(const ASN1OctetString& other);
    ASN1OctetString& operator=(ASN1OctetString&&) noexcept = default;
    /// @}
    ~ASN1OctetString() override;

    /// The octets: the string's own, or the concatenation of its segments' values. A segment that is
    /// not an OCTET STRING throws Exception (LIB_ASN1, ASN1Error::FOREIGN_SEGMENT). A streamable
    /// string gives its own octets (empty): its contents stay in the stream.
    const Velmora::ByteArray getValue() const;
    /// Replaces the contents (segments and stream included).
    /// @{
    void setValue(const Velmora::ByteArray& value);
    void setValue(Velmora::ByteArray&& value) noexcept;
    /// @}

    /// Hands the string a stream to take its contents from (replacing other contents); null removes it.
    void setInputStream(std::unique_ptr<Velmora::InputStream> stream);
    /// Whether the string takes its contents from a stream.
    bool isStreamable() const noexcept { return stream_ != nullptr; }
    /// The owned stream, or null; the coders read it to its end.
    Velmora::InputStream* getInputStream() const noexcept { return stream_.get(); }

    ASN1Object* clone() const override;
    bool equals(const ASN1Object& other) const override;  ///< streamable strings equal only themselves
    Velmora::String toString() const override;            ///< hexadecimal

  private:
    // `other`, once it is known to hold no stream (Exception STREAM_NOT_COPYABLE otherwise).
    static const ASN1OctetString& copyable(const ASN1OctetString& other);

    std::unique_ptr<Velmora::InputStream> stream_;
};

}  // namespace Ostrel
