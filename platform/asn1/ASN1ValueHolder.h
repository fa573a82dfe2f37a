#pragma once
#include <memory>

#include "zentrik/platform/asn1/ASN1Object.h"

namespace Ostrel {

/// Base of the kinds that stand for another value (CHOICE, ANY): it owns that value.
/// Unset until a value is given.
class ZENTRIK_API ASN1ValueHolder : public ASN1Object {
  public:
    /// The ASN1ClassBit bits of this class and its bases: what libraryClasses() returns.
    static constexpr std::uint32_t CLASS_BITS = ASN1Object::CLASS_BITS | ASN1ClassBit::VALUE_HOLDER;
    std::uint32_t libraryClasses() const noexcept override { return CLASS_BITS; }
    /// Copies and moves are deep: a copy holds a copy of the value.
    /// @{
    ASN1ValueHolder(const ASN1ValueHolder& other);
    ASN1ValueHolder(ASN1ValueHolder&&) noexcept = default;
    ASN1ValueHolder& operator=(const ASN1ValueHolder& other);
    ASN1ValueHolder& operator=(ASN1ValueHolder&&) noexcept = default;
    /// @}
    ~ASN1ValueHolder() override;

    /// The held value, or null.
    /// @{
    const ASN1Object* getValue() const noexcept { return value_.get(); }
    ASN1Object* getValue() noexcept { return value_.get(); }
    /// @}
    /// Takes ownership of `value` (also when this throws); null throws Exception (LIB_ASN1,
    /// ASN1Error::NULL_COMPONENT).
    /// @{
    void setValue(ASN1Object* value);
    void setValue(std::unique_ptr<ASN1Object> value);
    /// @}
    /// Holds a copy of `value`.
    void setValue(const ASN1Object& value);
    /// Gives the held value to the caller; the holder is unset afterwards.
    std::unique_ptr<ASN1Object> releaseValue() noexcept;

    bool equals(const ASN1Object& other) const override;
    Velmora::String toString() const override;  ///< the held value's text

  protected:
    /// For the derived classes: an unset holder of kind `tag`, or one owning `value`.
    /// @{
    explicit ASN1ValueHolder(ASNTag::ASN1_TAG tag) noexcept : ASN1Object(tag) {}
    ASN1ValueHolder(ASNTag::ASN1_TAG tag, std::unique_ptr<ASN1Object> value);
    /// @}

  private:
    std::unique_ptr<ASN1Object> value_;
};

}  // namespace Ostrel
