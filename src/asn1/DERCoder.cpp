// The DER coder's frame: static entry points, the validity test, identifier and length octets.
#include "zentrik/asn1/DERCoder.h"

#include <algorithm>

#include "zentrik/foundation/CoderException.h"
#include "zentrik/foundation/CoderFailures.h"

namespace Ostrel {

using Velmora::ByteArrayInputStream;
using Velmora::ByteArrayOutputStream;
using Velmora::CoderException;
using Velmora::Exception;
using Velmora::String;
namespace failures = Velmora::failures;

namespace {
void deleteValue(ASN1Object* value) {
    ASN1Object::deleteObject(value);
}

// The octets of a decode call, read in place through the window; stepping back over an octet just
// read moves the window back.
class OctetsInputStream final : public Velmora::InputStream {
  public:
    OctetsInputStream(const unsigned char* octets, std::size_t count) : end_(octets + count) {
        setWindow(octets, end_);
    }
    bool hasData() override { return hasBuffer() || windowPosition() != end_; }

  protected:
    std::size_t readFromSource(unsigned char*, std::size_t) override { return 0; }
    bool sourceHasData() override { return false; }  // everything is in the window

  private:
    const unsigned char* end_;
};

SmartPointer<ASN1Object> decodeWith(const DERCoder& coder, InputStream& in,
                                    void (*run)(const DERCoder&, InputStream&, ASN1Object*&)) {
    ASN1Object* value = nullptr;
    try {
        run(coder, in, value);
        return SmartPointer<ASN1Object>(value, &deleteValue);
    } catch (const Exception& e) {
        ASN1Object::deleteObject(value);
        throw Exception(e);
    }
}
}  // namespace

DERCoder::~DERCoder() = default;

void DERCoder::tooDeep(const char* operation) {
    static_assert(kNestingLimit == failures::kMaxNesting, "one nesting limit for every coder");
    throw CoderException(Exception::LIB_CODERS, failures::kTooDeep, operation,
                         "elements nest more than " + std::to_string(failures::kMaxNesting) + " levels deep");
}

void DERCoder::addScratch() const {
    if (scratch_.empty()) scratch_.reserve(16);
    scratch_.push_back(std::make_unique<ByteArrayOutputStream>(256));
}

const ByteArray DERCoder::encode(const ASN1Object* value) {
    if (!value)
        throw CoderException(Exception::LIB_CODERS, failures::kNullValue, failures::kDEREncodeValue, "");
    try {
        if (!isValid(value)) return ByteArray::emptyArray;
        ByteArrayOutputStream out;
        encode(value, out);
        return out.takeByteArray();
    } catch (const Exception& e) {
        throw CoderException(Exception::LIB_CODERS, failures::kEntryPointFailed, failures::kDEREncodeValue, e,
                             "");
    }
}

void DERCoder::encode(const ASN1Object* value, OutputStream& out) {
    if (!value)
        throw CoderException(Exception::LIB_CODERS, failures::kNullValue, failures::kDEREncodeStream, "");
    try {
        if (!isValid(value)) return;
        DERCoder coder;
        coder.encode(out, value);
    } catch (const Exception& e) {
        throw CoderException(Exception::LIB_CODERS, failures::kEntryPointFailed, failures::kDEREncodeStream,
                             e, "");
    }
}

const ByteArray DERCoder::encode(const ASNInterface& object) {
    ByteArrayOutputStream out;
    SmartPointer<ASN1Object> value = object.toASN1Object();
    encode(value.get(), out);
    return out.takeByteArray();
}

SmartPointer<ASN1Object> DERCoder::decode(const ByteArray& octets) {
    return decodeInPlace(octets, [](InputStream& in) { return DERCoder::decode(in); });
}

SmartPointer<ASN1Object> DERCoder::decodeInPlace(const ByteArray& octets,
                                                 SmartPointer<ASN1Object> (*run)(InputStream&)) {
    OctetsInputStream in(octets.data(), octets.size());
    return run(in);
}

SmartPointer<ASN1Object> DERCoder::decode(InputStream& in) {
    DERCoder coder;
    return decodeWith(coder, in, [](const DERCoder& c, InputStream& s, ASN1Object*& v) { c.decode(s, v); });
}

void DERCoder::decode(ASNInterface& object, const ByteArray& octets) {
    SmartPointer<ASN1Object> value = decode(octets);
    object.fromASN1Object(value.get());
}

bool DERCoder::isValid(const ASN1Object* value) {
    if (!value) return false;
    if (!value->isNull()) return true;
    if (value->isOptional()) return false;
    throw CoderException(Exception::LIB_CODERS, failures::kMissingValue, failures::kIsValid, "");
}

const ByteArray DERCoder::encodeLength(unsigned int length) {
    if (length < 0x80) return ByteArray(static_cast<unsigned char>(length));
    unsigned char octets[5];
    int k = 0;
    for (unsigned int rest = length; rest; rest >>= 8) ++k;
    octets[0] = static_cast<unsigned char>(0x80 | k);
    for (int i = 0; i < k; ++i) octets[k - i] = static_cast<unsigned char>(length >> (8 * i));
    return ByteArray(octets, static_cast<std::size_t>(k) + 1);
}

const ByteArray DERCoder::encodeTagClassValue(unsigned int classBits, unsigned int tagNumber) {
    if (tagNumber <= 30) return ByteArray(static_cast<unsigned char>(classBits | tagNumber));
    unsigned char octets[6];
    int groups = 0;
    for (unsigned int rest = tagNumber; rest; rest >>= 7) ++groups;
    octets[0] = static_cast<unsigned char>(classBits | 0x1F);
    for (int i = 0; i < groups; ++i) {
        unsigned char group = static_cast<unsigned char>((tagNumber >> (7 * i)) & 0x7F);
        if (i > 0) group |= 0x80;
        octets[groups - i] = group;
    }
    return ByteArray(octets, static_cast<std::size_t>(groups) + 1);
}

unsigned int DERCoder::getLength(InputStream& in) {
    return lengthFrom(in, in.readOctet());
}

unsigned int DERCoder::lengthFrom(InputStream& in, int first) {
    if (first < 0)
        throw CoderException(Exception::LIB_CODERS, failures::kBadLength, failures::kDERGetLength,
                             failures::kNoLengthMessage);
    if (first == 0x80)
        throw CoderException(Exception::LIB_CODERS, failures::kBadLength, failures::kDERGetLength, "");
    if (first < 0x80) return static_cast<unsigned int>(first);
    const unsigned int k = static_cast<unsigned int>(first) - 0x80;
    unsigned char room[8];
    const ByteArray octets = k <= sizeof room ? ByteArray() : in.readBlob(k);
    const std::size_t got = k <= sizeof room ? in.read(room, k) : octets.size();
    const unsigned char* read = k <= sizeof room ? room : octets.data();
    std::uint64_t length = 0;
    for (unsigned int i = 0; i < k; ++i) {
        // A missing octet throws IndexOutOfRange, as a checking index into the octets read would.
        if (i >= got) throw Velmora::IndexOutOfRange(i, static_cast<unsigned int>(got));
        length = (length << 8) | read[i];
        // Leading zero octets are accepted; a length past 32 bits is refused rather than cut.
        if (length > 0xFFFFFFFFu)
            throw CoderException(Exception::LIB_CODERS, failures::kBadLength, failures::kDERGetLength,
                                 "the length does not fit in 32 bits");
    }
    return static_cast<unsigned int>(length);
}

bool DERCoder::isContextSpecific(InputStream& in) {
    const ByteArray next = in.peek(1);
    return (next[0] & 0x80) != 0;
}

unsigned int DERCoder::getTaggedValue(InputStream& in, ByteArray& consumed) {
    const unsigned char octet = nextOctet(in);
    if (!(octet & 0x80))
        throw CoderException(Exception::LIB_CODERS, failures::kNotTagged, failures::kGetTaggedValue, "");
    consumed = ByteArray(octet);
    if ((octet & 0x1F) != 0x1F) return octet & 0x1F;
    std::uint64_t number = 0;
    for (;;) {
        const unsigned char group = nextOctet(in);
        consumed += group;
        number = (number << 7) | (group & 0x7F);
        // A tag number past 32 bits cannot be held: refuse it rather than lose its high groups.
        if (number > 0xFFFFFFFFu)
            throw CoderException(Exception::LIB_CODERS, failures::kUnrepresentable, failures::kGetTaggedValue,
                                 "the tag number does not fit in 32 bits");
        if (!(group & 0x80)) break;
    }
    return static_cast<unsigned int>(number);
}

unsigned int DERCoder::getTaggedValue(InputStream& in) {
    ByteArray scratch;
    return getTaggedValue(in, scratch);
}

unsigned int DERCoder::peekAtTaggedValue(InputStream& in) {
    ByteArray consumed;
    const unsigned int number = getTaggedValue(in, consumed);
    in.pushBack(consumed);
    return number;
}

void DERCoder::noOctet() {
    throw Velmora::IndexOutOfRange(0, 0);
}

void DERCoder::appendContents(InputStream& in, std::uint64_t length, ByteArray& out, const char* operation) {
    // Grows with what actually arrives rather than with what the length claims; octets already in
    // memory are there for certain, so they are taken in one step.
    const std::size_t start = out.size();
    std::uint64_t done = 0;
    std::size_t step = static_cast<std::size_t>(
        std::min<std::uint64_t>(length, std::max<std::size_t>(InputStream::kChunkSize, in.inMemory())));
    while (done < length) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(step, length - done));
        unsigned char* room = out.prepareAppend(want);
        const std::size_t got = in.read(room, want);
        done += got;
        out.setLength(start + static_cast<std::size_t>(done));
        if (got < want) break;
        step = std::min<std::size_t>(step * 2, 16 * InputStream::kChunkSize);
    }
    if (done < length)
        throw CoderException(
            Exception::LIB_CODERS, failures::kTruncated, operation,
            "the contents end after " + std::to_string(done) + " of " + std::to_string(length) + " octets");
}

