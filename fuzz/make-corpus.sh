#!/usr/bin/env bash
# Makes the seed corpora of the fuzz targets, one folder per target, from nothing but this script:
# small hand-written encodings and texts, plus (when the openssl tool is there) certificates, keys,
# requests, CRLs, OCSP requests and CMS messages made on the spot by tests/hardening/peer-documents.sh.
# Usage: make-corpus.sh FOLDER
set -euo pipefail
out=${1:?usage: make-corpus.sh FOLDER}
here=$(cd "$(dirname "$0")" && pwd)
targets=(fuzz_der_decode fuzz_ber_decode fuzz_ber_to_der fuzz_iou_walk fuzz_der_component fuzz_base64 fuzz_base64_stream fuzz_qp
         fuzz_url fuzz_double)
for t in "${targets[@]}"; do mkdir -p "$out/$t"; done

# seed TARGET [PREFIX OCTETS IN HEX...] < data   writes one seed file, named after its contents
seed() {
    local target=$1 prefix="${*:2}" file
    file=$(mktemp "$out/$target/.seed.XXXXXX")
    { [ -n "$prefix" ] && unhex "$prefix"; cat; } > "$file"
    mv "$file" "$out/$target/$(sha1sum < "$file" | cut -c1-40)"
}
unhex() { printf '%b' "$(printf '%s' "$1" | tr -d ' \n' | sed 's/../\\x&/g')"; }

# Encodings: definite and indefinite forms of every supported type, tagged elements, segments,
# a few that must fail.
encodings=(
    "0101FF" "010100" "020105" "0209008000000000000000" "0201FF" "020480000000"
    "0303040F00" "0304060E4080" "2380030200FF030204F00000" "230803020000030204F0"
    "0403414243" "24800402414204014300 00" "240A040241420401430401 44" "2480 0000"
    "0500" "06032A0304" "06062A864886F70D" "0609608648016503040201" "06028837" "060A883780808080808001"
    "0A0101" "0A01FF" "0A0400FFFFFF"
    "0C05C3A9C3A841" "120331323334" "13055A656E7472" "14024142" "160A70656572406578616D" "1A03414243"
    "1C080000004100000042" "1E0400E900FF"
    "170D3939313233313233353935395A" "180F32303234303130313030303030305A"
    "3000" "30060201050201 07" "30800201050000" "3180020107020105 0000" "3106020105020107"
    "300B06032A03040404DEADBEEF" "3110300E0201010609608648016503040201"
    "A003020105" "A08002010500 00" "A18030800201010000 0000" "BF1F03020105" "9F8101024142" "C00100" "8100"
    "820141" "A2800402AABB0000" "A3800480040401AA00000000"
    "308400000003020105" "04820003414243" "30840000000A30840000000402020105"
    "0484FFFFFFFF41" "3080308030803080" "A080A080A080" "0480" "0285" "1F01" "00"
)
for e in "${encodings[@]}"; do
    unhex "$e" | seed fuzz_der_decode
    unhex "$e" | seed fuzz_ber_decode
    unhex "$e" | seed fuzz_ber_to_der
    unhex "$e" | seed fuzz_iou_walk 00
    unhex "$e" | seed fuzz_iou_walk 03014205
    unhex "$e" | seed fuzz_der_component 00
    unhex "$e" | seed fuzz_der_component 01
done

# Base64, quoted-printable, URL and double-coder texts.
texts=(
    "" "TQ==" "TWFu" "TWE=" "T" "TQ" "T\r\nQ" "TQ==TWFu" "SGVsbG8sIFdvcmxkIQ==\r\n" "a b\tc=3D=\r\nd"
    "=41=42=43=" "abc=\r\ndef" "abc=\ndef" "=  41" "=4" "=ZZ" "caf=C3=A9 =\r\n" "line one\r\nline two\r\n"
    "a=1&b=2" "b+c=x%2fy" "a = 1" "name=v1,v2, v3\r\n\tv4" "%41%4a%4A" "a&b" "%4" "x=%e9%2d%5f%2e&y=%"
    "aAbBcCdD" "pPpP" "aBc"
)
for t in "${texts[@]}"; do
    printf '%b' "$t" | seed fuzz_base64 ""
    printf '%b' "$t" | seed fuzz_base64_stream 00
    printf '%b' "$t" | seed fuzz_base64_stream 0205 4F
    printf '%b' "$t" | seed fuzz_qp 00
    printf '%b' "$t" | seed fuzz_qp 03 01 02 03
    printf '%b' "$t" | seed fuzz_url 00
    printf '%b' "$t" | seed fuzz_url 01
    printf '%b' "$t" | seed fuzz_double ""
done
# Fields for the URL round trip: 00 between fields, 01 between name and value.
unhex "6E616D65 01 76616C7565 00 61 01 3D26 00 C3A9 01 7E2E" | seed fuzz_url 00
# Longer texts: a MIME-style Base64 block and quoted-printable with long lines.
head -c 600 /dev/zero | tr '\0' 'Q' | seed fuzz_base64
{ for i in 1 2 3 4 5 6; do printf 'QUJDREVGR0hJSktMTU5PUFFSU1RVVldYWVphYmNkZWZnaGlqa2xtbm9wcXJzdHV2d3h5ejAxMjM0\r\n'; done; } |
    seed fuzz_base64_stream 0350 4E 07
{ printf 'x%.0s' $(seq 1 150); printf ' \t=\r\n\xe9\xff\x00'; } | seed fuzz_qp 0240 05

# Documents made by openssl, when it is there.
if command -v openssl >/dev/null; then
    docs=$(mktemp -d)
    trap 'rm -rf "$docs"' EXIT
    if "$here/../tests/hardening/peer-documents.sh" "$docs" >/dev/null 2>&1; then
        for f in "$docs"/*.der "$docs"/*.ber; do
            [ -f "$f" ] || continue
            case "$f" in *.der) seed fuzz_der_decode < "$f" ;; esac
            seed fuzz_ber_decode < "$f"
            seed fuzz_ber_to_der < "$f"
            seed fuzz_iou_walk 00 < "$f"
            seed fuzz_iou_walk 04 07 01 01 07 < "$f"
            seed fuzz_der_component 02 < "$f"
        done
        for f in "$docs"/ca-certificate.der "$docs"/cms-signed.der "$docs"/rsa-private.der; do
            [ -f "$f" ] || continue
            openssl base64 -in "$f" | seed fuzz_base64
            openssl base64 -in "$f" | sed 's/$/\r/' | seed fuzz_base64_stream 02 20 60
            openssl base64 -A -in "$f" | seed fuzz_base64_stream 00
        done
        [ -f "$docs/content.txt" ] && seed fuzz_qp 00 < "$docs/content.txt"
    fi
fi
echo "seed corpora written to $out ($(find "$out" -type f | wc -l) seeds)"
