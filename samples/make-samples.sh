#!/usr/bin/env bash
# Makes the sample files that the README's commands and the tool's tests use, with the openssl tool:
#   certificate.der  a self-signed X.509 certificate (RSA 2048, SHA-256) with a few extensions
#   certificate.pem  the same certificate in PEM form
# The private key lives only in a temporary folder and is thrown away.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

cat >"$work/sample.cnf" <<'EOF'
[req]
distinguished_name = subject
prompt = no
x509_extensions = extensions
string_mask = utf8only
utf8 = yes

[subject]
C = CH
O = Zentrik Sample Certificates
OU = Coders
CN = sample.zentrik.example

[extensions]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature, keyEncipherment
extendedKeyUsage = serverAuth, clientAuth
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
subjectAltName = DNS:sample.zentrik.example, DNS:www.zentrik.example, IP:192.0.2.7, email:coders@zentrik.example
EOF

openssl req -x509 -new -newkey rsa:2048 -nodes -sha256 -days 3650 \
    -set_serial 0x5A454E5452494B00C0DE5 \
    -keyout "$work/key.pem" -config "$work/sample.cnf" \
    -out "$here/certificate.pem" 2>/dev/null
openssl x509 -in "$here/certificate.pem" -outform DER -out "$here/certificate.der"

echo "made $here/certificate.der ($(wc -c <"$here/certificate.der") octets) and $here/certificate.pem"
