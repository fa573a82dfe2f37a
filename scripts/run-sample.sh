#!/usr/bin/env bash
# Sets everything up on a fresh machine, builds the release configuration and dumps the sample certificate.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release
build/release/tools/zcoders/zcoders dump samples/certificate.der
