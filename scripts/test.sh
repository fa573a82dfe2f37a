#!/usr/bin/env bash
# Sets everything up on a fresh machine, then builds and runs the whole test suite: the debug build,
# then the same tests under AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON

cmake --preset dev -DZENTRIK_WERROR=$werror >/dev/null
cmake --build --preset dev
ctest --preset dev

cmake --preset asan -DZENTRIK_WERROR=$werror >/dev/null
cmake --build --preset asan
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset asan
