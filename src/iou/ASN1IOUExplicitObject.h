#pragma once
#include "zentrik/iou/ASN1IOUObject.h"

namespace Ostrel {

/// An explicitly tagged element on a stream: an outer constructed [n] whose only contents are the whole
/// inner element. The object reads or writes both headers and then stands for the inner element.
///
/// The two headers may differ in form (one definite, the other indefinite): the inner form decides how
/// the contents end, the outer form whether end-of-contents octets follow the inner element.
class ZENTRIK_API ASN1IOUExplicitObject : public ASN1IOUObject {
  public:
    /// Reading object: consumes the outer header and the inner header.
    explicit ASN1IOUExplicitObject(InputStream& in);
    /// Writing object: writes [taggedValue] and the constructed inner header for `tag`, both indefinite.
    ASN1IOUExplicitObject(OutputStream& out, ASNTag::ASN1_TAG tag, unsigned int taggedValue);
    /// Finishes both elements as endIOU does; failures while doing so are dropped.
    ~ASN1IOUExplicitObject() override;

    /// The inner element decoded, marked as explicitly tagged [n].
    ASN1Object* getValue() override;
    /// Closes or consumes what is still due of the inner and then the outer end-of-contents.
    void endIOU() const override;

  protected:
    /// The inner and the outer end-of-contents next to each other (four zero octets); when only the inner
    /// element has the indefinite form, its own two octets.
    bool foundIndefinateLengthTerminator() const override;
};

}  // namespace Ostrel
