#!/usr/bin/env bash
# Installs what is missing, builds the plain and the sanitizer variants, and
# runs the whole test suite under both.  Exits non-zero when a test fails.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
status=0
for variant in plain sanitize; do
  bash scripts/build.sh "$variant"
  dir=build; [ "$variant" = sanitize ] && dir=build-sanitize
  echo "== tests, $variant build"
  ctest --test-dir "$dir" --output-on-failure -j 2 || status=1
done
exit $status
