#pragma once
#include "zentrik/asn1/BERCoder.h"

namespace Ostrel {

/// @file
/// Reads what a context-specific or private element holds, from the encoding an ASN1TaggedValue
/// keeps, in one call. Both read DER and BER (definite and indefinite lengths) and are safe to call
/// from any number of threads, as long as no thread changes the tagged value meanwhile.

/// The one element inside an explicitly tagged element (`[n] EXPLICIT T`), decoded with BERCoder
/// (which reads every DER encoding as well); the result is owned by the handle.
/// @throws Velmora::CoderException 13 when the value holds no encoding; 31 when its tag is primitive,
///         its encoding is not one whole element or its contents are not exactly one element;
///         26 when the contents end before their length says; the decoder's failures for the element
///         inside.
ZENTRIK_API SmartPointer<ASN1Object> explicitContents(const ASN1TaggedValue& tagged);

/// The contents of an implicitly tagged element (`[n] IMPLICIT T`) decoded as the universal type
/// `type` (ASNTag::INTEGER, ASNTag::SEQUENCE, ...; a constructed encoding is read as the constructed
/// form of a string type), with BERCoder; the result is untagged and owned by the handle.
/// @throws Velmora::CoderException 13 when the value holds no encoding; 31 when `type` is no universal
///         type, when the encoding is not one whole element, or when the contents do not decode as
///         `type` (the decoder's failure is its cause); 26 when the contents end before their length says.
ZENTRIK_API SmartPointer<ASN1Object> implicitContents(const ASN1TaggedValue& tagged, ASNTag::ASN1_TAG type);

}  // namespace Ostrel
