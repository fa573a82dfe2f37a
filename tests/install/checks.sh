# Checks shared by install-test.sh and deb-test.sh (sourced, not run).

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# cache_value BUILD_DIR NAME: the value of NAME in BUILD_DIR/CMakeCache.txt.
cache_value() {
    sed -n "s/^$2:[A-Z]*=//p" "$1/CMakeCache.txt"
}

# expect_runpath FILE VALUE: the dynamic section of FILE holds RUNPATH VALUE, exactly.
expect_runpath() {
    local found
    found=$(readelf -d "$1" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]$/\1/p')
    [ "$found" = "$2" ] || fail "$1: RUNPATH '$found', expected '$2'"
}

# expect_libraries_from FILE DIR COUNT: without LD_LIBRARY_PATH, the loader finds COUNT libraries
# libZentrik* for FILE, every one of them in DIR.
expect_libraries_from() {
    local dir found=0 name path
    dir=$(realpath "$2")
    while read -r name path; do
        [ "$path" != "not" ] || fail "$1: $name not found"
        [ "$(dirname "$(realpath "$path")")" = "$dir" ] || fail "$1: $name found as $path, not in $dir"
        found=$((found + 1))
    done < <(env -u LD_LIBRARY_PATH ldd "$1" | awk '$1 ~ /^libZentrik/ {print $1, $3}')
    [ "$found" -eq "$3" ] || fail "$1: $found libraries libZentrik*, expected $3"
}

# expect_zcoders_dump ZCODERS: the tool, run without LD_LIBRARY_PATH, dumps a small DER value.
expect_zcoders_dump() {
    local out
    out=$(printf '\x30\x06\x02\x01\x01\x01\x01\xff' | env -u LD_LIBRARY_PATH "$1" dump) \
        || fail "$1 dump failed"
    [ "$out" = $'     0 2     6: SEQUENCE\n     2 2     1:   INTEGER 1\n     5 2     1:   BOOLEAN TRUE' ] \
        || fail "$1 dump printed: $out"
}
