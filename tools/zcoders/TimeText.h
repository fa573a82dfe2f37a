#pragma once
// UTCTime and GeneralizedTime text checked and written in ISO 8601 form.

#include <optional>
#include <string>
#include <string_view>

namespace zcoders {

// "2026-12-07T21:54:40Z" for "261207215440Z" (years 50-99 are 19xx, 00-49 20xx); nothing when the
// text is no valid UTCTime (YYMMDDhhmm[ss] then Z or an offset +hhmm / -hhmm).
std::optional<std::string> isoFromUTCTime(std::string_view text);

// "2026-12-07T21:54:40.5Z" for "20261207215440.5Z"; nothing when the text is no valid
// GeneralizedTime (YYYYMMDDhh[mm[ss]], a fraction after '.' or ',', then Z, an offset or nothing).
std::optional<std::string> isoFromGeneralizedTime(std::string_view text);

}  // namespace zcoders
