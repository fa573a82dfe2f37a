#!/usr/bin/env bash
# Installs the build tree into a scratch prefix, then builds a consumer program against it with
# find_package (shared and static) and with pkg-config, and runs each; then runs the installed
# zcoders without LD_LIBRARY_PATH, which finds its libraries through its RUNPATH.
set -euo pipefail
build_dir=$1
source_dir=$(cd "$(dirname "$0")" && pwd)
. "$source_dir/checks.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
libdir=$work/prefix/$(cache_value "$build_dir" CMAKE_INSTALL_LIBDIR)
bindir=$work/prefix/$(cache_value "$build_dir" CMAKE_INSTALL_BINDIR)

cmake --install "$build_dir" --prefix "$work/prefix" >/dev/null
cmake -S "$source_dir/consumer" -B "$work/build" -G Ninja -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/build" >/dev/null
LD_LIBRARY_PATH="$libdir" "$work/build/consumer_shared"
"$work/build/consumer_static"

export PKG_CONFIG_PATH=$libdir/pkgconfig
c++ -std=c++20 "$source_dir/consumer/main.cpp" -o "$work/consumer_pc" $(pkg-config --cflags --libs zentrikcoders) $(pkg-config --libs re2)
LD_LIBRARY_PATH="$libdir" "$work/consumer_pc"

test -x "$bindir/zcoders" || fail "zcoders was not installed"
expect_runpath "$bindir/zcoders" "\$ORIGIN/$(realpath -m --relative-to="$bindir" "$libdir")"
for library in "$libdir"/libZentrik*.so.*.*.*; do
    expect_runpath "$library" '$ORIGIN'
done
expect_libraries_from "$bindir/zcoders" "$libdir" 4
expect_libraries_from "$libdir/libZentrikCoders.so" "$libdir" 3
expect_zcoders_dump "$bindir/zcoders"
echo "installed package usable"
