#!/usr/bin/env bash
# Builds a release of the tools:
#   scripts/package.sh [OUTDIR]           the Debian package (default OUTDIR:
#                                         build-package/)
#   scripts/package.sh windows [OUTDIR]   the Windows archive
#                                         unit-tools-<version>-win64.zip
#                                         (default OUTDIR: build-win-package/)
# Installs what is missing, builds the programs and runs CMake's packager;
# prints the path of what it made.  `dpkg -i` installs the package and
# `dpkg -x PACKAGE DIR` unpacks it anywhere; the archive unpacks into a
# folder from which both programs run.
set -euo pipefail
cd "$(dirname "$0")/.."
if [[ ${1:-} == windows ]]; then
  out=$(realpath -m "${2:-build-win-package}")
  need=()
  for p in g++-mingw-w64-x86-64 zip; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
  done
  if [ ${#need[@]} -gt 0 ]; then
    sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"
    echo "== installing ${need[*]}"
    DEBIAN_FRONTEND=noninteractive setsid -w $sudo apt-get install -y -qq --no-install-recommends \
      "${need[@]}" </dev/null >/dev/null
  fi
  echo "== building velkor.exe and halvex.exe in build-win-package/"
  cmake -S . -B build-win-package -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
  ninja -C build-win-package velkor halvex
  echo "== packaging"
  (cd build-win-package && cpack -G ZIP -B "$out" >/dev/null)
  ls "$out"/*.zip
  exit 0
fi
out=$(realpath -m "${1:-build-package}")
bash scripts/setup.sh
echo "== building the programs in build-package/"
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSANITIZE=OFF >/dev/null
ninja -C build-package velkor halvex unitsim compressed_docs
echo "== packaging"
(cd build-package && cpack -G DEB -B "$out" >/dev/null)
ls "$out"/*.deb
