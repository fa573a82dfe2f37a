#pragma once
// Reading the input of the commands that take a whole ASN.1 encoding: raw octets or PEM text.

#include <string>

#include "zentrik/platform/asn1/ASN1Object.h"
#include "zentrik/platform/utils/ByteArray.h"
#include "zentrik/platform/utils/SmartPointer.h"

namespace CLI {
class App;
}

namespace zcoders {

// "auto" takes PEM when the text starts with a "-----BEGIN" line; "pem" also finds a block after
// other text; "der" takes the octets as they are (DER or BER).
struct ASN1InputOptions {
    std::string inform = "auto";
    bool ber = false;  // decode with the BER rules
    std::string file = "-";
};

// Adds --inform and FILE to a command (and --ber when `withBER`).
void addASN1InputOptions(CLI::App& command, ASN1InputOptions& options, bool withBER);

// The encoded octets of the input: the file itself, or the data of its first PEM block.
Velmora::ByteArray readASN1Input(const ASN1InputOptions& options, const std::string& command);

// The data of the first PEM block of `text`; `anywhere` finds a block after other text too.
// Returns false when the text does not start with (or, with `anywhere`, hold) a "-----BEGIN" line.
bool decodePEM(const Velmora::ByteArray& text, bool anywhere, Velmora::ByteArray& data,
               const std::string& command);

// Decodes the first element of `octets` with the DER or the BER decoder.
Velmora::SmartPointer<Ostrel::ASN1Object> decodeFirstElement(const Velmora::ByteArray& octets, bool ber);

}  // namespace zcoders
