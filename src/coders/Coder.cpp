#include "zentrik/coders/Coder.h"

#include "zentrik/coders/Base64Coder.h"
#include "zentrik/coders/NullCoder.h"
#include "zentrik/coders/QPCoder.h"

namespace Velmora {

Coder::~Coder() = default;

SmartPointer<Coder> Coder::getInstance(const String& name) {
    // Built once, on the first call; the language makes that safe when it comes from several threads.
    static const String base64Name("base64");
    static const String quotedPrintableName("quoted-printable");

    const String wanted = name.toLower();
    if (wanted == base64Name) return SmartPointer<Coder>(new Base64Coder(true));
    if (wanted == quotedPrintableName) return SmartPointer<Coder>(new QPCoder(true));
    return SmartPointer<Coder>(new NullCoder());
}

}  // namespace Velmora
