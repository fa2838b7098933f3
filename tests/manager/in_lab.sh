#!/usr/bin/env bash
# The end-to-end cases of halvex, run inside the lab by lab_test.sh.
#   in_lab.sh CASE HALVEX CONSOLE_EVENTS VELKOR
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
source "$here/lab_guard.sh"
lab_guard

case_name=$1 halvex=$2 events=$3 velkor=$4
work=$HALVEX_LAB_RUN/work
mkdir -p "$work"
sock=$HALVEX_LAB_RUN/tmux.sock
# A private server with no configuration but one: panes stay after their
# program ends, so that the terminal state it left can be read.
echo "set -g remain-on-exit on" >"$HALVEX_LAB_RUN/tmux.conf"
tmux_() { tmux -S "$sock" -f "$HALVEX_LAB_RUN/tmux.conf" "$@"; }
trap 'tmux_ kill-server 2>/dev/null' EXIT

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
expect_eq() {  # WHAT EXPECTED ACTUAL
  if [[ $2 != "$3" ]]; then
    fail "$1"
    diff <(printf '%s\n' "$2") <(printf '%s\n' "$3") >&2
  fi
}

# Starts a program in a 115x45 pane (or COLSxROWS) in $work; its exit
# status lands in $work/status.
start() {
  local size=$1
  shift
  rm -f "$work/status"
  {
    # A trap keeps this shell alive when the program dies of Ctrl-C.
    printf 'trap : INT\ncd %q || exit\n' "$work"
    printf '%q ' "$@"
    printf '\necho $? >%q\n' "$work/status"
  } >"$work/run.sh"
  tmux_ new-session -d -s t -x "${size%x*}" -y "${size#*x}" \
    "env TERM=xterm-256color ESCDELAY=25 NCURSES_NO_UTF8_ACS=1 bash $work/run.sh"
}
screen() { tmux_ capture-pane -p -t t; }
# One screen row (1-based) with its foreground colours as SGR sequences.
colour_row() {
  tmux_ capture-pane -p -e -t t -S $(($1 - 1)) -E $(($1 - 1)) | sed 's/\x1b\[4[0-9]m//g'
}
# The number of the first screen row that starts with TEXT.
row_of() { screen | awk -v text="$1" 'index($0, text) == 1 { print NR; exit }'; }
rows() { screen | sed -n "$1,$2p"; }
wait_for() {  # TEXT [SECONDS]
  local tries=$((${2:-10} * 20))
  while ((tries-- > 0)); do
    screen | grep -qF -- "$1" && return 0
    sleep 0.05
  done
  fail "\"$1\" did not appear; the screen was:"
  screen >&2
  return 1
}
wait_exit() {  # gives the exit status
  local tries=200
  while ((tries-- > 0)); do
    [[ -s $work/status ]] && { cat "$work/status"; return 0; }
    sleep 0.05
  done
  echo "none"
}
lab_hosts() {
  grep -o '^address = "[0-9.]*"' "$root/lab/default-lab.toml" | grep -o '[0-9]*"$' | tr -d '"'
}

usage_text() {
  cat <<'TEXT'

 Halvex Version 0.99h
 =====================
 Usage : 'halvex 10.42.23.1' to check the 10.42.23.x/24 block

 This utility will ping each IP in a Class C block (a /24) and
 then query the Firmware Version for any IP that responds to a
 ping request. You'll need to have Net-SNMP installed first in
 order for the SNMP functions to work.  Download Net-SNMP from
 https://www.net-snmp.org/download.html

 This is version .99 and its quick-n-dirty for my own internal
 purposes.  Use it at your own risk, as it may wreak havoc and
 destruction on your CPE's, or drive your network into Pon'Far
 It works for me, but there is no warranty. Zero. Zilch. Nada.

 Oh yea - you can use CTRL-BREAK to abort the program.
 =====================================================



 First, what Mode do you want to operate in? Select 'Firmware' or
 'Full' Mode. Using just the 'Firmware' mode will be a bit faster
 than Full mode if you just want to do Firmware Updates, since it
 won't waste time reading CPE information that you may not need.

TEXT
}

