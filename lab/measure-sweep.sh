#!/usr/bin/env bash
# Measures halvex's sweep in the lab: wall time and CPU time of one sweep of
# 10.42.23.0/24 with no live host, with the default lab's units, and with
# all 254 hosts alive.  On demand only; needs what lab/run-lab.sh needs.
#
#   lab/measure-sweep.sh [HALVEX]      (default: build/manager/halvex)
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$here")

if [[ ${1:-} != --inside ]]; then
  halvex=$(realpath "${1:-$root/build/manager/halvex}")
  [[ -x $halvex ]] || { echo "measure-sweep: build halvex first ($halvex)" >&2; exit 1; }
  exec "$here/run-lab.sh" -- bash "$here/measure-sweep.sh" --inside "$halvex"
fi
halvex=$2
[[ ${HALVEX_LAB:-} == 1 && $(readlink /proc/self/ns/net) != "$HALVEX_LAB_OUTER_NETNS" ]] ||
  { echo "measure-sweep: not inside the lab" >&2; exit 1; }

work=$HALVEX_LAB_RUN/measure
mkdir -p "$work/network"
sock=$HALVEX_LAB_RUN/measure.sock
tmux_() { tmux -S "$sock" -f /dev/null "$@"; }
trap 'tmux_ kill-server 2>/dev/null' EXIT

# One sweep through ICMP sockets of kind $1: prints "live-hosts wall-seconds cpu-seconds halvex's-own-line".
measure() {
  rm -f "$work/time"
  tmux_ new-session -d -s m -x 115 -y 45 \
    "cd $work && env TERM=xterm-256color HALVEX_ICMP=$1 $halvex 10.42.23.1; times >$work/time"
  until tmux_ capture-pane -p -t m | grep -q "Select 1="; do sleep 0.01; done
  local start end
  start=$(date +%s.%N)
  tmux_ send-keys -t m 1 Enter
  until tmux_ capture-pane -p -t m | grep -q "Alive hosts, in"; do sleep 0.01; done
  end=$(date +%s.%N)
  local found
  found=$(tmux_ capture-pane -p -t m | grep "Alive hosts, in")
  tmux_ send-keys -t m Escape
  until tmux_ capture-pane -p -t m | grep -q "RETURN by itself"; do sleep 0.01; done
  tmux_ send-keys -t m x Enter
  while [[ ! -s $work/time ]]; do sleep 0.05; done
  local cpu
  # The second line of `times`: user and system time of the shell's children.
  cpu=$(awk 'NR == 2 {
    split($1, u, /[ms]/); split($2, s, /[ms]/)
    printf "%.2f", u[1] * 60 + u[2] + s[1] * 60 + s[2] }' "$work/time")
  printf '%-22s wall %5.2f s   cpu %s s   (%s)\n' "$3" "$(awk "BEGIN { print $end - $start }")" "$cpu" "$found"
}

lab_addresses=$(ip -o -4 addr show dev lo | awk '{ print $4 }' | grep -v '^127\.')
n=$(echo "$lab_addresses" | wc -l)
measure datagram "" "$n live hosts (lab):"
measure raw "" "$n live, raw sockets:"
for a in $lab_addresses; do ip addr del "$a" dev lo; done
measure datagram "" "0 live hosts:"
measure raw "" "0 live, raw sockets:"
ip route add local 10.42.23.0/24 dev lo
measure datagram "" "254 live hosts:"
measure raw "" "254 live, raw sockets:"
