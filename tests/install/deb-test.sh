#!/usr/bin/env bash
# Makes the Debian packages of a built release folder with `cpack -G DEB`, checks their names,
# versions, dependencies and contents, unpacks the three into a fresh root with `dpkg -x`, builds
# the consumer program against that root with find_package and runs it, and runs the unpacked
# zcoders. Nothing of the root is found through LD_LIBRARY_PATH.
# Usage: tests/install/deb-test.sh BUILD_DIR   (configured and built, e.g. build/release)
set -euo pipefail
build_dir=$(cd "$1" && pwd)
source_dir=$(cd "$(dirname "$0")" && pwd)
. "$source_dir/checks.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

version=$(cache_value "$build_dir" CMAKE_PROJECT_VERSION)
major=${version%%.*}
deb_version=$version-1
arch=$(dpkg --print-architecture)
libdir=usr/$(cache_value "$build_dir" CMAKE_INSTALL_LIBDIR)
runtime=libzentrikcoders$major
development=libzentrikcoders-dev
tool=zcoders
# The Debian package of the RE2 library the build links (libre2-9 on Debian 12).
re2_soname=$(readelf -d "$build_dir/libZentrikUtils.so" | sed -n 's/.*NEEDED.*\[\(libre2\.so[^]]*\)\]/\1/p')
re2_package=$(dpkg -S "$(pkg-config --variable=libdir re2)/$re2_soname" | cut -d: -f1)

cpack --config "$build_dir/CPackConfig.cmake" -G DEB -B "$work/packages" >"$work/cpack.log" 2>&1 \
    || { cat "$work/cpack.log" >&2; fail "cpack -G DEB failed"; }
[ "$(ls "$work/packages"/*.deb | wc -l)" -eq 3 ] || fail "not three packages: $(ls "$work/packages")"
deb() { echo "$work/packages/${1}_${deb_version}_$arch.deb"; }
for package in $runtime $development $tool; do
    [ -f "$(deb "$package")" ] || fail "no package $(basename "$(deb "$package")")"
done

# Control fields: name, version, architecture, maintainer, description, dependencies.
field() { dpkg-deb -I "$(deb "$1")" control | sed -n "s/^ *$2: //p"; }
expect_depends() {
    local package=$1 item
    shift
    for item in "$@"; do
        field "$package" Depends | tr ',' '\n' | sed 's/^ *//' | grep -Eqx "$item" \
            || fail "$package: Depends '$(field "$package" Depends)' lacks $item"
    done
}
for package in $runtime $development $tool; do
    [ "$(field "$package" Package)" = "$package" ] || fail "$package: Package field $(field "$package" Package)"
    [ "$(field "$package" Version)" = "$deb_version" ] || fail "$package: Version $(field "$package" Version)"
    [ "$(field "$package" Architecture)" = "$arch" ] || fail "$package: Architecture $(field "$package" Architecture)"
    [ -n "$(field "$package" Maintainer)" ] && [ -n "$(field "$package" Description)" ] \
        || fail "$package: no Maintainer or Description"
done
same_version="$runtime \\(= ${deb_version//./\\.}\\)"
expect_depends $runtime "$re2_package( \\(.*\\))?" 'libstdc\+\+6( \(.*\))?'
expect_depends $development "$same_version" libre2-dev pkg-config
expect_depends $tool "$same_version"
libraries=(libZentrikUtils libZentrikASN1 libZentrikInternet libZentrikCoders)
for library in "${libraries[@]}"; do
    dpkg-deb -I "$(deb $runtime)" shlibs | grep -qx "$library $major $runtime (= $deb_version)" \
        || fail "$runtime: shlibs has no line for $library"
done

# Contents: every file (or link) of a package is one it may hold, and those it must hold are there.
expect_contents() {
    local package=$1 allowed=$2 file
    shift 2
    local files
    files=$(dpkg-deb -c "$(deb "$package")" | awk '$1 !~ /^d/ {print substr($6, 3)}')
    while read -r file; do
        [[ $file =~ ^($allowed)$ ]] || fail "$package holds $file, which it should not"
    done <<<"$files"
    for file in "$@"; do
        grep -qx "$file" <<<"$files" || fail "$package lacks $file"
    done
}
names=$(IFS='|'; echo "${libraries[*]}")
expect_contents $runtime "$libdir/($names)\\.so\\.($major|${version//./\\.})" \
    $(for l in "${libraries[@]}"; do echo "$libdir/$l.so.$major $libdir/$l.so.$version"; done)
expect_contents $development \
    "usr/include/zentrik/.+\\.h|$libdir/($names)\\.(a|so)|$libdir/cmake/ZentrikCoders/ZentrikCoders[A-Za-z-]*\\.cmake|$libdir/pkgconfig/zentrikcoders\\.pc" \
    $(for l in "${libraries[@]}"; do echo "$libdir/$l.a $libdir/$l.so"; done) \
    usr/include/zentrik/asn1/DERCoder.h usr/include/zentrik/platform/utils/ByteArray.h \
    $libdir/cmake/ZentrikCoders/ZentrikCodersConfig.cmake $libdir/cmake/ZentrikCoders/ZentrikCodersTargets.cmake \
    $libdir/pkgconfig/zentrikcoders.pc
expect_contents $tool "usr/bin/zcoders|usr/share/man/man1/zcoders\\.1" usr/bin/zcoders usr/share/man/man1/zcoders.1

# The unpacked packages at work, from a root that is no prefix the system knows.
root=$work/root
for package in $runtime $development $tool; do
    dpkg -x "$(deb "$package")" "$root"
done
expect_runpath "$root/usr/bin/zcoders" "\$ORIGIN/$(realpath -m --relative-to=/usr/bin "/$libdir")"
for library in "${libraries[@]}"; do
    expect_runpath "$root/$libdir/$library.so.$version" '$ORIGIN'
done
expect_libraries_from "$root/usr/bin/zcoders" "$root/$libdir" 4
expect_libraries_from "$root/$libdir/libZentrikCoders.so.$major" "$root/$libdir" 3
expect_zcoders_dump "$root/usr/bin/zcoders"

cmake -S "$source_dir/consumer" -B "$work/consumer" -G Ninja -DCMAKE_PREFIX_PATH="$root/usr" >/dev/null
[ "$(cache_value "$work/consumer" ZentrikCoders_DIR)" = "$root/$libdir/cmake/ZentrikCoders" ] \
    || fail "the consumer found ZentrikCoders in $(cache_value "$work/consumer" ZentrikCoders_DIR)"
cmake --build "$work/consumer" >/dev/null
env -u LD_LIBRARY_PATH "$work/consumer/consumer_shared"
"$work/consumer/consumer_static"
[ -f "$(PKG_CONFIG_PATH=$root/$libdir/pkgconfig pkg-config --variable=libdir zentrikcoders)/libZentrikCoders.so" ] \
    || fail "zentrikcoders.pc does not lead to the unpacked libraries"
echo "Debian packages: $runtime, $development, $tool $deb_version ($arch) usable"
