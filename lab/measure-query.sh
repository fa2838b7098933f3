#!/usr/bin/env bash
# Measures halvex's device query in the lab: the default lab's units queried
# five times in Full mode (then once in Firmware mode) with the real
# snmpwalk, snmpd agents and velkor; prints the whole time and its split
# between snmpwalk, velkor and the manager's own work.  On demand only;
# needs what lab/run-lab.sh needs.
#
#   lab/measure-query.sh [BUILD]      (default: build)
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$here")

if [[ ${1:-} != --inside ]]; then
  build=$(realpath "${1:-$root/build}")
  [[ -x $build/bench/query_bench ]] || { echo "measure-query: build first ($build/bench/query_bench)" >&2; exit 1; }
  exec "$here/run-lab.sh" -- bash "$here/measure-query.sh" --inside "$build"
fi
build=$2
[[ ${HALVEX_LAB:-} == 1 && $(readlink /proc/self/ns/net) != "$HALVEX_LAB_OUTER_NETNS" ]] ||
  { echo "measure-query: not inside the lab" >&2; exit 1; }

work=$HALVEX_LAB_RUN/measure
mkdir -p "$work/bin"
ln -sf "$build/utility/velkor" "$work/bin/velkor"
hosts=$(awk '{ n = $1; sub(/.*\./, "", n); print n }' "$HALVEX_LAB_UNITS")
cd "$work" || exit 1
echo "Full mode, $(echo $hosts | wc -w) units:"
PATH=$work/bin:$PATH QUERY_BENCH_PASSWORD=BlueOx "$build/bench/query_bench" --runs 5 --mode 2 10.42.23. $hosts
echo "Firmware mode:"
PATH=$work/bin:$PATH QUERY_BENCH_PASSWORD=BlueOx "$build/bench/query_bench" --runs 2 --mode 1 10.42.23. $hosts
