#pragma once
// Temporary: two names until the table of well-known identifiers arrives.
#include <string>
#include <string_view>

namespace zcoders {

class OidNames {
  public:
    OidNames() = default;
    void load(const std::string&) {}
    std::string_view find(std::string_view dotted) const {
        if (dotted == "2.5.4.3") return "commonName";
        if (dotted == "1.2.840.113549.1.1.11") return "sha256WithRSAEncryption";
        return {};
    }
};

}  // namespace zcoders
