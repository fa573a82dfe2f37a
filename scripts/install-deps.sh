#!/usr/bin/env bash
# Installs, with apt-get, the Debian packages that building and testing need and that are missing.
set -euo pipefail

packages=(g++ cmake ninja-build pkg-config libre2-dev libgtest-dev libcli11-dev openssl libssl-dev python3 time
          clang libclang-rt-14-dev libbenchmark-dev dpkg-dev file binutils doxygen
          pybind11-dev python3-dev python3-pytest python3-asn1crypto python3-pyasn1 python3-dask python3-distributed)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "installing: ${missing[*]}"
    sudo_cmd=""
    [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
    $sudo_cmd apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}"
fi
