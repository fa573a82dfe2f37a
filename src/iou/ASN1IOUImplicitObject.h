#pragma once
#include "zentrik/iou/ASN1IOUObject.h"

namespace Ostrel {

/// An implicitly tagged element on a stream: the context tag [n] stands in place of the universal tag
/// of the type it carries, which the reader names, so that the element is read as that type.
class ZENTRIK_API ASN1IOUImplicitObject : public ASN1IOUObject {
  public:
    /// Reading object: consumes the header; `tag` is the universal type that [n] stands for.
    ASN1IOUImplicitObject(InputStream& in, ASNTag::ASN1_TAG tag);
    /// Writing object: writes a constructed header [taggedValue] of indefinite length.
    ASN1IOUImplicitObject(OutputStream& out, unsigned int taggedValue);
    ~ASN1IOUImplicitObject() override;

    /// The element decoded as its universal type, marked as implicitly tagged [n] and recording the
    /// encoding as read.
    ASN1Object* getValue() override;

    /// The universal type the contents are read as.
    ASNTag::ASN1_TAG getImplicitTag() const { return implicitTag; }

  private:
    ASNTag::ASN1_TAG implicitTag = static_cast<ASNTag::ASN1_TAG>(0);
};

}  // namespace Ostrel
