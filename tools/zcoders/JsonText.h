#pragma once
// Text for JSON output: strings quoted and escaped so that any octets make valid JSON.

#include <string>
#include <string_view>

namespace zcoders {

// `text` (UTF-8; any other octet is written as the code point of the same number) as a quoted
// JSON string.
std::string jsonString(std::string_view text);

}  // namespace zcoders
