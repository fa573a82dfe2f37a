#include "OpenSSLCertificate.h"

#include <openssl/asn1t.h>

#include <memory>

namespace bench::openssl {

namespace {

// Certificate ::= SEQUENCE { tbsCertificate, signatureAlgorithm, signatureValue BIT STRING }, with
// Name as SEQUENCE OF SET OF { type OID, value ANY } and Extensions as [3] SEQUENCE OF Extension.
struct CertAttribute {
    ASN1_OBJECT* type;
    ASN1_TYPE* value;
};
struct CertAlgorithm {
    ASN1_OBJECT* algorithm;
    ASN1_TYPE* parameters;
};
struct CertValidity {
    ASN1_TIME* notBefore;
    ASN1_TIME* notAfter;
};
struct CertKeyInfo {
    CertAlgorithm* algorithm;
    ASN1_BIT_STRING* key;
};
struct CertExtension {
    ASN1_OBJECT* id;
    ASN1_BOOLEAN critical;
    ASN1_OCTET_STRING* value;
};
struct CertTBS {
    ASN1_INTEGER* version;
    ASN1_INTEGER* serial;
    CertAlgorithm* signature;
    void* issuer;  // STACK of RDNs
    CertValidity* validity;
    void* subject;
    CertKeyInfo* keyInfo;
    ASN1_BIT_STRING* issuerUID;
    ASN1_BIT_STRING* subjectUID;
    void* extensions;  // STACK of CertExtension
};
struct Cert {
    CertTBS* tbs;
    CertAlgorithm* algorithm;
    ASN1_BIT_STRING* signature;
};

// clang-format off
ASN1_SEQUENCE(CertAttribute) = {
    ASN1_SIMPLE(CertAttribute, type, ASN1_OBJECT),
    ASN1_SIMPLE(CertAttribute, value, ASN1_ANY),
} ASN1_SEQUENCE_END(CertAttribute)

ASN1_ITEM_TEMPLATE(CertRDN) =
    ASN1_EX_TEMPLATE_TYPE(ASN1_TFLG_SET_OF, 0, CertRDN, CertAttribute)
ASN1_ITEM_TEMPLATE_END(CertRDN)

ASN1_ITEM_TEMPLATE(CertName) =
    ASN1_EX_TEMPLATE_TYPE(ASN1_TFLG_SEQUENCE_OF, 0, CertName, CertRDN)
ASN1_ITEM_TEMPLATE_END(CertName)

ASN1_SEQUENCE(CertAlgorithm) = {
    ASN1_SIMPLE(CertAlgorithm, algorithm, ASN1_OBJECT),
    ASN1_OPT(CertAlgorithm, parameters, ASN1_ANY),
} ASN1_SEQUENCE_END(CertAlgorithm)

ASN1_SEQUENCE(CertValidity) = {
    ASN1_SIMPLE(CertValidity, notBefore, ASN1_TIME),
    ASN1_SIMPLE(CertValidity, notAfter, ASN1_TIME),
} ASN1_SEQUENCE_END(CertValidity)

ASN1_SEQUENCE(CertKeyInfo) = {
    ASN1_SIMPLE(CertKeyInfo, algorithm, CertAlgorithm),
    ASN1_SIMPLE(CertKeyInfo, key, ASN1_BIT_STRING),
} ASN1_SEQUENCE_END(CertKeyInfo)

ASN1_SEQUENCE(CertExtension) = {
    ASN1_SIMPLE(CertExtension, id, ASN1_OBJECT),
    ASN1_OPT(CertExtension, critical, ASN1_BOOLEAN),
    ASN1_SIMPLE(CertExtension, value, ASN1_OCTET_STRING),
} ASN1_SEQUENCE_END(CertExtension)

ASN1_SEQUENCE(CertTBS) = {
    ASN1_EXP_OPT(CertTBS, version, ASN1_INTEGER, 0),
    ASN1_SIMPLE(CertTBS, serial, ASN1_INTEGER),
    ASN1_SIMPLE(CertTBS, signature, CertAlgorithm),
    ASN1_SIMPLE(CertTBS, issuer, CertName),
    ASN1_SIMPLE(CertTBS, validity, CertValidity),
    ASN1_SIMPLE(CertTBS, subject, CertName),
    ASN1_SIMPLE(CertTBS, keyInfo, CertKeyInfo),
    ASN1_IMP_OPT(CertTBS, issuerUID, ASN1_BIT_STRING, 1),
    ASN1_IMP_OPT(CertTBS, subjectUID, ASN1_BIT_STRING, 2),
    ASN1_EXP_SEQUENCE_OF_OPT(CertTBS, extensions, CertExtension, 3),
} ASN1_SEQUENCE_END(CertTBS)

ASN1_SEQUENCE(Cert) = {
    ASN1_SIMPLE(Cert, tbs, CertTBS),
    ASN1_SIMPLE(Cert, algorithm, CertAlgorithm),
    ASN1_SIMPLE(Cert, signature, ASN1_BIT_STRING),
} ASN1_SEQUENCE_END(Cert)
    // clang-format on