ByteArray DERCoder::readContents(InputStream& in, std::uint64_t length, const char* operation) {
    ByteArray contents;
    if (length <= 16) {  // a few octets: read one by one in place, no calls
        unsigned char* room = contents.prepareAppend(static_cast<std::size_t>(length));
        for (std::size_t got = 0; got < length; ++got) {
            const int octet = in.readOctet();
            if (octet < 0) {
                contents.setLength(got);
                throw CoderException(Exception::LIB_CODERS, failures::kTruncated, operation,
                                     "the contents end after " + std::to_string(got) + " of " +
                                         std::to_string(length) + " octets");
            }
            room[got] = static_cast<unsigned char>(octet);
        }
        contents.setLength(static_cast<std::size_t>(length));
        return contents;
    }
    if (length < 32) {  // within the array's own room: one read, no allocation
        const std::size_t want = static_cast<std::size_t>(length);
        const std::size_t got = in.read(contents.prepareAppend(want), want);
        contents.setLength(got);
        if (got < want)
            throw CoderException(Exception::LIB_CODERS, failures::kTruncated, operation,
                                 "the contents end after " + std::to_string(got) + " of " +
                                     std::to_string(length) + " octets");
        return contents;
    }
    appendContents(in, length, contents, operation);
    return contents;
}

}  // namespace Ostrel
