#!/usr/bin/env bash
# Runs a command inside a private lab network: a fresh network namespace
# (and process namespace) in which every unit of a lab description answers
# ping on its own address, the simulated unit serves them all, and the
# rest of each unit block is routed into a device that drops packets
# silently, so that absent hosts time out as on a real network.  Nothing
# inside the lab can reach the machine's own networks.
#
#   lab/run-lab.sh [--lab FILE] [--unitsim PROGRAM] [--] COMMAND [ARG...]
#   lab/run-lab.sh [--lab FILE] --check
#
# --lab FILE        lab description (default: lab/default-lab.toml)
# --unitsim PROGRAM the simulated unit (default: $UNITSIM, then
#                   build/unitsim/unitsim, then unitsim on the PATH; the lab
#                   runs without it when there is none)
# --check           only tell whether the lab can be created here
#
# COMMAND runs in the current folder, on the current terminal.  The exit
# status is COMMAND's; 125 when the lab cannot be set up (the command is
# then not run).  Inside the lab, HALVEX_LAB=1 and HALVEX_LAB_OUTER_NETNS
# (the machine's own namespace, for tests that make sure they are not in
# it) are set, HALVEX_LAB_RUN names a scratch folder that is removed
# afterwards, and HALVEX_LAB_UNITS the file in which unitsim listed the
# units it serves ("ADDRESS PORT NAME" a line) when it runs.
#
# Every unit with SNMP (the default; `snmp = false` in its description says
# otherwise) also gets a real snmpd bound to its address, with unitsim
# answering the unit's own subtrees, when snmpd is installed.  The agents
# stop with the lab.
set -uo pipefail

readonly SETUP_FAILED=125
readonly DROP_DEVICE=halvexlab0
readonly DROP_PEER=halvexlab1

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$here")

say() { echo "run-lab: $*" >&2; }
die() { say "$*"; exit "$SETUP_FAILED"; }

