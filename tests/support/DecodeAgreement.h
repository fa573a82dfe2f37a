#pragma once
// Test support: decodes octets once from memory, where the coders read well-formed elements directly,
// and once from a stream that hands out one octet at a time, where the stream decoder reads
// everything. The two must agree: equal values from the same octets, or the same failure.
#include <cstdint>
#include <string>

#include "ChunkedInputStream.h"
#include "zentrik/platform/asn1/ASN1Object.h"
#include "zentrik/platform/utils/Exception.h"
#include "zentrik/platform/utils/IndexOutOfRange.h"
#include "zentrik/platform/utils/SmartPointer.h"

namespace zentrik_test {

// What one decoding gave: the value and the octets it took, or the failure's text.
struct DecodeOutcome {
    Velmora::SmartPointer<Ostrel::ASN1Object> value;
    std::string failure;
    std::uint64_t used = 0;
};

// Decodes from `in` with `decode` (InputStream& -> SmartPointer<ASN1Object>); the library's failures
// (Exception, IndexOutOfRange) become the outcome's text, anything else escapes.
template <typename Decode>
DecodeOutcome decodeOutcome(Decode&& decode, Velmora::InputStream& in) {
    DecodeOutcome outcome;
    try {
        outcome.value = decode(in);
    } catch (const Velmora::Exception& e) {
        outcome.failure = e.what();
    } catch (const Velmora::IndexOutOfRange& e) {
        outcome.failure = std::string("IndexOutOfRange ") + e.what();
    }
    outcome.used = in.getCount();
    return outcome;
}

// How the two decodings of `input` by `decode` differ; empty when they agree. `fromMemory`, when
// given, receives the outcome of decoding from memory.
template <typename Decode>
std::string memoryAndStreamDisagree(Decode&& decode, const Velmora::ByteArray& input,
                                    DecodeOutcome* fromMemory = nullptr) {
    Velmora::ByteArrayInputStream memory(input.data(), input.size());
    ChunkedInputStream trickle(input, fixedChunks(1));
    const DecodeOutcome direct = decodeOutcome(decode, memory);
    const DecodeOutcome streamed = decodeOutcome(decode, trickle);
    if (fromMemory) *fromMemory = direct;
    if (direct.failure != streamed.failure)
        return "from memory: \"" + direct.failure + "\"; from a stream: \"" + streamed.failure + "\"";
    if (!direct.failure.empty()) return std::string();
    if (direct.used != streamed.used)
        return "octets taken from memory: " + std::to_string(direct.used) +
               "; from a stream: " + std::to_string(streamed.used);
    if (!direct.value->equals(*streamed.value))
        return "from memory: " + direct.value->toString().toUTF8() +
               "; from a stream: " + streamed.value->toString().toUTF8();
    return std::string();
}

}  // namespace zentrik_test
