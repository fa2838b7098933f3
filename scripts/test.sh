#!/usr/bin/env bash
# Installs what is missing, builds four variants and runs the tests: the
# whole suite in the plain build; in the sanitizer build all but the fleet
# lab, the installed package and the lab's comparison of one unit at a time
# with many (which repeat the plain build's runs at many times the cost);
# the g++ Release build makes the programs; the clang build runs the unit
# tests.  The other runs would repeat the plain build's and cost CI's time.
# The builds' and the tests' own output goes to log files (named at the
# end, and shown when a step fails); the last lines sum up each variant.
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
# Includes go one way: no two modules or folders include each other.
if python3 scripts/include-ties.py >"$logs/include-ties.log" 2>&1; then
  summary+=("includes: one way")
else
  cat "$logs/include-ties.log"
  summary+=("includes: two-way ties (see $logs/include-ties.log)")
  status=1
fi

# Runs one ctest pass and adds its counts: PASS-NAME JOBS CTEST-ARGS...
run_tests() {
  local name=$1 jobs=$2 log=$logs/test-$1.log
  shift 2
  echo "== $name: testing ($log)"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs" "$@" >"$log" 2>&1
  local result=$? line run failed
  line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -1)
  if [[ -z $line ]]; then
    tail -n 40 "$log"
    summary+=("$name: no test summary (see $log)")
    status=1
    return
  fi
  run=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
  failed=$(sed -E 's/.*, ([0-9]+) tests failed.*/\1/' <<<"$line")
  if ((result != 0)); then
    status=1
    # What failed, with each failing test's own output, from the log.
    sed -n '/The following tests FAILED/,$p' "$log"
    grep -B2 -A40 -E '\*\*\*(Failed|Exception|Timeout)' "$log" | head -n 200
  fi
  total_run=$((total_run + run))
  total_failed=$((total_failed + failed))
  summary+=("$name: $((run - failed)) passed, $failed failed, $(grep -c -E '\*\*\*Skipped' "$log") skipped")
}

for variant in plain sanitize release clang; do
  case "$variant" in
    plain) dir=build ;;
    *) dir=build-$variant ;;
  esac
  targets=()
  # The g++ Release build makes the programs as they ship; its tests
  # would repeat the clang Release build's.
  [[ $variant == release ]] && targets=(velkor halvex unitsim)
  begin=$SECONDS
  echo "== $variant: building ($logs/build-$variant.log)"
  if ! bash scripts/build.sh "$variant" "${targets[@]}" >"$logs/build-$variant.log" 2>&1; then
    tail -n 40 "$logs/build-$variant.log"
    echo "== $variant: the build failed; the whole log is $logs/build-$variant.log"
    summary+=("$variant: build failed")
    status=1
    continue
  fi
  # The lab cases mostly wait (for time-outs, agents, the screen), so four
  # run at once; the unit and end-to-end tests two at once.
  case "$variant" in
    plain)
      run_tests plain 2 -LE lab
      run_tests plain-lab 4 -L lab ;;
    sanitize)
      run_tests sanitize 2 -LE 'lab|install' -E 'FaultInjection|^Load[.]'
      # The cut and load runs start thousands of velkor processes, and a
      # leak check at each one's exit costs more than the run itself; they
      # run without it (every other test, these programs' paths among them,
      # keeps it).
      ASAN_OPTIONS=detect_leaks=0 run_tests sanitize-cuts 2 -R 'FaultInjection|^Load[.]'
      run_tests sanitize-lab 4 -L lab -LE fleet -E '^halvex_lab_query_(full|firmware)$' ;;
    clang) run_tests clang 2 -L unit ;;
  esac
  times+=("$variant $((SECONDS - begin)) s with its build")
done
# Each fuzz target for a short time, two at a time (the long runs are on
# demand).
fuzz_begin=$SECONDS
echo "== fuzz: the four targets for 20 s each ($logs/fuzz.log)"
if bash scripts/fuzz.sh all 20 >"$logs/fuzz.log" 2>&1; then
  summary+=("fuzz: 4 of 4 targets without a finding")
else
  tail -n 40 "$logs/fuzz.log"
  summary+=("fuzz: a finding or a failed build (see $logs/fuzz.log)")
  status=1
fi
times+=("fuzz $((SECONDS - fuzz_begin)) s")
echo
echo "== summary (logs in $logs/)"
printf '%s\n' "${summary[@]}"
echo "time: $(printf '%s; ' "${times[@]}")$((SECONDS - started)) s in all"
echo "total: $((total_run - total_failed)) passed, $total_failed failed"
exit $status
