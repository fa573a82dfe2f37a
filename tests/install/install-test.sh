#!/usr/bin/env bash
# Installs the build tree into a scratch prefix, then builds a consumer program against it with
# find_package (shared and static) and with pkg-config, and runs each.
set -euo pipefail
build_dir=$1
source_dir=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --install "$build_dir" --prefix "$work/prefix" >/dev/null
cmake -S "$source_dir/consumer" -B "$work/build" -G Ninja -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/build" >/dev/null
LD_LIBRARY_PATH="$work/prefix/lib" "$work/build/consumer_shared"
"$work/build/consumer_static"

libdir=$(ls -d "$work"/prefix/lib*/pkgconfig | head -1)
export PKG_CONFIG_PATH=$libdir
c++ -std=c++20 "$source_dir/consumer/main.cpp" -o "$work/consumer_pc" $(pkg-config --cflags --libs zentrikcoders) $(pkg-config --libs re2)
LD_LIBRARY_PATH="$work/prefix/lib" "$work/consumer_pc"
test -x "$work/prefix/bin/zcoders" || { echo "zcoders was not installed"; exit 1; }
echo "installed package usable"
