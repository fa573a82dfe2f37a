#pragma once
// Choosing the streaming reader (IOU object) for the next element of a stream, shared by walk and unwrap.

#include <cstddef>
#include <cstdint>
#include <string>

#include "zentrik/iou/ASN1IOUObject.h"
#include "zentrik/platform/utils/InputStream.h"
#include "zentrik/platform/utils/OutputStream.h"
#include "zentrik/platform/utils/SmartPointer.h"

namespace zcoders {

class Progress;

// An element's identifier and length octets, looked at without consuming them.
struct PeekedHeader {
    unsigned char identifier = 0;  // the first identifier octet
    unsigned int tagNumber = 0;
    int length = 0;              // -1 for the indefinite form
    std::size_t headerSize = 0;  // identifier and length octets
};

// How the next element is read:
//  - Plain: a universal or application element (ASN1IOUObject);
//  - Explicit: a constructed tagged element around one inner element (ASN1IOUExplicitObject);
//  - ImplicitOctetString: a primitive tagged element, or a constructed one holding OCTET STRING
//    segments (ASN1IOUImplicitObject standing for an OCTET STRING);
//  - Container: a constructed tagged element holding no element or several (ASN1IOUImplicitObject
//    standing for a SEQUENCE).
// A constructed tagged element whose definite contents hold exactly one element is taken as explicit,
// and so is one of indefinite length unless primitive OCTET STRINGs (segments) come first.
enum class ReaderKind { Plain, Explicit, ImplicitOctetString, Container };

struct NextElement {
    ReaderKind kind = ReaderKind::Plain;
    PeekedHeader outer;
    PeekedHeader inner;  // the first inner element of a constructed tagged element
    bool empty = false;  // a constructed tagged element without contents
};

// Looks at the next element's headers and chooses its reader; `command` names the failures.
NextElement peekNextElement(Velmora::InputStream& in, const std::string& command);

// A reader of the chosen kind made on the stream, or as the next component of `parent`.
Velmora::SmartPointer<Ostrel::ASN1IOUObject> openReader(Velmora::InputStream& in, ReaderKind kind);
Velmora::SmartPointer<Ostrel::ASN1IOUObject> openComponent(Ostrel::ASN1IOUObject& parent, ReaderKind kind);

// Ends a reader whose contents have been read. An explicit tag of indefinite length around an inner
// element of definite length must be closed by end-of-contents octets, which are checked first.
void endReader(Ostrel::ASN1IOUObject& reader, const NextElement& next, Velmora::InputStream& in,
               const std::string& command);

// Whether the reader delivers an OCTET STRING through hasData / getData.
bool readsOctetString(const Ostrel::ASN1IOUObject& reader, ReaderKind kind);

// Reads an OCTET STRING's contents piece by piece, writing them to `out` when it is given.
struct OctetsRead {
    std::uint64_t octets = 0;
    std::uint64_t segments = 0;
};
OctetsRead readOctetString(Ostrel::ASN1IOUObject& reader, Velmora::InputStream& in,
                           Velmora::OutputStream* out, Progress& progress);

// "indefinite length" or "N octets".
std::string lengthText(int length);

}  // namespace zcoders
