#!/usr/bin/env bash
# Installs what is missing, builds four variants and runs the tests: the
# whole suite in the plain build; in the sanitizer build all but the fleet
# lab and the installed package (which repeat the plain build's runs of
# them at many times the cost); in the g++ Release and clang builds the
# unit tests.  The other runs would repeat the plain build's and cost CI's
# time.  The builds' and the tests' own output goes to log files (named at
# the end, and shown when a step fails); the last lines sum up each variant.
# Exits non-zero when a test fails.
set -uo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh || exit 1
logs=build-logs
mkdir -p "$logs"
status=0
summary=()
times=()
total_run=0
total_failed=0
started=$SECONDS
for variant in plain sanitize release clang; do
  case "$variant" in
    plain) dir=build ;;
    *) dir=build-$variant ;;
  esac
  case "$variant" in
    plain) selection=() ;;
    sanitize) selection=(-LE 'fleet|install') ;;
    release) selection=(-L unit) ;;
    clang) selection=(-L unit) ;;
  esac
  begin=$SECONDS
  echo "== $variant: building ($logs/build-$variant.log)"
  if ! bash scripts/build.sh "$variant" >"$logs/build-$variant.log" 2>&1; then
    tail -n 40 "$logs/build-$variant.log"
    echo "== $variant: the build failed; the whole log is $logs/build-$variant.log"
    summary+=("$variant: build failed")
    status=1
    continue
  fi
  echo "== $variant: testing ($logs/test-$variant.log)"
  ctest --test-dir "$dir" --output-on-failure -j 2 "${selection[@]}" >"$logs/test-$variant.log" 2>&1
  result=$?
  line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$logs/test-$variant.log" | tail -1)
  run=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
  failed=$(sed -E 's/.*, ([0-9]+) tests failed.*/\1/' <<<"$line")
  if [[ -z $line ]]; then
    tail -n 40 "$logs/test-$variant.log"
    summary+=("$variant: no test summary (see $logs/test-$variant.log)")
    status=1
    continue
  fi
  if ((result != 0)); then
    status=1
    # What failed, with each failing test's own output, from the log.
    sed -n '/The following tests FAILED/,$p' "$logs/test-$variant.log"
    grep -B2 -A40 -E '\*\*\*(Failed|Exception|Timeout)' "$logs/test-$variant.log" | head -n 200
  fi
  total_run=$((total_run + run))
  total_failed=$((total_failed + failed))
  skipped=$(grep -c -E '\*\*\*Skipped' "$logs/test-$variant.log")
  summary+=("$variant: $((run - failed)) passed, $failed failed")
  times+=("$variant $((SECONDS - begin)) s with its build, $skipped skipped")
done
# Each fuzz target for a short time (the long runs are on demand).
fuzz_begin=$SECONDS
fuzz_failed=0
for target in client_session unit_session description manager_files; do
  echo "== fuzz: $target for 20 s ($logs/fuzz-$target.log)"
  if ! bash scripts/fuzz.sh "$target" 20 >"$logs/fuzz-$target.log" 2>&1; then
    tail -n 20 "$logs/fuzz-$target.log"
    fuzz_failed=$((fuzz_failed + 1))
    status=1
  fi
done
summary+=("fuzz: $((4 - fuzz_failed)) of 4 targets without a finding")
times+=("fuzz $((SECONDS - fuzz_begin)) s")
echo
echo "== summary (logs in $logs/)"
printf '%s\n' "${summary[@]}"
echo "time: $(printf '%s; ' "${times[@]}")$((SECONDS - started)) s in all"
echo "total: $((total_run - total_failed)) passed, $total_failed failed"
exit $status
