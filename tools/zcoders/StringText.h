#pragma once
// Decoded text written for people (quoted, with escapes) and for JSON.

#include <string>
#include <string_view>

#include "zentrik/platform/utils/String.h"

namespace zcoders {

// How the octets of a text type turn into characters.
enum class TextForm {
    ascii,    // one octet per character, below 0x80
    latin1,   // one octet per character, any
    utf8,     // UTF-8; the decoder keeps each octet of an invalid sequence as U+DC00 + octet
    unicode,  // UTF-16 or UCS-4 code points
};

// The text between double quotes; quotes and backslashes escaped, control characters and octets
// that are no valid text of the form as \xNN, other unpaired surrogates as \uXXXX.
std::string quotedText(const Velmora::String& text, TextForm form);

// Octets read one per character (ASCII), quoted and escaped as quotedText does.
std::string quotedOctets(std::string_view octets);

// The text as UTF-8 for a JSON string, with U+FFFD for every octet that is no valid text.
std::string plainText(const Velmora::String& text, TextForm form);

}  // namespace zcoders
