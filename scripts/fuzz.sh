#!/usr/bin/env bash
# Builds one libFuzzer target with clang (address and undefined-behaviour
# sanitizers) and runs it: scripts/fuzz.sh TARGET SECONDS
#   TARGET: client_session, unit_session, description or manager_files
# The seed corpus fuzz/corpus/TARGET/ is read and left as it is; what the
# run finds goes to build-fuzz/corpus/TARGET/, a crash to build-fuzz/.
# Exit status: 0 when nothing was found, else libFuzzer's.
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:-}
seconds=${2:-20}
case "$target" in
  client_session|unit_session|description|manager_files) ;;
  *) echo "usage: scripts/fuzz.sh client_session|unit_session|description|manager_files SECONDS" >&2
     exit 2 ;;
esac
if ! [[ $seconds =~ ^[0-9]+$ ]]; then
  echo "scripts/fuzz.sh: SECONDS must be a whole number" >&2
  exit 2
fi
cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DFUZZ=ON -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
ninja -C build-fuzz "fuzz/${target}_fuzzer" >/dev/null
work=build-fuzz/corpus/$target
mkdir -p "$work"
dict=()
[ -f "fuzz/$target.dict" ] && dict=(-dict="fuzz/$target.dict")
cd build-fuzz
log=corpus/$target.log
status=0
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  "./fuzz/${target}_fuzzer" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 \
  -rss_limit_mb=2048 "corpus/$target" "../fuzz/corpus/$target" >"$log" 2>&1 || status=$?
grep -E '^(#[0-9]+ +DONE|stat::number_of_executed_units|stat::peak_rss_mb|==[0-9]+==ERROR|SUMMARY|artifact_prefix|Test unit written)' "$log" || true
echo "fuzz $target: ${seconds} s, status $status (the whole output is build-fuzz/$log)"
exit "$status"
