#pragma once
#include <memory>

#include "zentrik/platform/asn1/ASN1ComponentList.h"
#include "zentrik/platform/asn1/ASN1Object.h"

namespace Ostrel {

/// Base of the structured types: an ordered list of owned components.
///
/// A structure counts as set from the start (isNull() false): an empty SEQUENCE is a value of its own.
/// Its component rules: ASN1SetOf takes components of a single kind only; ignoreComponentRules(true)
/// (the decoders' setting) takes the components as they come.
class ZENTRIK_API ASNStructured : public ASN1Object {
  public:
    /// The ASN1ClassBit bits of this class and its bases: what libraryClasses() returns.
    static constexpr std::uint32_t CLASS_BITS = ASN1Object::CLASS_BITS | ASN1ClassBit::STRUCTURED;
    std::uint32_t libraryClasses() const noexcept override { return CLASS_BITS; }
    /// Whether a value of kind `tag` may be of this class (used by asn1_const_cast).
    static constexpr bool acceptsTag(int tag) noexcept {
        return tag == ASNTag::SEQUENCE || tag == ASNTag::SET || tag == ASNTag::SORTED_STRUCTURE;
    }

    /// Copies and moves are deep; the destructor deletes what the object owns.
    /// @{
    ASNStructured(const ASNStructured&) = default;
    ASNStructured(ASNStructured&&) noexcept = default;
    ASNStructured& operator=(const ASNStructured&) = default;
    ASNStructured& operator=(ASNStructured&&) noexcept = default;
    /// @}
    ~ASNStructured() override;

    /// How many components the structure holds.
    unsigned int getNumberOfComponents() const noexcept { return components_.size(); }
    /// Throws Velmora::IndexOutOfRange outside the components.
    /// @{
    const ASN1Object* getComponent(unsigned int index) const { return components_.at(index); }
    ASN1Object* getComponent(unsigned int index) { return components_.at(index); }
    /// @}

    /// Appends a component and takes ownership of it (also when this throws); `where` is reserved, pass
    /// 0. A null component throws Exception (LIB_ASN1, ASN1Error::NULL_COMPONENT); one that breaks the
    /// structure's rules throws Exception (LIB_ASN1, ASN1Error::COMPONENT_REFUSED).
    /// @{
    virtual void appendComponent(ASN1Object* component, int where = 0);
    void appendComponent(std::unique_ptr<ASN1Object> component) {
        if (component && !ignoreRules_) checkComponent(*component);  // a refused component is freed here
        components_.append(std::move(component));
        valueChanged();
    }
    /// @}
    /// Appends a copy of `component`.
    void add(const ASN1Object& component);
    /// Removes every component.
    void clearComponents() noexcept { components_.clear(); }
    /// Makes room for `count` components.
    void reserveComponents(std::size_t count) { components_.reserve(count); }

    /// Whether appendComponent takes every component as it comes, without the structure's rules (the
    /// decoders' setting).
    /// @{
    void ignoreComponentRules(bool ignore) noexcept { ignoreRules_ = ignore; }
    bool ignoresComponentRules() const noexcept { return ignoreRules_; }
    /// @}

    bool equals(const ASN1Object& other) const override;
    Velmora::String toString() const override;  ///< "SEQUENCE { a, b }"

  protected:
    /// A structure of kind `tag` (48, 49, -8 or a kind of the deriving class's own).
    explicit ASNStructured(ASNTag::ASN1_TAG tag) noexcept : ASN1Object(tag) {
        markSet();
        setConstructedFlag(true);
    }
    /// Throws when `component` may not join the structure; called unless the rules are ignored.
    virtual void checkComponent(const ASN1Object& component) const;

  private:
    ASN1ComponentList components_;
    bool ignoreRules_ = false;
};

/// SEQUENCE (tag 48): components in the order given.
class ZENTRIK_API ASN1Sequence : public ASNStructured {
  public:
    /// The ASN1ClassBit bits of this class and its bases: what libraryClasses() returns.
    static constexpr std::uint32_t CLASS_BITS = ASNStructured::CLASS_BITS | ASN1ClassBit::SEQUENCE;
    std::uint32_t libraryClasses() const noexcept override { return CLASS_BITS; }
    /// Whether a value of kind `tag` may be of this class (used by asn1_const_cast).
    static constexpr bool acceptsTag(int tag) noexcept { return tag == ASNTag::SEQUENCE; }
    ASN1Sequence() noexcept : ASNStructured(ASNTag::SEQUENCE) {}
    /// Copies and moves are deep; the destructor deletes what the object owns.
    /// @{
    ASN1Sequence(const ASN1Sequence&) = default;
    ASN1Sequence& operator=(const ASN1Sequence&) = default;
    /// @}
    ~ASN1Sequence() override;
    ASN1Object* clone() const override;
};

/// SET (tag 49): the DER encoder writes the components sorted by their encodings.
class ZENTRIK_API ASN1Set : public ASNStructured {
  public:
    /// The ASN1ClassBit bits of this class and its bases: what libraryClasses() returns.
    static constexpr std::uint32_t CLASS_BITS = ASNStructured::CLASS_BITS | ASN1ClassBit::SET;
    std::uint32_t libraryClasses() const noexcept override { return CLASS_BITS; }
    /// Whether a value of kind `tag` may be of this class (used by asn1_const_cast).
    static constexpr bool acceptsTag(int tag) noexcept { return tag == ASNTag::SET; }
    ASN1Set() noexcept : ASNStructured(ASNTag::SET) {}
    /// Copies and moves are deep; the destructor deletes what the object owns.
    /// @{
    ASN1Set(const ASN1Set&) = default;
    ASN1Set& operator=(const ASN1Set&) = default;
    /// @}
    ~ASN1Set() override;
    ASN1Object* clone() const override;
};

/// SET OF: a SET (tag 49, so it is written and sorted as one) whose components are all of one kind.
/// The kind -8 (SORTED_STRUCTURE) is left to structures of the caller's own: the identifier octet the
/// coders derive from a tag value is its low octet, which for -8 is no universal identifier.
class ZENTRIK_API ASN1SetOf : public ASN1Set {
  public:
    /// The ASN1ClassBit bits of this class and its bases: what libraryClasses() returns.
    static constexpr std::uint32_t CLASS_BITS = ASN1Set::CLASS_BITS | ASN1ClassBit::SET_OF;
    std::uint32_t libraryClasses() const noexcept override { return CLASS_BITS; }
    ASN1SetOf() noexcept = default;
    /// Copies and moves are deep; the destructor deletes what the object owns.
    /// @{
    ASN1SetOf(const ASN1SetOf&) = default;
    ASN1SetOf& operator=(const ASN1SetOf&) = default;
    /// @}
    ~ASN1SetOf() override;
    ASN1Object* clone() const override;

  protected:
    void checkComponent(const ASN1Object& component) const override;
};

}  // namespace Ostrel
