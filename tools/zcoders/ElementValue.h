#pragma once
// A primitive element's value, decoded with the library's decoders and put into words for the
// dump printers.

#include <cstddef>

#include "DumpSink.h"
#include "OidNames.h"

namespace zcoders {

// Decodes the primitive element whose encoding (a header in the shortest form, then the contents)
// is `encoding`, with the BER rules when `ber`; the value points into `encoding`, its text is for
// the JSON output when `json`, else for the text output. Throws the decoder's failure when the
// contents are not a valid value of the element's type.
ShownValue describeValue(const DumpElement& element, const unsigned char* encoding, std::size_t headerLength,
                         bool ber, bool json, const OidNames& names);

// The type of an element as dump shows it: the universal type's name, or its tag.
std::string elementType(const Ostrel::octets::Identifier& identifier);

}  // namespace zcoders
