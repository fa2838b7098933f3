#!/usr/bin/env bash
# Measures halvex's device query in the lab, with the real snmpwalk, snmpd
# agents and velkor: for each mode and each number of hosts asked at once,
# several runs of the whole query of the lab's units, with the manager's
# own processor time (also per host) and the peak memory of the manager
# and its children together.  On demand only; needs what lab/run-lab.sh
# needs.
#
#   lab/measure-query.sh [--lab FILE] [--runs N] [--jobs "32 1"] [--modes "2 1"] [BUILD]
#
# --lab FILE    the lab (default: lab/default-lab.toml)
# --runs N      runs of each mode and number (default 3)
# --jobs LIST   the numbers of hosts asked at once, in the same lab run
# --modes LIST  2 = Full, 1 = Firmware
# BUILD         the build folder (default: build)
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$here")

if [[ ${1:-} != --inside ]]; then
  lab=$here/default-lab.toml runs=3 jobs="32 1" modes="2 1" build=$root/build
  while (($# > 0)); do
    case $1 in
      --lab) lab=$2; shift 2 ;;
      --runs) runs=$2; shift 2 ;;
      --jobs) jobs=$2; shift 2 ;;
      --modes) modes=$2; shift 2 ;;
      -h | --help) sed -n '2,/^set -uo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
      *) build=$1; shift ;;
    esac
  done
  build=$(realpath "$build")
  [[ -x $build/bench/query_bench ]] || { echo "measure-query: build first ($build/bench/query_bench)" >&2; exit 1; }
  exec "$here/run-lab.sh" --lab "$lab" -- bash "$here/measure-query.sh" --inside "$build" "$runs" "$jobs" "$modes"
fi
build=$2 runs=$3 jobs=$4 modes=$5
[[ ${HALVEX_LAB:-} == 1 && $(readlink /proc/self/ns/net) != "$HALVEX_LAB_OUTER_NETNS" ]] ||
  { echo "measure-query: not inside the lab" >&2; exit 1; }

work=$HALVEX_LAB_RUN/measure
mkdir -p "$work/bin"
ln -sf "$build/utility/velkor" "$work/bin/velkor"
first=$(awk 'NR == 1 { print $1 }' "$HALVEX_LAB_UNITS")
prefix=${first%.*}.
hosts=$(awk '{ n = $1; sub(/.*\./, "", n); print n }' "$HALVEX_LAB_UNITS")
cd "$work" || exit 1
for mode in $modes; do
  for n in $jobs; do
    echo "mode $mode ($( ((mode == 2)) && echo Full || echo Firmware)), $(echo $hosts | wc -w) units, $n at once:"
    PATH=$work/bin:$PATH QUERY_BENCH_PASSWORD=BlueOx \
      "$build/bench/query_bench" --runs "$runs" --mode "$mode" --jobs "$n" "$prefix" $hosts
  done
done
