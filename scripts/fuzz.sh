#!/usr/bin/env bash
# Builds one libFuzzer target with clang (address and undefined-behaviour
# sanitizers) and runs it: scripts/fuzz.sh TARGET SECONDS
#   TARGET: client_session, unit_session, description or manager_files,
#           or all: the four, built together and run two at a time
# The seed corpus fuzz/corpus/TARGET/ is read and left as it is; what the
# run finds goes to build-fuzz/corpus/TARGET/, a crash to build-fuzz/.
# Exit status: 0 when nothing was found, else libFuzzer's (for all: the
# number of targets that found something).
set -euo pipefail
self=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")
cd "$(dirname "$0")/.."
built=false
if [[ ${1:-} == --built ]]; then built=true; shift; fi
target=${1:-}
seconds=${2:-20}
all=(client_session unit_session description manager_files)
case "$target" in
  client_session|unit_session|description|manager_files) targets=("$target") ;;
  all) targets=("${all[@]}") ;;
  *) echo "usage: scripts/fuzz.sh client_session|unit_session|description|manager_files|all SECONDS" >&2
     exit 2 ;;
esac
if ! [[ $seconds =~ ^[0-9]+$ ]]; then
  echo "scripts/fuzz.sh: SECONDS must be a whole number" >&2
  exit 2
fi
$built || cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DFUZZ=ON -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
names=()
for t in "${targets[@]}"; do names+=("fuzz/${t}_fuzzer"); done
$built || ninja -C build-fuzz "${names[@]}" >/dev/null
if [[ $target == all ]]; then
  # Two at a time, one a core; each one's lines come out when it ends.
  found=0
  for ((i = 0; i < ${#all[@]}; i += 2)); do
    a=${all[i]} b=${all[i + 1]}
    bash "$self" --built "$a" "$seconds" >"build-fuzz/$a.out" 2>&1 & first=$!
    bash "$self" --built "$b" "$seconds" >"build-fuzz/$b.out" 2>&1 & second=$!
    wait "$first" || found=$((found + 1))
    wait "$second" || found=$((found + 1))
    cat "build-fuzz/$a.out" "build-fuzz/$b.out"
  done
  exit "$found"
fi
work=build-fuzz/corpus/$target
mkdir -p "$work"
cd build-fuzz
log=corpus/$target.log
status=0
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  "./fuzz/${target}_fuzzer" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 \
  -rss_limit_mb=2048 "corpus/$target" "../fuzz/corpus/$target" >"$log" 2>&1 || status=$?
grep -E '^(#[0-9]+ +DONE|stat::number_of_executed_units|stat::peak_rss_mb|==[0-9]+==ERROR|SUMMARY|artifact_prefix|Test unit written)' "$log" || true
echo "fuzz $target: ${seconds} s, status $status (the whole output is build-fuzz/$log)"
exit "$status"
