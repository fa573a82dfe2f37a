#pragma once
#include "zentrik/platform/asn1/ASN1ValueHolder.h"

namespace Ostrel {

/// CHOICE (kind -5): the chosen alternative. The coders write the alternative's own encoding, inside
/// [n] when the choice is explicitly tagged.
class ZENTRIK_API ASN1Choice : public ASN1ValueHolder {
  public:
    /// The ASN1ClassBit bits of this class and its bases: what libraryClasses() returns.
    static constexpr std::uint32_t CLASS_BITS = ASN1ValueHolder::CLASS_BITS | ASN1ClassBit::CHOICE;
    std::uint32_t libraryClasses() const noexcept override { return CLASS_BITS; }
    /// Whether a value of kind `tag` may be of this class (used by asn1_const_cast).
    static constexpr bool acceptsTag(int tag) noexcept { return tag == ASNTag::CHOICE; }

    ASN1Choice() noexcept : ASN1ValueHolder(ASNTag::CHOICE) {}  // unset
    /// A choice owning the alternative `chosen`, or holding a copy of it.
    /// @{
    explicit ASN1Choice(std::unique_ptr<ASN1Object> chosen)
        : ASN1ValueHolder(ASNTag::CHOICE, std::move(chosen)) {}
    explicit ASN1Choice(const ASN1Object& chosen);
    /// @}
    /// Copies and moves are deep; the destructor deletes what the object owns.
    /// @{
    ASN1Choice(const ASN1Choice&) = default;
    ASN1Choice& operator=(const ASN1Choice&) = default;
    /// @}
    ~ASN1Choice() override;

    ASN1Object* clone() const override;
};

}  // namespace Ostrel