# Checks the progress line during a sweep of the default lab, then the
# screen after it and the list file.
check_sweep() {
  wait_for " Waiting for" 10 || return
  local waiting
  waiting=$(rows 3 3)
  [[ $waiting =~ ^\ Waiting\ for\ [0-9]{1,3}\ results\.\.\.$ ]] || fail "progress line: \"$waiting\""
  wait_for "Alive hosts, in" 20 || return
  local hosts count=0 expected_rows="" h
  hosts=$(lab_hosts)
  for h in $hosts; do
    count=$((count + 1))
    expected_rows+=$(printf '%4d    10.42.23.%s =  N ms' "$count" "$h")$'\n'
  done
  expect_eq "heading" "Scanning 10.42.23.x/24 to find 'alive' hosts." "$(rows 1 1)"
  expect_eq "rule" "$(printf '=%.0s' {1..51})" "$(rows 2 2)"
  expect_eq "results heading" $'\nScan Results...\n---------------' "$(rows 3 5)"
  expect_eq "live hosts" "${expected_rows%$'\n'}" "$(rows 6 $((5 + count)) | sed -E 's/=  [0-9]+ ms$/=  N ms/')"
  local found
  found=$(rows $((6 + count)) $((6 + count)))
  [[ $found =~ ^\ Found\ $count\ Alive\ hosts,\ in\ [0-9.]{1,3}\ seconds\.\.\.$ ]] ||
    fail "count line: \"$found\""
  local listed=""
  for h in $hosts; do listed+=" $h"$'\r\n'; done
  expect_eq "live-host list file" "$listed." "$(cat "$work/network/10.42.23.txt"; echo .)"
}

case $case_name in
usage)
  start 115x45 "$halvex"
  wait_for " Select 1=Firmware Mode, 2=Full Mode" || exit 1
  expect_eq "usage text and mode question" "$(usage_text)"$'\n\n'" Select 1=Firmware Mode, 2=Full Mode" "$(rows 1 27)"
  tmux_ send-keys -t t 1 Enter
  wait_for "or just RETURN by itself to quit. >" || exit 1
  expect_eq "address prompt" $' Select 1=Firmware Mode, 2=Full Mode 1\n Enter the IP of the AP to query,\n or just RETURN by itself to quit. >' "$(rows 27 29)"
  tmux_ send-keys -t t Enter
  expect_eq "exit status" 2 "$(wait_exit)"
  # Without a terminal there is nothing to draw on.
  out=$(cd "$work" && "$halvex" 10.42.23.1 </dev/null 2>&1)
  expect_eq "exit status without a terminal" 1 "$?"
  expect_eq "message without a terminal" \
    "halvex: standard input and output must be a terminal (halvex is a full-screen program)." "$out"
  ;;

sweep)
  mkdir -p "$work/network"
  printf 'stale\r\n' >"$work/network/10.42.23.txt"
  start 115x45 "$halvex" 10.42.23.1
  wait_for " Select 1=Firmware Mode, 2=Full Mode" || exit 1
  expect_eq "no usage text" "" "$(rows 1 3)"
  expect_eq "title" "Halvex - AP/CPE Manager - Version 0.99h" "$(tmux_ display -p -t t '#{pane_title}')"
  tmux_ send-keys -t t 2 Enter
  check_sweep
  tmux_ send-keys -t t Escape
  # The device query comes first; Esc waits for it.
  wait_for "or just RETURN by itself to quit. >" 60 || exit 1
  expect_eq "back at the address prompt, no mode question" \
    $'\n Enter the IP of the AP to query,\n or just RETURN by itself to quit. >' "$(screen | sed -e :a -e '/^\n*$/{$d;N;ba' -e '}')"
  tmux_ send-keys -t t x Enter
  expect_eq "exit status" 0 "$(wait_exit)"
  ;;

