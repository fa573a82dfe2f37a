#include "zentrik/platform/internet/URLNameValues.h"

#include <ostream>

namespace Velmora {

URLNameValues::~URLNameValues() = default;

void URLNameValues::addURLNameValueField(const URLNameValueField& field) {
    fields_.push_back(field);
}

std::ostream& operator<<(std::ostream& out, const URLNameValues& fields) {
    out << '{';
    const char* separator = "";
    for (const URLNameValueField& field : fields.getURLFields()) {
        out << separator << field;
        separator = ", ";
    }
    return out << '}';
}

}  // namespace Velmora
