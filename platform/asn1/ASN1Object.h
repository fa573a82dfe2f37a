#pragma once
#include <iosfwd>
#include <memory>
#include <utility>
#include <variant>

#include "zentrik/platform/asn1/ASN1ClassBits.h"
#include "zentrik/platform/asn1/ASNTag.h"
#include "zentrik/platform/utils/BigNumber.h"
#include "zentrik/platform/utils/ByteArray.h"
#include "zentrik/platform/utils/Export.h"
#include "zentrik/platform/utils/IntArray.h"
#include "zentrik/platform/utils/String.h"

/// The ASN.1 value classes, the DER and BER coders and the streaming (IOU) readers and writers.
namespace Ostrel {

/// Base of every ASN.1 value.
///
/// A value knows its kind (getTagValue), how it is tagged (context and tag number, independent of the
/// value), whether it is optional, and whether a value has been set at all (isNull: "no value yet", not
/// the ASN.1 NULL type). Every setter of a derived class marks the value as set; a new value also drops
/// an encoding stored with setDERBytes, which would no longer match it.
///
/// Objects are made with `new` or makeASN1Object and released with deleteObject, a SmartPointer or a
/// std::unique_ptr. Derived classes are copyable (deep copies); clone() copies through the base.
///
/// Values are not synchronised: a value may be encoded by several threads at once, but its accessors
/// build numbers, arcs and text on first use, so read it once on one thread before sharing it for
/// reading; never change a value another thread uses.

class ZENTRIK_API ASN1Object {
  public:
    virtual ~ASN1Object() = default;

    /// Tags the value implicitly ([n] in place of its universal identifier).
    virtual void setImplicitTag(unsigned int tagNumber);
    /// Tags the value explicitly ([n] around its universal encoding).
    virtual void setExplicitTag(unsigned int tagNumber);
    /// Stores an encoding that the coders write unchanged; non-empty octets mark the value as set.
    virtual void setDERBytes(const Velmora::ByteArray& der);
    /// The same, taking the octets over where the class can (by default it copies them through the
    /// overload above, so that a class replacing that one keeps seeing every encoding).
    virtual void setDERBytes(Velmora::ByteArray&& der);
    /// A deep copy, owned by the caller.
    virtual ASN1Object* clone() const = 0;
    /// Same kind, same tagging, same stored encoding and the same value (or both unset).
    /// Optionality is a property of the place a value fills, not of the value, and is not compared.
    virtual bool equals(const ASN1Object& other) const;
    /// The value as readable text ("<unset>" while no value is set).
    virtual Velmora::String toString() const;
    /// The ASN1ClassBit of every library class this value is an instance of; 0 for a class of the
    /// caller's own deriving from ASN1Object directly. Used by asn1_const_cast.
    virtual std::uint32_t libraryClasses() const noexcept { return CLASS_BITS; }
    /// The ASN1ClassBit bits of this class and its bases: what libraryClasses() returns.
    static constexpr std::uint32_t CLASS_BITS = 0;

    /// The kind of the value: a universal tag or one of the markers of ASNTag.
    /// @{
    ASNTag::ASN1_TAG getTagValue() const noexcept { return tag_; }
    ASNTag getTag() const noexcept { return ASNTag(tag_); }
    /// @}
    /// How the value is tagged: UNTAGGED, EXPLICIT or IMPLICIT.
    ASNTag::CONTEXT taggedContext() const noexcept { return extra_ ? extra_->context : ASNTag::UNTAGGED; }
    /// The tag number [n] of a tagged value (of an ASN1TaggedValue, the tag it was read with); 0 untagged.
    unsigned int taggedValue() const noexcept { return extra_ ? extra_->tagNumber : 0; }
    /// Removes explicit or implicit tagging.
    void setUntagged() noexcept {
        if (!extra_) return;
        extra_->context = ASNTag::UNTAGGED;
        extra_->tagNumber = 0;
    }

    /// SEQUENCE and SET; strings holding segments or marked constructed; stored encodings whose
    /// identifier has the constructed bit.
    bool isConstructed() const noexcept { return constructed_; }
    /// Whether the value fills an OPTIONAL place: an unset optional value is left out when encoding.
    /// @{
    bool isOptional() const noexcept { return optional_; }
    void setOptional(bool optional) noexcept { optional_ = optional; }
    /// @}
    /// Whether no value has been set yet ("no value", not the ASN.1 NULL type).
    bool isNull() const noexcept { return null_; }
    /// Whether the value is an ASN1Choice.
    bool isChoice() const noexcept { return tag_ == ASNTag::CHOICE; }
    /// Whether the value is an ASN1Any.
    bool isAny() const noexcept { return tag_ == ASNTag::ANY; }
    /// The encoding stored with setDERBytes (or kept by a decoder); empty when there is none. It lives as
    /// long as the value and no new value or encoding is set.
    const Velmora::ByteArray& getDERBytes() const noexcept {
        return extra_ ? extra_->der : Velmora::ByteArray::emptyArray;
    }