sweep_raw)
  # Datagram ICMP off: the sweep goes through raw sockets, where every
  # handle sees every reply.
  echo "1 0" >/proc/sys/net/ipv4/ping_group_range
  mkdir -p "$work/network"
  start 115x45 env HALVEX_ICMP=raw "$halvex" 10.42.23.200
  wait_for " Select 1=Firmware Mode, 2=Full Mode" || exit 1
  tmux_ send-keys -t t 1 Enter
  check_sweep
  ;;

no_icmp)
  echo "1 0" >/proc/sys/net/ipv4/ping_group_range
  if ! setpriv --reuid=65534 --regid=65534 --clear-groups true 2>/dev/null; then
    echo "SKIPPED: cannot switch to an unprivileged user in this lab"
    exit 77
  fi
  out=$(cd "$work" && setpriv --reuid=65534 --regid=65534 --clear-groups --inh-caps=-all \
    "$halvex" 10.42.23.1 </dev/null 2>&1)
  status=$?
  expect_eq "exit status" 1 "$status"
  expect_eq "message" "halvex: cannot send ICMP echo requests (Operation not permitted). Run halvex as root, or give it the capability with 'setcap cap_net_raw+ep halvex', or allow datagram ICMP sockets with 'sysctl -w net.ipv4.ping_group_range=\"0 2147483647\"'." "$out"
  ;;

small_window)
  start 80x24 "$halvex"
  wait_for "This window is too small for halvex." || exit 1
  expect_eq "message" $'This window is too small for halvex.\nhalvex needs at least 115 columns by 45 rows; this one is 80 by 24.\nPlease make the window larger.' "$(rows 1 3)"
  tmux_ resize-window -t t -x 115 -y 45
  wait_for " Select 1=Firmware Mode, 2=Full Mode" || exit 1
  expect_eq "usage after the resize" "$(usage_text | sed -n 2p)" "$(rows 2 2)"
  tmux_ send-keys -t t 1 Enter
  wait_for "or just RETURN by itself to quit. >" || exit 1
  tmux_ send-keys -t t Enter
  expect_eq "exit status" 2 "$(wait_exit)"
  ;;

lab)
  echo "$(readlink /proc/self/ns/net) $HALVEX_LAB_RUN" >"$HALVEX_LAB_RECORD"
  if [[ -z ${HALVEX_LAB_UNITS:-} ]]; then
    echo "SKIPPED: no unitsim in this build"
    exit 77
  fi
  expect_eq "units served" "$(lab_hosts | sed 's/^/10.42.23./; s/$/ 856/')" \
    "$(awk '{ print $1, $2 }' "$HALVEX_LAB_UNITS")"
  for h in $(lab_hosts); do
    (exec 3<>"/dev/tcp/10.42.23.$h/856") 2>/dev/null || fail "10.42.23.$h does not accept connections"
  done
  # An address that is no unit is absent: its packets vanish, so a
  # connection neither succeeds nor fails at once.
  timeout 1 bash -c 'exec 3<>/dev/tcp/10.42.23.3/856' 2>/dev/null
  expect_eq "connecting to an absent host (124: still waiting)" 124 "$?"
  ;;

signals)
  # The terminal modes while halvex runs, and after Ctrl-C and SIGTERM.
  modes() { tmux_ display -p -t t '#{alternate_on} #{mouse_any_flag} #{mouse_all_flag} #{mouse_sgr_flag}'; }
  start 115x45 "$halvex"
  wait_for " Select 1=Firmware Mode, 2=Full Mode" || exit 1
  expect_eq "modes while running" "1 1 1 1" "$(modes)"
  # Ctrl-Z gives the terminal back while halvex is stopped.
  pid=$(pgrep -x halvex)
  tmux_ send-keys -t t C-z
  wait_for_state() {  # STATE: the letter in /proc/PID/stat
    local tries=100
    while ((tries-- > 0)); do
      [[ $(awk '{ print $3 }' "/proc/$pid/stat") == "$1" ]] && return 0
      sleep 0.05
    done
    fail "halvex did not reach state $1"
  }
  wait_for_state T
  expect_eq "modes while stopped" "0 0 0 0" "$(modes)"
  kill -CONT "$pid"
  wait_for " Select 1=Firmware Mode, 2=Full Mode" || exit 1
  expect_eq "modes after continuing" "1 1 1 1" "$(modes)"
  tmux_ send-keys -t t C-c
  expect_eq "exit status after Ctrl-C" 130 "$(wait_exit)"
  expect_eq "modes after Ctrl-C" "0 0 0 0" "$(modes)"
  tmux_ kill-server
  start 115x45 "$halvex" 10.42.23.1
  wait_for " Select 1=Firmware Mode, 2=Full Mode" || exit 1
  kill -TERM "$(pgrep -x halvex)"
  expect_eq "exit status after SIGTERM" 143 "$(wait_exit)"
  expect_eq "modes after SIGTERM" "0 0 0 0" "$(modes)"
  ;;

