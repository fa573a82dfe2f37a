#!/usr/bin/env bash
# Builds the Python module in the dev build, installs it (the README's command) into a scratch root,
# runs the pytest suite against that installed copy and the Dask example on a small sample with a
# LocalCluster of 2 worker processes.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

cmake --preset dev -DZENTRIK_PYTHON=ON >/dev/null
cmake --build build/dev --target zentrik_python

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
DESTDIR="$scratch/root" cmake --install build/dev --component python >/dev/null
site="$(/usr/bin/python3 -c "import sysconfig; print(sysconfig.get_path('platlib'))")"
export PYTHONPATH="$scratch/root$site"
/usr/bin/python3 -c "import zentrik, sys; sys.exit(not zentrik.__file__.startswith('$scratch'))"

/usr/bin/python3 -m pytest -q -p no:cacheprovider python/tests
/usr/bin/python3 python/examples/dask_certificates.py --make-sample 24 --workers 2 "$scratch/certificates"
