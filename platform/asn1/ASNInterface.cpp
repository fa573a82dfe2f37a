#include "zentrik/platform/asn1/ASNInterface.h"

namespace Ostrel {

ASNInterface::~ASNInterface() = default;

}  // namespace Ostrel