console_events)
  start 115x45 "$events"
  wait_for "ready" || exit 1
  step() {  # EXPECTED-LINE tmux-send-keys-arguments...
    local line=$1
    shift
    tmux_ send-keys -t t "$@"
    wait_for "$line" 3
  }
  step "scan 63" F5
  step "scan 67" F9
  step "key 27" Escape
  step "scan 73" PgUp
  step "scan 81" PgDn
  step "key 97" a
  step "key 13" Enter
  step "key 8" BSpace
  step "mouse 4 button 1 row 5 column 10" -l $'\e[<0;10;5M'
  step "mouse 8 button 1 row 5 column 10" -l $'\e[<0;10;5m'
  step "mouse 2 button 1 row 6 column 12" -l $'\e[<0;12;6M\e[<0;12;6m\e[<0;12;6M\e[<0;12;6m'
  step "mouse 4 button 2 row 7 column 20" -l $'\e[<2;20;7M'
  step "mouse 8 button 2 row 7 column 20" -l $'\e[<2;20;7m'
  step "mouse 1 button 0 row 8 column 30" -l $'\e[<35;30;8M'
  # After a child program the mouse reports are on again.
  step "child ended 3" c
  expect_eq "modes after a child" "1 1 1" "$(tmux_ display -p -t t '#{mouse_any_flag} #{mouse_all_flag} #{mouse_sgr_flag}')"
  step "mouse 4 button 2 row 9 column 2" -l $'\e[<2;2;9M'
  expect_eq "events in order" "ready
scan 63
scan 67
key 27
scan 73
scan 81
key 97
key 13
key 8
mouse 4 button 1 row 5 column 10
mouse 8 button 1 row 5 column 10
mouse 4 button 1 row 6 column 12
mouse 8 button 1 row 6 column 12
mouse 2 button 1 row 6 column 12
mouse 8 button 1 row 6 column 12
mouse 4 button 2 row 7 column 20
mouse 8 button 2 row 7 column 20
mouse 1 button 0 row 8 column 30
child ended 3
mouse 4 button 2 row 9 column 2" "$(rows 1 20)"
  tmux_ send-keys -t t q
  expect_eq "exit status" 0 "$(wait_exit)"
  ;;

