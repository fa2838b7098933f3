#!/usr/bin/env bash
# Builds the tools and runs them on the built-in lab: a private network in
# which a dozen simulated units live in 10.42.23.0/24, each with a
# management server and, for most, an SNMP agent.  velkor shows the system
# report of one unit, then halvex sweeps the block, asks every unit what it
# is and shows the device table, from which units are upgraded or
# rebooted.  Needs root, or a kernel that allows unprivileged user
# namespaces.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ ! -x build/manager/halvex ]; then
  echo "demo: the first run installs what is missing and builds the tools: about 3 to 6"
  echo "demo: minutes on a 2-core machine. Later runs start in a few seconds."
fi
echo "demo: [1/4] packages"
bash scripts/setup.sh
echo "demo: [2/4] building velkor, halvex and unitsim into build/ (ninja counts the steps)"
bash scripts/build.sh plain velkor halvex unitsim
echo "demo: [3/4] halvex's working folder build/lab-work"

# halvex works in a folder of its own: its settings file, the folder for
# its live-host lists, firmware images for the lab's units and the help file.
work=build/lab-work
mkdir -p "$work/network"
[ -f "$work/halvex.ini" ] || printf 'oriole,BlueOx\r\n' >"$work/halvex.ini"
lab/firmware-images.sh "$work/firmware"
cp manager/readme.txt "$work/readme.txt"

root=$(pwd)
echo "demo: [4/4] starting the lab (a private network namespace with the units)"
lab/run-lab.sh -- bash -c '
  root=$1
  echo "\$ velkor 10.42.23.5 BlueOx -sysinfo"
  "$root/build/utility/velkor" 10.42.23.5 BlueOx -sysinfo
  if [ -t 0 ] && [ -t 1 ]; then
    echo
    echo "halvex asks for the mode first: answer 2 (Full) to see every figure."
    read -r -p "Press Enter to start halvex on 10.42.23.0/24 (inside the lab)... " _
    cd "$root/build/lab-work" && PATH="$root/build/utility:$PATH" "$root/build/manager/halvex" 10.42.23.1
  fi
' demo "$root"
