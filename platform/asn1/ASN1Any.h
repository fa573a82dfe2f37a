#pragma once
#include "zentrik/platform/asn1/ASN1ValueHolder.h"

namespace Ostrel {

/// ANY (kind -4): a value of any type, written as that value (the ANY's own tagging is not written).
class ZENTRIK_API ASN1Any : public ASN1ValueHolder {
  public:
    /// The ASN1ClassBit bits of this class and its bases: what libraryClasses() returns.
    static constexpr std::uint32_t CLASS_BITS = ASN1ValueHolder::CLASS_BITS | ASN1ClassBit::ANY;
    std::uint32_t libraryClasses() const noexcept override { return CLASS_BITS; }
    /// Whether a value of kind `tag` may be of this class (used by asn1_const_cast).
    static constexpr bool acceptsTag(int tag) noexcept { return tag == ASNTag::ANY; }

    ASN1Any() noexcept : ASN1ValueHolder(ASNTag::ANY) {}  // unset
    /// An ANY owning `value`, or holding a copy of it.
    /// @{
    explicit ASN1Any(std::unique_ptr<ASN1Object> value) : ASN1ValueHolder(ASNTag::ANY, std::move(value)) {}
    explicit ASN1Any(const ASN1Object& value);
    /// @}
    /// Copies and moves are deep; the destructor deletes what the object owns.
    /// @{
    ASN1Any(const ASN1Any&) = default;
    ASN1Any& operator=(const ASN1Any&) = default;
    /// @}
    ~ASN1Any() override;

    ASN1Object* clone() const override;
};

}  // namespace Ostrel
