#!/usr/bin/env bash
# Configures and builds one variant: scripts/build.sh [plain|sanitize|release|clang] [TARGET...]
# (every target, or only those named and what they need)
#   plain     g++, RelWithDebInfo, in build/
#   sanitize  g++, Debug with AddressSanitizer + UndefinedBehaviorSanitizer, in build-sanitize/
#   release   g++, Release (-O3), in build-release/
#   clang     clang++, Release, in build-clang/
# Every variant treats warnings as errors; a build of one's own with plain
# cmake does not.
set -euo pipefail
cd "$(dirname "$0")/.."
variant=${1:-plain}
targets=("${@:2}")
compiler=()
case "$variant" in
  plain)    dir=build;          flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DSANITIZE=OFF) ;;
  sanitize) dir=build-sanitize; flags=(-DCMAKE_BUILD_TYPE=Debug -DSANITIZE=ON) ;;
  release)  dir=build-release;  flags=(-DCMAKE_BUILD_TYPE=Release -DSANITIZE=OFF) ;;
  clang)    dir=build-clang;    flags=(-DCMAKE_BUILD_TYPE=Release -DSANITIZE=OFF)
            compiler=(-DCMAKE_CXX_COMPILER=clang++) ;;
  *) echo "usage: scripts/build.sh [plain|sanitize|release|clang]" >&2; exit 2 ;;
esac
cmake -S . -B "$dir" -G Ninja "${compiler[@]}" "${flags[@]}" -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
ninja -C "$dir" -j "$(nproc)" "${targets[@]}"
