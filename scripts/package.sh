#!/usr/bin/env bash
# Builds the Debian package of the three tools: scripts/package.sh [OUTDIR]
# (default build-package/). Installs what is missing, builds the programs
# in build-package/ and runs CMake's packager there; prints the package's
# path. `dpkg -i` installs it; `dpkg -x PACKAGE DIR` unpacks it anywhere.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-build-package}")
bash scripts/setup.sh
echo "== building the programs in build-package/"
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSANITIZE=OFF >/dev/null
ninja -C build-package velkor halvex unitsim
echo "== packaging"
(cd build-package && cpack -G DEB -B "$out" >/dev/null)
ls "$out"/*.deb
