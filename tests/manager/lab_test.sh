#!/usr/bin/env bash
# Runs one end-to-end case of halvex inside a fresh lab network.
#   lab_test.sh CASE HALVEX CONSOLE_EVENTS VELKOR [--unitsim PROGRAM]
# Exit 77 (skipped) when the lab cannot be created on this machine.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
case_name=$1 halvex=$2 events=$3 velkor=$4
shift 4

if ! "$root/lab/run-lab.sh" --check; then
  echo "SKIPPED: the lab network cannot be created here (needs root or user namespaces)"
  exit 77
fi
lab_file=$root/lab/default-lab.toml
case $case_name in
  upgrade | upgrade_prompt | colours) lab_file=$here/small-lab.toml ;;
  journal)
    # The small lab with a password found nowhere else, and .12 behind a
    # slow link, so that a batch can be caught in the middle of it.
    lab_file=$(mktemp --suffix=.toml)
    trap 'rm -f "$lab_file"' EXIT
    sed -e 's/"BlueOx"/"Tq7-x9Zk"/' -e '/name = "cpe-12"/a link_kbit = 400' "$here/small-lab.toml" >"$lab_file"
    ;;
  paging)
    # More units than a page holds.
    lab_file=$(mktemp --suffix=.toml)
    trap 'rm -f "$lab_file"' EXIT
    printf '[defaults]\nhardware = "ARX-200"\n' >"$lab_file"
    for h in $(seq 1 45); do printf '[[unit]]\naddress = "10.42.23.%d"\nname = "u%d"\n' "$h" "$h"; done >>"$lab_file"
    ;;
esac
[[ $case_name == fleet ]] && lab_file=$root/lab/fleet-lab.toml
if [[ $case_name != lab && $case_name != fleet ]]; then
  "$root/lab/run-lab.sh" --lab "$lab_file" "$@" -- \
    bash "$here/in_lab.sh" "$case_name" "$halvex" "$events" "$velkor"
  exit
fi

# The lab itself (the default one, or the fleet lab of a whole block):
# inside, every unit is served; afterwards nothing of it is left, neither a
# process in its namespace nor its scratch folder.
record=$(mktemp)
trap 'rm -f "$record"' EXIT
HALVEX_LAB_RECORD=$record "$root/lab/run-lab.sh" --lab "$lab_file" "$@" -- \
  bash "$here/in_lab.sh" "$case_name" "$halvex" "$events" "$velkor"
status=$?
((status == 0)) || exit "$status"
read -r netns run <"$record"
[[ -n $netns && -n $run ]] || { echo "FAIL: the lab left no record"; exit 1; }
[[ ! -e $run ]] || { echo "FAIL: the lab's scratch folder $run is still there"; exit 1; }
for ns in /proc/[0-9]*/ns/net; do
  if [[ $(readlink "$ns" 2>/dev/null) == "$netns" ]]; then
    echo "FAIL: process ${ns//[^0-9]/} is still in the lab's namespace"
    exit 1
  fi
done
echo "PASS: nothing of the lab is left"
