#!/usr/bin/env bash
# Makes, with the openssl tool, a folder of documents in every kind this library meets in practice:
# for each key type (RSA, RSA-PSS, EC P-256 and P-384, Ed25519, Ed448, DSA) its private and public key,
# a self-signed certificate and a certificate request; from a small CA a certificate it signed, a CRL,
# OCSP requests, PKCS#7 and PKCS#12 files, CMS signed and enveloped data.
# Files named *.der hold DER; *.ber hold BER with indefinite lengths (streamed CMS).
# Usage: peer-documents.sh FOLDER   (the folder is made; kinds that this openssl lacks are left out)
set -euo pipefail
out=${1:?usage: peer-documents.sh FOLDER}
mkdir -p "$out"
cd "$out"
command -v openssl >/dev/null || { echo "openssl is not available" >&2; exit 2; }

quiet() { "$@" >/dev/null 2>&1; }
subject() { echo "/C=DE/O=Zentrik Test/OU=Peer documents/CN=$1"; }

# Key types: name and genpkey arguments.
declare -A keys=(
    [rsa]="-algorithm RSA -pkeyopt rsa_keygen_bits:2048"
    [rsapss]="-algorithm RSA-PSS -pkeyopt rsa_keygen_bits:2048"
    [ec256]="-algorithm EC -pkeyopt ec_paramgen_curve:P-256 -pkeyopt ec_param_enc:named_curve"
    [ec384]="-algorithm EC -pkeyopt ec_paramgen_curve:P-384 -pkeyopt ec_param_enc:named_curve"
    [ed25519]="-algorithm ED25519"
    [ed448]="-algorithm ED448"
)
for name in "${!keys[@]}"; do
    # shellcheck disable=SC2086
    quiet openssl genpkey ${keys[$name]} -out "$name.key.pem" || continue
done
# DSA needs parameters first; 2048 bits with a 256-bit q.
if quiet openssl genpkey -genparam -algorithm DSA -pkeyopt dsa_paramgen_bits:2048 -pkeyopt dsa_paramgen_q_bits:256 \
    -out dsa.params.pem; then
    quiet openssl genpkey -paramfile dsa.params.pem -out dsa.key.pem || true
    quiet openssl dsaparam -in dsa.params.pem -outform DER -out dsa-parameters.der || true
fi

for keyfile in *.key.pem; do
    name=${keyfile%.key.pem}
    quiet openssl pkey -in "$keyfile" -outform DER -out "$name-private.der"
    quiet openssl pkey -in "$keyfile" -pubout -outform DER -out "$name-public.der"
    quiet openssl req -new -x509 -key "$keyfile" -subj "$(subject "$name self-signed")" -days 30 \
        -addext "subjectAltName=DNS:$name.example,IP:192.0.2.7,email:peer@$name.example" \
        -outform DER -out "$name-certificate.der" || rm -f "$name-certificate.der"
    quiet openssl req -new -key "$keyfile" -subj "$(subject "$name request")" \
        -addext "keyUsage=critical,digitalSignature" -outform DER -out "$name-request.der" ||
        rm -f "$name-request.der"
done
# Traditional forms of the RSA and EC keys, and a named-curve parameter file.
quiet openssl rsa -in rsa.key.pem -traditional -outform DER -out rsa-traditional.der || true
quiet openssl ec -in ec256.key.pem -outform DER -out ec256-traditional.der || true
quiet openssl ecparam -name secp384r1 -outform DER -out ec384-parameters.der || true

# A CA on the P-256 key, a leaf on the RSA key that it signs, a CRL revoking the leaf.
[ -f ec256.key.pem ] && [ -f rsa.key.pem ] || exit 0
cat > ca.cnf <<'EOF'
[ ca ]
default_ca = peer_ca
[ peer_ca ]
dir = .
database = index.txt
new_certs_dir = .
serial = serial.txt
crlnumber = crlnumber.txt
default_md = sha256
default_days = 30
default_crl_days = 7
policy = anything
copy_extensions = copy
[ anything ]
commonName = supplied
[ ca_ext ]
basicConstraints = critical,CA:true
keyUsage = critical,keyCertSign,cRLSign
subjectKeyIdentifier = hash
[ leaf_ext ]
basicConstraints = CA:false
authorityKeyIdentifier = keyid
extendedKeyUsage = serverAuth,clientAuth,emailProtection
crlDistributionPoints = URI:http://ca.example/peer.crl
authorityInfoAccess = OCSP;URI:http://ocsp.example/
certificatePolicies = 1.3.6.1.4.1.55555.1.2
[ crl_ext ]
authorityKeyIdentifier = keyid
EOF
: > index.txt
echo 1000 > serial.txt
echo 01 > crlnumber.txt
openssl req -new -x509 -key ec256.key.pem -subj "$(subject "Peer CA")" -days 30 -config ca.cnf -extensions ca_ext \
    -out ca.pem 2>/dev/null
openssl x509 -in ca.pem -outform DER -out ca-certificate.der
openssl req -new -key rsa.key.pem -subj "$(subject "peer leaf")" -out leaf.csr.pem 2>/dev/null
quiet openssl ca -batch -config ca.cnf -cert ca.pem -keyfile ec256.key.pem -extensions leaf_ext \
    -in leaf.csr.pem -out leaf.pem
openssl x509 -in leaf.pem -outform DER -out leaf-certificate.der
quiet openssl ca -config ca.cnf -cert ca.pem -keyfile ec256.key.pem -revoke leaf.pem -crl_reason keyCompromise
quiet openssl ca -gencrl -config ca.cnf -cert ca.pem -keyfile ec256.key.pem -crlexts crl_ext -out crl.pem
openssl crl -in crl.pem -outform DER -out revocation-list.der

# OCSP requests, without and with a nonce, and signed by the leaf.
quiet openssl ocsp -issuer ca.pem -cert leaf.pem -no_nonce -reqout ocsp-request.der
quiet openssl ocsp -issuer ca.pem -cert leaf.pem -nonce -reqout ocsp-request-nonce.der
quiet openssl ocsp -issuer ca.pem -cert leaf.pem -signer leaf.pem -signkey rsa.key.pem -reqout ocsp-request-signed.der \
    || true

# PKCS#7 certificate bundle and PKCS#12 file.
quiet openssl crl2pkcs7 -in crl.pem -certfile ca.pem -certfile leaf.pem -outform DER -out pkcs7-bundle.der
quiet openssl pkcs12 -export -in leaf.pem -inkey rsa.key.pem -passout pass:peer -name leaf -out bundle.p12 \
    && cp bundle.p12 pkcs12-bundle.der || true

# CMS: signed (DER, and streamed BER with indefinite lengths), enveloped.
printf 'Peer content signed and enveloped for the interoperability tests.\n' > content.txt
quiet openssl cms -sign -in content.txt -signer leaf.pem -inkey rsa.key.pem -certfile ca.pem -binary -nodetach \
    -outform DER -out cms-signed.der
quiet openssl cms -sign -in content.txt -signer leaf.pem -inkey rsa.key.pem -binary -nodetach -stream \
    -outform DER -out cms-signed-streamed.ber
quiet openssl cms -encrypt -in content.txt -recip leaf.pem -aes256 -binary -outform DER -out cms-enveloped.der
exit 0
