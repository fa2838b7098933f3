#!/usr/bin/env bash
# Configures and builds one variant: scripts/build.sh [plain|sanitize]
# plain goes to build/, sanitize (AddressSanitizer + UndefinedBehaviorSanitizer) to build-sanitize/.
set -euo pipefail
cd "$(dirname "$0")/.."
variant=${1:-plain}
case "$variant" in
  plain)    dir=build;          flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DSANITIZE=OFF) ;;
  sanitize) dir=build-sanitize; flags=(-DCMAKE_BUILD_TYPE=Debug -DSANITIZE=ON) ;;
  *) echo "usage: scripts/build.sh [plain|sanitize]" >&2; exit 2 ;;
esac
cmake -S . -B "$dir" -G Ninja "${flags[@]}" >/dev/null
ninja -C "$dir" -j "$(nproc)"
