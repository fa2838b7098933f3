#!/usr/bin/env bash
# Writes lab/fleet-lab.toml, the lab of a whole block: a unit on every host
# address 1 to 254 of 10.42.24.0/24, of five hardware kinds and several
# firmware versions, for rehearsing work on a real block (a query of every
# unit, a fleet upgrade).  The file is checked in as written; run this
# again after changing it:  lab/fleet-lab.sh > lab/fleet-lab.toml
#
# What the block holds (n is the host number):
#   n % 5 == 3     no SNMP (asked through velkor's system report); among
#                  them n % 40 == 3 has a server too old for the report
#                  (OLD VERSION) and n % 40 == 23 one that hangs up (UNKNOWN)
#   1 50 100 150 200 250   access points with several registrations; 120 one
#                  with two cards (MULTIPLE)
#   every other    a customer unit with one card, registered to its AP
#   links          5,000 to 30,000 kbit/s, replies 2 to 40 ms late
#   faults         17 97 177 flash_fails; 37 137 237 keeps_old_firmware;
#                  57 157 upload_drop_after_bytes
set -euo pipefail

kinds=(ARX-200 ARX-300 ARX-500 CPE-110 CPE-220)
releases=("2.3.2 4105" "2.4.9 4388" "2.5.0 4650" "2.5.1 4711" "2.6.0 4802")
aps=(1 50 100 150 200 250)

cat <<'HEAD'
# The fleet lab: a unit on every host address of 10.42.24.0/24, written by
# lab/fleet-lab.sh (which says what the block holds).  Run it with
#   lab/run-lab.sh --lab lab/fleet-lab.toml -- COMMAND
# Every unit with SNMP gets an agent of its own (community "oriole").

[defaults]
password = "BlueOx"
port = 856
install_uploads = true
flash_step_ms = 20
HEAD

hex() { printf '%02X' "$1"; }
ap_of() {  # the access point a unit registers with
  local n=$1 best=1 ap
  for ap in "${aps[@]}"; do ((ap <= n)) && best=$ap; done
  echo "$best"
}

for n in $(seq 1 254); do
  kind=${kinds[$(((n * 7) % 5))]}
  read -r version build <<<"${releases[$(((n * 3) % 5))]}"
  echo
  echo "[[unit]]"
  echo "address = \"10.42.24.$n\""
  is_ap=false
  for ap in "${aps[@]}"; do ((ap == n)) && is_ap=true; done
  if $is_ap; then echo "name = \"fleet-ap-$n\""; else echo "name = \"fleet-cpe-$n\""; fi
  echo "hardware = \"$kind\""
  echo "firmware = \"$version\""
  echo "build = \"$build\""
  echo "link_kbit = $((5000 + (n * 1237) % 25001))"
  echo "reply_delay_ms = $((2 + (n * 17) % 39))"
  case $n in
    17 | 97 | 177) echo "flash_fails = true" ;;
    37 | 137 | 237) echo "keeps_old_firmware = true" ;;
    57 | 157) echo "upload_drop_after_bytes = 100000" ;;
  esac
  if ((n % 5 == 3)); then
    echo "snmp = false"
    ((n % 40 == 3)) && echo "old_server = true"
    ((n % 40 == 23)) && echo "silent_server = true"
    continue
  fi
  mac="00:0C:42:24:$(hex "$n"):01"
  if $is_ap; then
    echo "[[unit.card]]"
    echo "device = \"wpci1\""
    echo "type = \"atheros\""
    echo "mode = \"master\""
    echo "mac = \"$mac\""
    echo "quality = $((60 + n % 30))"
    echo "level = $((85 + n % 10))"
    echo "noise = $((45 + n % 5))"
    for s in 1 2 3; do
      station=$((n + s))
      echo "[[unit.card.station]]"
      echo "name = \"fleet-cpe-$station\""
      echo "mac = \"00:0C:42:24:$(hex "$station"):01\""
      echo "ip = \"10.42.24.$station\""
      echo "signal = $((40 + (n + s) % 20))"
      echo "noise = $((18 + s))"
      echo "rate = $((60 * s))"
    done
    continue
  fi
  ap=$(ap_of "$n")
  echo "[[unit.card]]"
  echo "device = \"wpci1\""
  echo "type = \"atheros\""
  echo "mode = \"infrastructure\""
  echo "mac = \"$mac\""
  echo "quality = $((30 + (n * 11) % 60))"
  echo "level = $((70 + n % 25))"
  echo "noise = $((45 + n % 6))"
  echo "[[unit.card.station]]"
  echo "name = \"fleet-ap-$ap\""
  echo "mac = \"00:0C:42:24:$(hex "$ap"):01\""
  echo "ip = \"10.42.24.$ap\""
  echo "signal = $((40 + n % 20))"
  echo "noise = 20"
  echo "rate = 110"
  if ((n == 120)); then
    echo "[[unit.card]]"
    echo "device = \"wpci2\""
    echo "type = \"atheros\""
    echo "mode = \"master\""
    echo "mac = \"00:0C:42:24:78:02\""
  fi
done