    /// An empty value of the class that stands for `tag`: the universal tags 1 to 6, 10, 12, 18 to 20,
    /// 22 to 24, 26, 28, 30, 35 (a constructed BIT STRING), 36 (a constructed OCTET STRING), 48, 49, and
    /// the markers -4 (ANY), -5 (CHOICE), -8 (SET OF) and -6 (a tagged element with tag number
    /// `tagNumber`, whose encoding is then given with setDERBytes). Any other tag throws Exception
    /// (LIB_ASN1, ASN1Error::UNKNOWN_TAG). The caller owns the result.
    static ASN1Object* makeASN1Object(ASNTag::ASN1_TAG tag, unsigned int tagNumber = 0);
    /// Deletes a value made by makeASN1Object, clone or new; null is accepted.
    static void deleteObject(ASN1Object* value) noexcept;

    /// Values take their memory from a small per-thread cache of freed blocks (see ASN1ValueCache.h).
    /// @{
    static void* operator new(std::size_t size);
    static void operator delete(void* block, std::size_t size) noexcept;
    /// @}

  protected:
    /// For derived classes, including value kinds of their own (any tag may be given).
    explicit ASN1Object(ASNTag::ASN1_TAG tag) noexcept : tag_(tag) {}
    /// Copies are deep: the stored encoding is copied too.
    /// @{
    ASN1Object(const ASN1Object& other);
    /// Copies and moves are deep; the destructor deletes what the object owns.
    ASN1Object(ASN1Object&&) noexcept = default;
    ASN1Object& operator=(const ASN1Object& other);
    /// Copies and moves are deep; the destructor deletes what the object owns.
    ASN1Object& operator=(ASN1Object&&) noexcept = default;
    /// @}

    /// Called by every setter: the value is set and a stored encoding no longer applies.
    void valueChanged() noexcept {
        null_ = false;
        if (extra_) extra_->der.clear();
    }
    /// For derived classes: marks the value constructed, sets its tag number, marks it set or unset.
    /// @{
    void setConstructedFlag(bool constructed) noexcept { constructed_ = constructed; }
    void setTagNumber(unsigned int tagNumber) {
        if (tagNumber != 0 || extra_) extra().tagNumber = tagNumber;
    }
    void markSet() noexcept { null_ = false; }
    void markUnset() noexcept { null_ = true; }
    /// @}
    /// Stores an encoding without copying it (as setDERBytes does).
    void storeDERBytes(Velmora::ByteArray&& der);
    /// Compares what every value has (kind, tagging, stored encoding, set or not).
    bool sameFrame(const ASN1Object& other) const noexcept;

    /// The form a value builds from its contents octets on first use (a number, a text, arcs), or the
    /// one it was given (cachedForm: null when there is none of type T; cacheForm keeps `form`;
    /// dropCachedForm forgets it).
    /// @{
    template <typename T>
    const T* cachedForm() const noexcept {
        return extra_ ? std::get_if<T>(&extra_->form) : nullptr;
    }
    template <typename T>
    const T& cacheForm(T&& form) const {
        return extra().form.template emplace<std::decay_t<T>>(std::forward<T>(form));
    }
    void dropCachedForm() const noexcept {
        if (extra_) extra_->form = std::monostate{};
    }
    /// @}

  private:
    // What most values never use, held out of line so that a small value stays small: the stored
    // encoding, the tagging and a form built from the contents octets.
    struct Extra {
        Velmora::ByteArray der;  // empty for none
        ASNTag::CONTEXT context = ASNTag::UNTAGGED;
        unsigned int tagNumber = 0;
        std::variant<std::monostate, Velmora::BigNumber, Velmora::String, Velmora::IntArray> form;

        // From the block cache of the values themselves.
        static void* operator new(std::size_t size);
        static void operator delete(void* block, std::size_t size) noexcept;
    };
    // Made on first use.
    Extra& extra() const;
    // Deletes the extras out of line, so that the destructors that every value runs stay small.
    static void deleteExtra(Extra* extra) noexcept;
    struct ExtraDeleter {
        void operator()(Extra* extra) const noexcept { deleteExtra(extra); }
    };

    mutable std::unique_ptr<Extra, ExtraDeleter> extra_;
    ASNTag::ASN1_TAG tag_;
    bool constructed_ = false;
    bool optional_ = false;
    bool null_ = true;
};

/// Value comparison through equals().
ZENTRIK_API bool operator==(const ASN1Object& a, const ASN1Object& b);
/// Prints toString().

ZENTRIK_API std::ostream& operator<<(std::ostream& out, const ASN1Object& value);

}  // namespace Ostrel
