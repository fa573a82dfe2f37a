#include "zentrik/platform/internet/URLNameValueField.h"

#include <ostream>

namespace Velmora {

URLNameValueField::URLNameValueField(const String& name, const String& body) : name_(name), body_(body) {}

URLNameValueField::~URLNameValueField() = default;

std::ostream& operator<<(std::ostream& out, const URLNameValueField& field) {
    return out << field.getFieldName().toUTF8() << '=' << field.getFieldBody().toUTF8();
}

}  // namespace Velmora
