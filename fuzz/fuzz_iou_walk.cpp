// A generic walk over untrusted octets with the streaming IOU readers: the control octets choose the
// reader (plain, explicit, implicit with a universal tag), the chunking of the source and, at every
// step, what to ask next (components of each kind, hasData/getData, getValue, endIOU). Failures the
// library reports are expected; a crash, a leak, a hang or an escaping foreign exception is a finding.
// Values handed out by getValue must encode again in BER.
#include "FuzzSupport.h"
#include "zentrik/asn1/BERCoder.h"
#include "zentrik/iou/ASN1IOUObject.h"

using namespace zentrik_fuzz;
using Ostrel::ASN1IOUObject;
using Ostrel::ASN1Object;
using Ostrel::ASNTag;
using Ostrel::BERCoder;
using Velmora::SmartPointer;

namespace {

constexpr unsigned int kDeepest = 64;      // the walk's own bound on nesting
constexpr unsigned int kMostSteps = 4096;  // and on the work for one input

// Universal tags an implicit reader may be told its element stands for.
constexpr ASNTag::ASN1_TAG kImplicitTags[] = {
    ASNTag::BOOLEAN,      ASNTag::INTEGER,     ASNTag::BIT_STRING,
    ASNTag::OCTET_STRING, ASNTag::ASN1_NULL,   ASNTag::OBJECT_IDENTIFIER,
    ASNTag::ENUMERATED,   ASNTag::UTF8_STRING, ASNTag::PRINTABLE_STRING,
    ASNTag::IA5_STRING,   ASNTag::UTC_TIME,    ASNTag::BMP_STRING,
    ASNTag::SEQUENCE,     ASNTag::SET};

ASNTag::ASN1_TAG implicitTag(Choices& choices) {
    return kImplicitTags[choices.next(sizeof kImplicitTags / sizeof kImplicitTags[0])];
}

void checkValue(const ASN1Object* value) {
    if (!value) return;
    try {
        BERCoder::encode(value);
    } catch (const Velmora::Exception& e) {
        broken("a value handed out by ASN1IOUObject::getValue does not encode in BER", ByteArray(), e.what());
    }
}

struct Walk {
    Choices choices;
    unsigned int steps = 0;

    void visit(ASN1IOUObject& object, unsigned int depth) {
        while (steps++ < kMostSteps) {
            SmartPointer<ASN1IOUObject> component;
            switch (choices.next(8)) {
                case 0:
                    object.hasNextComponent();
                    break;
                case 1:
                    component = object.getNextComponent();
                    break;
                case 2:
                    component = object.getNextExplicitComponent();
                    break;
                case 3:
                    component = object.getNextImplicitComponent(implicitTag(choices));
                    break;
                case 4:
                    if (object.hasData()) object.getData();
                    break;
                case 5:
                    checkValue(object.getValue());
                    return;
                case 6:
                    object.endIOU();
                    return;
                default:
                    // Read on until nothing is left: components while there are any, else data.
                    if (object.hasNextComponent()) {
                        component = object.getNextComponent();
                    } else if (object.hasData()) {
                        object.getData();
                    } else {
                        return;
                    }
            }
            if (component && depth < kDeepest) visit(*component, depth + 1);
            if (!component && !object.hasNextComponent() && !object.hasData() && choices.next(4) == 0) return;
        }
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const SplitInput input = split(bytes, size);
    Choices chunking(input.control);
    ByteArray sizes;
    if (chunking.next(2)) sizes = input.control;
    ChunkedInputStream in(input.data, sizes);
    Walk walk{Choices(input.control)};
    const unsigned int kind = walk.choices.next(3);
    expectFailures([&] {
        SmartPointer<ASN1IOUObject> top;
        if (kind == 0)
            top = BERCoder::decodeIOU(in);
        else if (kind == 1)
            top = BERCoder::decodeExplicitIOU(in);
        else
            top = BERCoder::decodeImplicitIOU(in, implicitTag(walk.choices));
        walk.visit(*top, 0);
    });
    return 0;
}