# The addresses of the [[unit]] tables of a description, one a line.
unit_addresses() {
  awk '
    /^[ \t]*\[/ {
      header = $0
      sub(/[ \t]*#.*$/, "", header)
      gsub(/[ \t]/, "", header)
      in_unit = (header == "[[unit]]")
      next
    }
    in_unit && /^[ \t]*address[ \t]*=/ {
      line = $0
      sub(/^[^=]*=[ \t]*/, "", line)
      if (match(line, /^"[^"]*"/) || match(line, /^\047[^\047]*\047/)) {
        print substr(line, 2, RLENGTH - 2)
      }
    }
  ' "$1"
}

is_address() {
  local IFS=. part parts
  read -r -a parts <<<"$1"
  [[ $1 =~ ^[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$ ]] || return 1
  for part in "${parts[@]}"; do ((10#$part <= 255)) || return 1; done
}

# One snmpd per unit with SNMP, each with unitsim as the handler of the
# unit's own objects; returns when all of them answer.
start_agents() {
  if ! command -v snmpd >/dev/null; then
    say "note: snmpd is not installed; no unit answers SNMP"
    return
  fi
  # The clients' own Net-SNMP files (snmpwalk keeps some) stay in the lab.
  export SNMP_PERSISTENT_DIR=$run/snmp/client
  mkdir -p "$SNMP_PERSISTENT_DIR/cert_indexes"  # or the first walk says it made it
  "$unitsim" --state "$run/state" --snmpd-setup "$run/snmp" "$lab" >"$run/snmp/agents" ||
    die "unitsim could not write the snmpd configurations"
  # Only the modules the units' answers need: the others poll the system
  # now and then, which a block of agents turns into a whole core.
  local modules=usmConf,vacm_conf,snmpEngine,snmpMPDStats,usmStats,usmUser,system_mib,sysORTable
  modules+=,snmp_mib,vacm_vars,vacm_context,setSerialNo,pass,pass_persist
  local address config logs=()
  while read -r address config; do
    snmpd -f -C -c "$config" -m '' -I "$modules" -Lf "${config%/*}/snmpd.log" \
      </dev/null >/dev/null 2>&1 &
    agent_pids+=($!)
    logs+=("${config%/*}/snmpd.log")
  done <"$run/snmp/agents"
  local log waited
  for log in "${logs[@]}"; do
    for ((waited = 0; waited < 100; waited++)); do
      grep -qs "NET-SNMP version" "$log" && break
      sleep 0.05
    done
    grep -qs "NET-SNMP version" "$log" || { cat "$log" >&2; die "an snmpd of the lab did not start"; }
  done
  # An agent starts its two handlers at the first question to each: ask
  # every agent once now, a few at a time, so that the lab's first query
  # does not wait for a block of handlers to start.
  command -v snmpget >/dev/null || return 0
  while read -r address config; do
    echo "$address $(awk '$1 == "rocommunity" { print $2; exit }' "$config")"
  done <"$run/snmp/agents" |
    xargs -P 16 -L 1 sh -c 'snmpget -v 2c -c "$1" -t 2 -r 1 "$0" 1.3.6.1.2.1.1.1.0 >/dev/null 2>&1
                            snmpgetnext -v 2c -c "$1" -t 2 -r 1 "$0" 1.3.6.1.3.16313.1.25.2 >/dev/null 2>&1
                            exit 0'
}

inside() {
  local lab=$HALVEX_LAB_FILE run=$HALVEX_LAB_RUN unitsim=${HALVEX_LAB_UNITSIM:-}
  unitsim_pid=""
  agent_pids=()

  stop() {
    local rc=$?
    if ((${#agent_pids[@]} > 0)); then
      kill -TERM "${agent_pids[@]}" 2>/dev/null
      wait "${agent_pids[@]}" 2>/dev/null
    fi
    if [[ -n $unitsim_pid ]]; then
      kill -TERM "$unitsim_pid" 2>/dev/null
      local i
      for ((i = 0; i < 50; i++)); do
        kill -0 "$unitsim_pid" 2>/dev/null || break
        sleep 0.1
      done
      kill -KILL "$unitsim_pid" 2>/dev/null
      wait "$unitsim_pid" 2>/dev/null
    fi
    exit "$rc"
  }
  trap stop EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM

  ip link set lo up || die "cannot bring up lo in the lab"
  # Datagram ICMP sockets for every group, in this namespace only.
  echo "0 2147483647" >/proc/sys/net/ipv4/ping_group_range 2>/dev/null ||
    say "note: datagram ICMP sockets stay off in the lab (ping_group_range)"

  local address blocks=()
  while read -r address; do
    ip addr add "$address/32" dev lo || die "cannot add $address to the lab"
    blocks+=("${address%.*}.0/24")
  done < <(unit_addresses "$lab")

  if ip link add "$DROP_DEVICE" type veth peer name "$DROP_PEER" 2>/dev/null; then
    ip link set "$DROP_DEVICE" arp off up
    ip link set "$DROP_PEER" up
    local block
    for block in $(printf '%s\n' "${blocks[@]}" | sort -u); do
      ip route add "$block" dev "$DROP_DEVICE" || die "cannot route $block in the lab"
    done
  else
    say "note: no drop device; absent hosts fail at once instead of timing out"
  fi

  export HALVEX_LAB=1
  if [[ -n $unitsim ]]; then
    mkdir -p "$run/state"
    "$unitsim" --ready-file "$run/ready" --state "$run/state" --log "$run/unitsim.log" "$lab" \
      </dev/null >>"$run/unitsim.out" 2>&1 &
    unitsim_pid=$!
    local waited
    for ((waited = 0; waited < 200; waited++)); do
      [[ -s $run/ready ]] && break
      if ! kill -0 "$unitsim_pid" 2>/dev/null; then
        wait "$unitsim_pid"
        unitsim_pid=""
        tail -n 20 "$run/unitsim.out" >&2
        die "unitsim ended before its units were ready"
      fi
      sleep 0.05
    done
    [[ -s $run/ready ]] || { tail -n 20 "$run/unitsim.out" >&2; die "unitsim did not get ready"; }
    export HALVEX_LAB_UNITS=$run/ready
    start_agents
  fi

  "$@"
}

# ---------------------------------------------------------------------------

if [[ ${HALVEX_LAB_STAGE:-} == inside ]]; then
  unset HALVEX_LAB_STAGE
  inside "$@"
  exit $?
fi

lab=$here/default-lab.toml
unitsim=""
check=false
while (($# > 0)); do
  case $1 in
    --lab) [[ $# -ge 2 ]] || die "--lab needs a file"; lab=$2; shift 2 ;;
    --unitsim) [[ $# -ge 2 ]] || die "--unitsim needs a program"; unitsim=$2; shift 2 ;;
    --check) check=true; shift ;;
    --help | -h) sed -n '2,/^set -uo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    --) shift; break ;;
    -*) die "unknown option $1 (see --help)" ;;
    *) break ;;
  esac
done

[[ -r $lab ]] || die "cannot read the lab description $lab"
lab=$(cd "$(dirname "$lab")" && pwd)/$(basename "$lab")
while read -r address; do
  is_address "$address" || die "$lab: \"$address\" is not a dotted IPv4 address"
done < <(unit_addresses "$lab")

# Root makes the namespaces directly; anyone else through a user namespace,
# where the kernel allows it.
if [[ $(id -u) -eq 0 ]]; then
  namespaces=(--net --pid --fork --mount-proc --kill-child)
else
  namespaces=(--user --map-root-user --net --pid --fork --mount-proc --kill-child)
fi
command -v unshare >/dev/null || die "unshare (util-linux) is not installed; the lab cannot be created"
if ! problem=$(unshare "${namespaces[@]}" -- true 2>&1); then
  die "cannot create the lab's private network namespace (${problem:-unshare failed}); run as root, or allow unprivileged user namespaces"
fi
if $check; then
  exit 0
fi
(($# > 0)) || die "no command given (see --help)"

if [[ -z $unitsim ]]; then
  if [[ -n ${UNITSIM:-} ]]; then
    unitsim=$UNITSIM
  elif [[ -x $root/build/unitsim/unitsim ]]; then
    unitsim=$root/build/unitsim/unitsim
  else
    unitsim=$(command -v unitsim || true)
  fi
fi
if [[ -n $unitsim ]]; then
  [[ -x $unitsim ]] || die "$unitsim is not a program"
  unitsim=$(cd "$(dirname "$unitsim")" && pwd)/$(basename "$unitsim")
else
  say "note: no unitsim found; the units answer ping only"
fi

run=$(mktemp -d "${TMPDIR:-/tmp}/halvex-lab.XXXXXX") || die "cannot make a scratch folder"
trap 'rm -rf "$run"' EXIT

HALVEX_LAB_STAGE=inside HALVEX_LAB_FILE=$lab HALVEX_LAB_RUN=$run HALVEX_LAB_UNITSIM=$unitsim \
  HALVEX_LAB_OUTER_NETNS=$(readlink /proc/self/ns/net) \
  unshare "${namespaces[@]}" -- bash "$here/run-lab.sh" "$@"
