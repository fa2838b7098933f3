#!/usr/bin/env bash
# A fleet upgrade to rehearse: the fleet lab (a unit on every address of
# 10.42.24.0/24, of five hardware kinds, on slow radio links, a few with the
# faults of the field) and halvex on its block, in a working folder with
# the settings, a folder for the live-host lists, firmware images for every
# hardware kind and a log folder for the journal of the batch actions.
# Select units, upgrade them (F9, 1), refresh (F5), and afterwards read
# what happened: halvex's journal and what the units logged are kept in the
# working folder.  Needs root, or a kernel that allows unprivileged user
# namespaces, and a build (scripts/build.sh plain).
#
#   lab/rehearse.sh [BUILD]        (default: build)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$here")
build=$(realpath "${1:-$root/build}")
for program in manager/halvex utility/velkor unitsim/unitsim; do
  [[ -x $build/$program ]] || { echo "rehearse: build first (scripts/build.sh plain)" >&2; exit 1; }
done

work=$build/rehearse-work
mkdir -p "$work/network" "$work/log"
[[ -f $work/halvex.ini ]] || printf 'oriole,BlueOx\r\n' >"$work/halvex.ini"
"$here/firmware-images.sh" "$work/firmware"
cp "$root/manager/readme.txt" "$work/readme.txt"

cat <<TEXT
rehearse: the fleet lab is starting (about half a minute): 254 units in 10.42.24.0/24.
rehearse: in halvex, answer the mode question (2 for every figure), then for example
rehearse:   click a few units (or F7 for all), F9, 1, pick an image, Y;
rehearse:   units of other hardware refuse it, a few fail as units in the field do;
rehearse:   F5 shows what each unit runs now; Esc, then Enter, ends halvex.
rehearse: afterwards: $work/log/10.42.24.log (halvex's journal)
rehearse:             $work/unit-log.txt (what the units logged)
TEXT
UNITSIM=$build/unitsim/unitsim "$here/run-lab.sh" --lab "$here/fleet-lab.toml" -- bash -c '
  build=$1 work=$2
  cd "$work" && PATH="$build/utility:$PATH" "$build/manager/halvex" 10.42.24.1
  status=$?
  cp "$HALVEX_LAB_RUN/unitsim.log" "$work/unit-log.txt"
  exit $status
' rehearse "$build" "$work"