    using TypeStack = std::unique_ptr<STACK_OF(ASN1_TYPE), void (*)(STACK_OF(ASN1_TYPE) *)>;

void freeTypes(STACK_OF(ASN1_TYPE) * types) {
    sk_ASN1_TYPE_pop_free(types, ASN1_TYPE_free);
}

long decodeAny(const ASN1_TYPE* value);

// The elements inside one complete encoding of a constructed element, decoded one by one as ANY.
long decodeContents(const unsigned char* der, long length) {
    const unsigned char* p = der;
    long contentsLength = 0;
    int tag = 0, cls = 0;
    if (ASN1_get_object(&p, &contentsLength, &tag, &cls, length) & 0x80) return -1;
    const unsigned char* const end = p + contentsLength;
    long items = 0;
    while (p < end) {
        std::unique_ptr<ASN1_TYPE, void (*)(ASN1_TYPE*)> inner(d2i_ASN1_TYPE(nullptr, &p, end - p),
                                                               ASN1_TYPE_free);
        if (!inner) return -1;
        const long n = decodeAny(inner.get());
        if (n < 0) return -1;
        items += n;
    }
    return items;
}

// One decoded ANY value and, for a constructed one, everything inside it.
long decodeAny(const ASN1_TYPE* value) {
    switch (value->type) {
        case V_ASN1_SEQUENCE:
        case V_ASN1_SET: {
            const long n = decodeGenericFullDepth(value->value.sequence->data, value->value.sequence->length);
            return n < 0 ? -1 : n;
        }
        case V_ASN1_OTHER: {
            const ASN1_STRING* encoding = value->value.asn1_string;
            if (encoding->length == 0 || !(encoding->data[0] & V_ASN1_CONSTRUCTED)) return 1;
            const long n = decodeContents(encoding->data, encoding->length);
            return n < 0 ? -1 : 1 + n;
        }
        default:
            return 1;
    }
}

}  // namespace

const ASN1_ITEM* certificateItem() {
    return ASN1_ITEM_rptr(Cert);
}

long decodeGenericFullDepth(const unsigned char* der, long length) {
    if (length < 1) return -1;
    const unsigned char* p = der;
    TypeStack items(
        der[0] == 0x31 ? d2i_ASN1_SET_ANY(nullptr, &p, length) : d2i_ASN1_SEQUENCE_ANY(nullptr, &p, length),
        freeTypes);
    if (!items) return -1;
    long count = 1;  // the structure itself
    for (int i = 0; i < sk_ASN1_TYPE_num(items.get()); ++i) {
        const long n = decodeAny(sk_ASN1_TYPE_value(items.get(), i));
        if (n < 0) return -1;
        count += n;
    }
    return count;
}

long walkHeaders(const unsigned char* der, long length) {
    const unsigned char* p = der;
    const unsigned char* const end = der + length;
    long items = 0;
    while (p < end) {
        long contentsLength = 0;
        int tag = 0, cls = 0;
        const int flags = ASN1_get_object(&p, &contentsLength, &tag, &cls, end - p);
        if (flags & 0x80) return -1;
        ++items;
        if (!(flags & V_ASN1_CONSTRUCTED)) p += contentsLength;  // constructed: the contents follow at once
    }
    return items;
}

}  // namespace bench::openssl
