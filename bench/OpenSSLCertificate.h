#pragma once
// The OpenSSL peers of the certificate benchmarks: its template codec on a certificate template of
// our own, its generic decoder recursed to full depth, and a walk of the identifier and length octets.
#include <openssl/asn1.h>

#include <cstddef>

namespace bench::openssl {

// The certificate item, written with OpenSSL's public ASN1_SEQUENCE macros. Every structure is
// decoded to its leaves (names, algorithms, extensions), with no cached encodings and no callbacks.
const ASN1_ITEM* certificateItem();

// Decodes `length` octets with the generic decoder (d2i_ASN1_SEQUENCE_ANY / d2i_ASN1_SET_ANY), then
// decodes every constructed child the same way, down to the leaves; the contents of constructed
// context-specific elements are decoded as ANY values. Returns the elements decoded, -1 on failure.
long decodeGenericFullDepth(const unsigned char* der, long length);

// Walks every identifier and length octet with ASN1_get_object without allocating: the floor of any
// decoder. Steps into constructed elements, over primitive ones. Returns the elements seen, -1 on failure.
long walkHeaders(const unsigned char* der, long length);

}  // namespace bench::openssl
