// certificate: the subject, issuer, validity, key algorithm and extensions of an X.509 certificate.
// Usage: certificate [FILE.der]   (default: samples/certificate.der of the source tree)
#include <cstdint>
#include <iostream>
#include <sstream>
#include <string>
#include <utility>

#include "zentrik/asn1/DERCoder.h"
#include "zentrik/asn1/TaggedContents.h"
#include "zentrik/platform/utils/FileStreams.h"

using namespace Ostrel;

// Object identifiers and their names, in pairs.
constexpr const char* kNames =
    "2.5.4.3 CN 2.5.4.6 C 2.5.4.7 L 2.5.4.8 ST 2.5.4.10 O 2.5.4.11 OU 1.2.840.113549.1.9.1 emailAddress "
    "1.2.840.113549.1.1.1 rsaEncryption 1.2.840.10045.2.1 ecPublicKey 1.3.101.112 Ed25519 "
    "1.2.840.113549.1.1.11 sha256WithRSAEncryption 1.2.840.10045.4.3.2 ecdsa-with-SHA256 "
    "2.5.29.14 subjectKeyIdentifier 2.5.29.15 keyUsage 2.5.29.17 subjectAltName 2.5.29.19 basicConstraints "
    "2.5.29.31 cRLDistributionPoints 2.5.29.32 certificatePolicies 2.5.29.35 authorityKeyIdentifier "
    "2.5.29.37 extKeyUsage 1.3.6.1.5.5.7.1.1 authorityInfoAccess";

// The name of an OBJECT IDENTIFIER from the table above, or its dotted form.
std::string nameOf(const ASN1Object* oid) {
    const std::string dotted = asn1_const_cast<ASN1ObjectIdentifier>(oid)->toString().toUTF8();
    std::istringstream table(kNames);
    for (std::string id, name; table >> id >> name;)
        if (id == dotted) return name;
    return dotted;
}

// Component `i` of a SEQUENCE or SET; null past its last one.
const ASN1Object* at(const ASN1Object* value, unsigned int i) {
    const ASNStructured* structure = asn1_const_cast<ASNStructured>(value);
    return i < structure->getNumberOfComponents() ? structure->getComponent(i) : nullptr;
}

// A Name: SEQUENCE OF SET OF SEQUENCE { type, value }, printed as "C=CH, O=..., CN=...".
std::string distinguishedName(const ASN1Object* name) {
    std::string text;
    for (unsigned int i = 0; const ASN1Object* rdn = at(name, i); ++i)
        for (unsigned int j = 0; const ASN1Object* pair = at(rdn, j); ++j)
            text += (text.empty() ? "" : ", ") + nameOf(at(pair, 0)) + "=" +
                    asn1_const_cast<ASN1String>(at(pair, 1))->getValue().toUTF8();
    return text;
}

// UTCTime "YYMMDDhhmmssZ" or GeneralizedTime "YYYYMMDDhhmmss[.f]Z" as "YYYY-MM-DDThh:mm:ss[.f]Z".
std::string iso8601(const ASN1Object* value) {
    std::string t = asn1_const_cast<ASN1Time>(value)->getValue().toUTF8();
    if (value->getTagValue() == ASNTag::UTC_TIME) t.insert(0, t.substr(0, 2) < "50" ? "20" : "19");
    for (auto [where, mark] : {std::pair{12, ':'}, {10, ':'}, {8, 'T'}, {6, '-'}, {4, '-'}})
        t.insert(where, 1, mark);
    return t;
}

// A [n] EXPLICIT element comes as an ASN1TaggedValue holding its encoding: the one element inside.
SmartPointer<ASN1Object> inner(const ASN1Object* tagged) {
    return explicitContents(*asn1_const_cast<ASN1TaggedValue>(tagged));
}

int main(int argc, char** argv) {
    try {
        Velmora::FileInputStream file(argc > 1 ? argv[1] : ZENTRIK_SAMPLES_DIR "/certificate.der");
        SmartPointer<ASN1Object> certificate = DERCoder::decode(file);
        const ASN1Object* tbs = at(certificate.get(), 0);
        // [0] EXPLICIT version is left out in version 1 certificates: the components after it move up.
        const unsigned int v = at(tbs, 0)->getTagValue() == ASNTag::TAGGED ? 1 : 0;
        std::int64_t version = 1;  // the INTEGER holds the version less one
        if (v) version += asn1_const_cast<ASN1Integer>(inner(at(tbs, 0)).get())->getValue().toInt64();
        const auto* serial = asn1_const_cast<ASN1Integer>(at(tbs, v));
        std::cout << "version:    " << version << "\n"
                  << "serial:     " << serial->getContentOctets().toHex() << "\n"
                  << "subject:    " << distinguishedName(at(tbs, v + 4)) << "\n"
                  << "issuer:     " << distinguishedName(at(tbs, v + 2)) << "\n"
                  << "not before: " << iso8601(at(at(tbs, v + 3), 0)) << "\n"
                  << "not after:  " << iso8601(at(at(tbs, v + 3), 1)) << "\n"
                  << "key:        " << nameOf(at(at(at(tbs, v + 5), 0), 0)) << "\n"
                  << "signature:  " << nameOf(at(at(tbs, v + 1), 0)) << "\n";
        // The optional [1], [2] and [3] come last; [3] EXPLICIT holds the SEQUENCE OF Extension.
        for (unsigned int i = v + 6; const ASN1Object* optional = at(tbs, i); ++i) {
            if (optional->taggedValue() != 3) continue;
            SmartPointer<ASN1Object> extensions = inner(optional);
            // { extnID, critical BOOLEAN DEFAULT FALSE, extnValue }: DER writes critical only when TRUE.
            for (unsigned int j = 0; const ASN1Object* ext = at(extensions.get(), j); ++j)
                std::cout << "extension:  " << nameOf(at(ext, 0)) << (at(ext, 2) ? " (critical)" : "")
                          << "\n";
        }
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "certificate: " << e.what() << "\n";
        return 1;
    }
}
