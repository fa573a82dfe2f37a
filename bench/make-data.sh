#!/usr/bin/env bash
# Makes the certificates the benchmarks decode: an RSA-2048 and an EC P-256 self-signed server
# certificate in DER, with the extensions a web server certificate usually carries.
# The private keys are thrown away. Existing files are kept unless --force is given.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
data="$here/data"
force=0
[ "${1:-}" = "--force" ] && force=1

command -v openssl >/dev/null || { echo "make-data.sh: the openssl tool is missing (apt-get install openssl)" >&2; exit 1; }
mkdir -p "$data"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# make_cert FILE KEY-OPTIONS... : a self-signed certificate, written as DER to data/FILE.
make_cert() {
    local file="$1"
    shift
    if [ "$force" -eq 0 ] && [ -s "$data/$file" ]; then
        echo "keeping $data/$file"
        return
    fi
    openssl req -x509 -new "$@" -nodes -keyout "$work/key.pem" -sha256 -days 3650 \
        -subj "/C=DE/ST=Berlin/L=Berlin/O=Zentrik Example GmbH/OU=Benchmarks/CN=bench.example.org" \
        -addext "subjectAltName=DNS:bench.example.org,DNS:www.bench.example.org,DNS:api.bench.example.org" \
        -addext "keyUsage=critical,digitalSignature,keyEncipherment" \
        -addext "extendedKeyUsage=serverAuth,clientAuth" \
        -addext "certificatePolicies=2.23.140.1.2.2" \
        -addext "authorityInfoAccess=OCSP;URI:http://ocsp.example.org,caIssuers;URI:http://ca.example.org/ca.crt" \
        -addext "crlDistributionPoints=URI:http://crl.example.org/ca.crl" \
        -outform DER -out "$data/$file" 2>/dev/null
    echo "made $data/$file ($(wc -c <"$data/$file") octets)"
}

make_cert rsa2048.der -newkey rsa:2048
make_cert p256.der -newkey ec -pkeyopt ec_paramgen_curve:P-256
