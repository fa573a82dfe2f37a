#!/usr/bin/env bash
# Measures `zcoders dump` (text and --json) on a generated CRL-like file of 900,000 elements beside
# `openssl asn1parse`: elapsed time, processor time (user + system: steadier on a shared machine) and peak memory (maximum resident set) from /usr/bin/time -v.
# Usage: bench/measure-dump.sh [ZCODERS] (default build/release/tools/zcoders/zcoders)
set -euo pipefail
cd "$(dirname "$0")/.."
zcoders="${1:-build/release/tools/zcoders/zcoders}"
[ -x "$zcoders" ] || { echo "measure-dump.sh: no $zcoders (cmake --preset release && cmake --build --preset release)" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "measure-dump.sh: /usr/bin/time is missing (apt-get install time)" >&2; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# A certificate list: SEQUENCE { SEQUENCE { version, algorithm, issuer, times,
# SEQUENCE OF { SEQUENCE { serial INTEGER, UTCTime } } }, algorithm, BIT STRING }.
python3 - "$work/crl.der" <<'PY'
import sys

def der(tag, contents):
    n = len(contents)
    if n < 0x80:
        length = bytes([n])
    else:
        octets = n.to_bytes((n.bit_length() + 7) // 8, "big")
        length = bytes([0x80 | len(octets)]) + octets
    return bytes([tag]) + length + contents

entries = []
for i in range(299_990):
    serial = (0x10000000 + i).to_bytes(4, "big")
    entries.append(der(0x30, der(0x02, serial) + der(0x17, b"261207215440Z")))
algorithm = der(0x30, der(0x06, bytes.fromhex("2A864886F70D01010B")) + der(0x05, b""))
issuer = der(0x30, der(0x31, der(0x30, der(0x06, bytes.fromhex("550403")) + der(0x0C, b"Example CA"))))
times = der(0x17, b"261207215440Z") + der(0x17, b"270107215440Z")
tbs = der(0x30, der(0x02, b"\x01") + algorithm + issuer + times + der(0x30, b"".join(entries)))
crl = der(0x30, tbs + algorithm + der(0x03, b"\x00" + bytes(256)))
open(sys.argv[1], "wb").write(crl)
PY
size=$(stat -c %s "$work/crl.der")
elements=$(openssl asn1parse -inform DER -in "$work/crl.der" | wc -l)
echo "input: $size octets, $elements elements"

# measure NAME COMMAND...: the command's output goes to /dev/null.
measure() {
    local name="$1"
    shift
    /usr/bin/time -v "$@" > /dev/null 2> "$work/time"
    local seconds cpu rss
    seconds=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$work/time")
    cpu=$(awk -F': ' '/User time|System time/ { total += $2 } END { printf "%.2f", total }' "$work/time")
    rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time")
    printf '%-26s elapsed %8s  cpu %6s s  peak %8s KiB\n' "$name" "$seconds" "$cpu" "$rss"
}
measure "zcoders dump" "$zcoders" dump "$work/crl.der"
measure "zcoders dump --json" "$zcoders" dump --json "$work/crl.der"
measure "openssl asn1parse" openssl asn1parse -inform DER -in "$work/crl.der"