query_full | query_firmware)
  # velkor comes from the search path; the settings give the lab's
  # password, so that the units without SNMP answer its system report.
  mkdir -p "$work/bin" "$work/network"
  ln -sf "$velkor" "$work/bin/velkor"
  printf 'oriole,BlueOx\r\n' >"$work/halvex.ini"
  if [[ $case_name == query_full ]]; then
    mode=2
    # An operator's own folder named tmp keeps what it holds.
    mkdir -p "$work/tmp"
    echo mine >"$work/tmp/notes.txt"
    expected=(
      "10.42.23.1   | Ver = Unit 2.6.0 build 480...     3    87  -54  -99"
      "10.42.23.2   | Ver = Unit 2.6.0 build 480..."
      "10.42.23.5   | Ver = Unit 2.5.1 build 471...     1    72  -59 -101"
      "10.42.23.9   | Ver = Timeout: No Response from 10.42.23.9"
      "10.42.23.17  | Ver = Timeout: No Response from 10.42.23.17"
      "10.42.23.33  | Ver = Timeout: No Response from 10.42.23.33"
      "10.42.23.64  | Ver = Unit 2.5.0 build 465...     2    64  -61 -102"
      "10.42.23.99  | Ver = Unit 2.4.9 build 438...     1    51  -69 -100"
      "10.42.23.100 | Ver = Unit 2.5.1 build 471...     1    40  -74  -99"
      "10.42.23.128 | Ver = Unit 2.5.1 build 471...     2    66  -60 -102"
      "10.42.23.254 | Ver = Unit 2.3.2 build 410...     1    58  -65  -99"
    )
  else
    mode=1
    rm -rf "$work/tmp"
    expected=(
      "10.42.23.1   | Ver = Unit 2.6.0 build 480..."
      "10.42.23.2   | Ver = Unit 2.6.0 build 480..."
      "10.42.23.5   | Ver = Unit 2.5.1 build 471..."
      "10.42.23.9   | Ver = Timeout: No Response from 10.42.23.9"
      "10.42.23.17  | Ver = Timeout: No Response from 10.42.23.17"
      "10.42.23.33  | Ver = Timeout: No Response from 10.42.23.33"
      "10.42.23.64  | Ver = Unit 2.5.0 build 465..."
      "10.42.23.99  | Ver = Unit 2.4.9 build 438..."
      "10.42.23.100 | Ver = Unit 2.5.1 build 471..."
      "10.42.23.128 | Ver = Unit 2.5.1 build 471..."
      "10.42.23.254 | Ver = Unit 2.3.2 build 410..."
    )
  fi
  start 115x45 env PATH="$work/bin:$PATH" "$halvex" 10.42.23.1
  wait_for " Select 1=Firmware Mode, 2=Full Mode" || exit 1
  tmux_ send-keys -t t $mode Enter
  wait_for "Checking CPEs 10.42.23.x/24. CRTL-BREAK to abort." 20 || exit 1
  # Three units without SNMP cost a walk's time-out each.
  wait_for "${expected[-1]}" 60 || exit 1
  top=$(row_of "Checking CPEs")
  expect_eq "rule" "$(printf '=%.0s' {1..50})" "$(rows $((top + 1)) $((top + 1)))"
  expect_eq "progress lines" "$(printf '%s\n' "${expected[@]}")" \
    "$(rows $((top + 2)) $((top + 1 + ${#expected[@]})))"
  # The heading in yellow; a walk's error in light red while it runs.
  [[ $(colour_row "$top") == $'\e[93mChecking CPEs'* ]] || fail "heading colour: $(colour_row "$top" | cat -v)"
  [[ $(colour_row "$(row_of "10.42.23.9 ")") == *$'\e[91mTimeout: No Response'* ]] ||
    fail "time-out colour: $(colour_row "$(row_of "10.42.23.9 ")" | cat -v)"
  if ((mode == 2)); then
    # More than one registration in magenta, one in the line's yellow.
    [[ $(colour_row "$(row_of "10.42.23.1 ")") == *$'\e[95m 3 '* ]] ||
      fail "registrations colour: $(colour_row "$(row_of "10.42.23.1 ")" | cat -v)"
    [[ $(colour_row "$(row_of "10.42.23.5 ")") != *$'\e[95m'* ]] || fail "one registration in magenta"
    expect_eq "the foreign file" "mine" "$(cat "$work/tmp/notes.txt")"
    expect_eq "nothing of the query left in tmp" "notes.txt" "$(ls -A "$work/tmp")"
  else
    [[ ! -e $work/tmp ]] || fail "the scratch folder is still there: $(ls -A "$work/tmp")"
  fi
  tmux_ send-keys -t t Escape
  wait_for "or just RETURN by itself to quit. >" || exit 1
  tmux_ send-keys -t t x Enter
  expect_eq "exit status" 0 "$(wait_exit)"
  ;;

*)
  echo "unknown case $case_name" >&2
  exit 2
  ;;
esac

((failures == 0)) || exit 1
echo "PASS: $case_name"
