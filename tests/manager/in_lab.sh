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
    "env TERM=${PANE_TERM:-xterm-256color} ESCDELAY=25 NCURSES_NO_UTF8_ACS=1 bash $work/run.sh"
}
screen() { tmux_ capture-pane -p -t t; }
# One screen row (1-based) with its foreground colours as SGR sequences.
colour_row() {
  tmux_ capture-pane -p -e -t t -S $(($1 - 1)) -E $(($1 - 1)) | sed 's/\x1b\[4[0-9]m//g'
}
# Lines of capture-pane -e as cells: each character but a blank followed
# by its foreground and background in braces.  How a terminal's blanks got
# there (written or erased) does not show, nor the order in which the
# program drew the cells.
cell_colours() {
  perl -ne 'chomp; my ($fg, $bg, $out) = (39, 49, "");
    while (/\G(?:\e\[([0-9;]*)m|(.))/gcs) {
      if (defined $1) {
        for my $c (split /;/, ($1 eq "" ? "0" : $1)) {
          if ($c == 0) { ($fg, $bg) = (39, 49) }
          elsif (($c >= 30 && $c <= 39) || ($c >= 90 && $c <= 97)) { $fg = $c }
          elsif (($c >= 40 && $c <= 49) || ($c >= 100 && $c <= 107)) { $bg = $c }
        }
      } else { $out .= $2 eq " " ? " " : "$2\{$fg;$bg\}" }
    }
    $out =~ s/ +$//; print "$out\n";'
}
# The cells of capture-pane -e lines (one screen row each, numbered from
# FIRST) whose foreground is the colour of their background: "ROW:COLUMN".
same_colour_cells() {  # FIRST
  FIRST_ROW=$1 perl -ne 'chomp; my ($fg, $bg, $col) = ("d", "D", 0);
    while (/\G(?:\e\[([0-9;]*)m|(.))/gcs) {
      if (defined $1) {
        my @c = split /;/, ($1 eq "" ? "0" : $1);
        while (@c) {
          my $c = shift @c;
          if ($c == 0) { ($fg, $bg) = ("d", "D") }
          elsif ($c >= 30 && $c <= 37) { $fg = $c - 30 }
          elsif ($c >= 90 && $c <= 97) { $fg = $c - 82 }
          elsif ($c == 39) { $fg = "d" }
          elsif ($c >= 40 && $c <= 47) { $bg = $c - 40 }
          elsif ($c >= 100 && $c <= 107) { $bg = $c - 92 }
          elsif ($c == 49) { $bg = "D" }
          elsif (($c == 38 || $c == 48) && @c >= 2 && $c[0] == 5) {
            shift @c; my $n = shift @c; if ($c == 38) { $fg = $n } else { $bg = $n } }
        }
      } else {
        $col++;
        print "" . ($. + $ENV{FIRST_ROW} - 1) . ":$col\n" if "$fg" eq "$bg";
      }
    }'
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


# A working folder as an operator has it: velkor on the search path, the
# settings, firmware images, the help file, and recorders standing in for
# the terminal program and the pager (each writes its arguments, one a
# line, to a log).
setup_work() {  # SETTINGS-LINE
  mkdir -p "$work/bin" "$work/network"
  ln -sf "$velkor" "$work/bin/velkor"
  printf '%s\r\n' "$1" >"$work/halvex.ini"
  "$root/lab/firmware-images.sh" "$work/firmware"
  cp "$root/manager/readme.txt" "$work/readme.txt"
  local name
  for name in terminal pager; do
    printf '#!/bin/sh\nprintf "%%s\\n" "$@" >>%q\n' "$work/$name.log" >"$work/bin/$name"
    chmod +x "$work/bin/$name"
  done
}
start_manager() {  # MODE [TARGET]
  start 115x45 env PATH="$work/bin:$PATH" HALVEX_TERMINAL="$work/bin/terminal" \
    PAGER="$work/bin/pager" "$halvex" "${2:-10.42.23.1}"
  wait_for " Select 1=Firmware Mode, 2=Full Mode" || exit 1
  tmux_ send-keys -t t "$1" Enter
  wait_table 60 || exit 1
}
wait_file() {  # FILE: until it has something, at most 5 s
  local tries=100
  while ((tries-- > 0)); do
    [[ -s $1 ]] && return 0
    sleep 0.05
  done
}
wait_table() { wait_for "F5=Refresh  F7=All  F8=None  F9=Batch  F10=Help" "${1:-20}"; }
mouse() {  # BUTTON-CODE ROW COLUMN: press and release
  tmux_ send-keys -t t -l $'\e[<'"$1;$3;$2"'M'$'\e[<'"$1;$3;$2"'m'
  sleep 0.1
}
click() { mouse 0 "$1" "${2:-10}"; }
double_click() {  # ROW [COLUMN]: two presses and releases in one go
  local at="${2:-10};$1"
  tmux_ send-keys -t t -l "$(printf '\e[<0;%sM\e[<0;%sm\e[<0;%sM\e[<0;%sm' "$at" "$at" "$at" "$at")"
  sleep 0.2
}
right_click() { mouse 2 "$1" "${2:-10}"; }
keys() { tmux_ send-keys -t t "$@"; sleep 0.1; }
# A table row as the table draws it, its PING column as N (loopback
# answers in well under a millisecond, but a loaded machine may show 1).
table_row() {  # N IP MAC Q SIG NSE DB RX TX FIRMWARE HARDWARE
  printf '%3s  %-13s%-13s%3s %3s %4s    N  %2s %2s %2s%24s%-17s%s' "${@:1:9}" "" "${10}" "${11}" |
    sed 's/ *$//'
}
table_rows() { rows 4 "$1" | sed -E 's/^(.{44}).{4}/\1   N/'; }
# True when a row starts with TEXT and its first colour is SGR.
row_starts_in() {  # ROW SGR TEXT
  local line plain
  line=$(colour_row "$1")
  plain=$(sed 's/\x1b\[[0-9;]*m//g' <<<"$line")
  [[ $plain == "$3"* && $(grep -o -m1 $'\e\\[[0-9;]*m' <<<"$line" | head -1) == $'\e['"$2m" ]]
}

# The default lab's units as the Full-mode table shows them:
# address|MAC|Q%|SIG|NSE|dB|RX|TX|firmware|hardware
default_lab_cells="10.42.23.1|000C42170101|87|-54|-99|23|12|24|2.6.0|ARX-500
10.42.23.2|MULTIPLE|||||||2.6.0|ARX-500
10.42.23.5|000C42170501|72|-59|-101|39|24|24|2.5.1|ARX-200
10.42.23.9||||||||2.4.9|CPE-110
10.42.23.17||||||||OLD VERSION|
10.42.23.33||||||||UNKNOWN|
10.42.23.64|000C42176401|64|-61|-102|29|6|11|2.5.0|ARX-300
10.42.23.99|000C42179901|51|-69|-100|27|6|6|2.4.9|ARX-200
10.42.23.100|000C4217A001|40|-74|-99|24|12|0|2.5.1|CPE-110
10.42.23.128|000C42172801|66|-60|-102|20|5|0|2.5.1|ARX-300
10.42.23.200||||||||VERSION 1.?.?|XSCALE-ZEB
10.42.23.254|000C4217FE01|58|-65|-99|30|11|0|2.3.2|CPE-220"

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

options)
  # Options are read before anything else: a bad one is named on standard
  # error with the synopsis and ends halvex with 1, without a terminal
  # (here there is none, so touching it would give another message) and
  # without a sweep.
  synopsis=$'usage: halvex [-j N] [address]\n       halvex --inventory [-j N] [--full] [--format csv|json] ADDRESS\n       halvex --help | --version'
  while IFS='|' read -r args message; do
    read -r -a words <<<"$args"
    out=$(cd "$work" && "$halvex" "${words[@]}" </dev/null 2>"$work/err")
    expect_eq "exit status of halvex $args" 1 "$?"
    expect_eq "standard output of halvex $args" "" "$out"
    expect_eq "message of halvex $args" "halvex: $message"$'\n'"$synopsis" "$(cat "$work/err")"
  done <<'CASES'
-j 0 10.42.23.1|-j needs a number of units from 1 to 254, not "0"
-j 255 10.42.23.1|-j needs a number of units from 1 to 254, not "255"
-j x 10.42.23.1|-j needs a number of units from 1 to 254, not "x"
10.42.23.1 -j|-j needs a number of units from 1 to 254
-x 10.42.23.1|unknown option -x
--jobs 4 10.42.23.1|unknown option --jobs
--full 10.42.23.1|--full goes with --inventory
CASES
  out=$(cd "$work" && "$halvex" --help 10.42.23.1 </dev/null 2>&1)
  expect_eq "exit status of --help" 0 "$?"
  expect_eq "--help begins with the synopsis" "$synopsis" "$(head -3 <<<"$out")"
  grep -q '^  -j N  .*default 32)$' <<<"$out" || fail "--help has no line for -j: $out"
  out=$(cd "$work" && "$halvex" --version </dev/null 2>&1)
  expect_eq "exit status of --version" 0 "$?"
  [[ $out =~ ^halvex\ 0\.99h\ \(unit\ tools\ [0-9.]+\)$ ]] || fail "--version: $out"
  # -j without an address: the usage text and the questions, as before.
  start 115x45 "$halvex" -j 4
  wait_for " Select 1=Firmware Mode, 2=Full Mode" || exit 1
  expect_eq "usage text" "$(usage_text | sed -n 2p)" "$(rows 2 2)"
  tmux_ send-keys -t t 1 Enter
  wait_for "or just RETURN by itself to quit. >" || exit 1
  tmux_ send-keys -t t Enter
  expect_eq "exit status without an address" 2 "$(wait_exit)"
  ;;

interrupt)
  # Ctrl-C while many hosts are asked at once: halvex ends as interrupted,
  # the terminal is given back, and neither a child nor a scratch file is
  # left.  Every walk here hangs after its answer until halvex ends it.
  mkdir -p "$work/bin"
  ln -sf "$velkor" "$work/bin/velkor"
  printf 'oriole,BlueOx\r\n' >"$work/halvex.ini"
  printf '#!/bin/sh\n%q "$@"\nwhile :; do sleep 0.05; done\n' "$(command -v snmpwalk)" >"$work/bin/snmpwalk"
  chmod +x "$work/bin/snmpwalk"
  start 115x45 env PATH="$work/bin:$PATH" "$halvex" 10.42.23.1
  wait_for " Select 1=Firmware Mode, 2=Full Mode" || exit 1
  tmux_ send-keys -t t 2 Enter
  wait_for "10.42.23.1   | Ver =" 30 || exit 1
  sleep 0.5
  running() { ps -eo stat=,args= | awk '$1 !~ /^Z/' | grep -E "$work/bin/snmpwalk|snmpwalk -v|velkor .* -sysinfo" | grep -v grep; }
  [[ -n $(running) ]] || fail "no walk was running"
  [[ -d $work/tmp ]] || fail "no scratch folder while the query runs"
  tmux_ send-keys -t t C-c
  expect_eq "exit status after Ctrl-C" 130 "$(wait_exit)"
  expect_eq "children left" "" "$(running)"
  [[ ! -e $work/tmp ]] || fail "scratch files left: $(ls -A "$work/tmp")"
  expect_eq "modes after Ctrl-C" "0 0 0 0" \
    "$(tmux_ display -p -t t '#{alternate_on} #{mouse_any_flag} #{mouse_all_flag} #{mouse_sgr_flag}')"
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
  inventory=$(cd "$work" && setpriv --reuid=65534 --regid=65534 --clear-groups --inh-caps=-all \
    "$halvex" --inventory 10.42.23.1 </dev/null 2>&1)
  expect_eq "exit status of the inventory" 1 "$?"
  expect_eq "message of the inventory" "$out" "$inventory"
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

fleet)
  # The fleet lab: every unit of the block answers ping, a unit with SNMP
  # answers snmpwalk, and one without answers velkor's report.
  echo "$(readlink /proc/self/ns/net) $HALVEX_LAB_RUN" >"$HALVEX_LAB_RECORD"
  if [[ -z ${HALVEX_LAB_UNITS:-} ]]; then
    echo "SKIPPED: no unitsim in this build"
    exit 77
  fi
  expect_eq "units served" 254 "$(wc -l <"$HALVEX_LAB_UNITS")"
  silent=$(seq 1 254 | xargs -P 32 -I{} sh -c 'ping -c 1 -W 3 -q 10.42.24.{} >/dev/null 2>&1 || echo {}')
  expect_eq "units that do not answer ping" "" "$silent"
  expect_eq "an SNMP unit" '"Unit 2.5.1 build 4711 [ARX-500]"' \
    "$(snmpwalk -v 2c -Ov -Oq -c oriole 10.42.24.1 1.3.6.1.2.1.1.1)"
  expect_eq "a unit without SNMP" "Unit 2.6.0 build 4802 [ARX-300]" \
    "$("$velkor" 10.42.24.8 BlueOx -sysinfo | sed -n 2p)"
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
  # The same query one host at a time (-j 1) and with the default number
  # of hosts at once: the progress screen and the table are the same,
  # colours included; only the time differs.  velkor comes from the search
  # path; the settings give the lab's password, so that the units without
  # SNMP answer its system report.
  mkdir -p "$work/bin" "$work/network"
  ln -sf "$velkor" "$work/bin/velkor"
  printf 'oriole,BlueOx\r\n' >"$work/halvex.ini"
  # The device table follows the last answer at once; this snmpwalk holds
  # the walk of HOLD_WALK ("ADDRESS OID") after its real answer until the
  # file "release" appears, so that the progress lines can be read.
  real_walk=$(command -v snmpwalk)
  printf '#!/bin/sh\n%q "$@"\nstatus=$?\nif [ "$7 $8" = "$HOLD_WALK" ]; then\n  while [ ! -e %q ]; do sleep 0.05; done\nfi\nexit $status\n' \
    "$real_walk" "$work/release" >"$work/bin/snmpwalk"
  chmod +x "$work/bin/snmpwalk"
  if [[ $case_name == query_full ]]; then
    mode=2
    hold="10.42.23.254 1.3.6.1.3.16313.1.25.2.2"  # the last walk of all
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
    # The last host's line is complete only after its one walk, after which
    # the table comes at once: hold the walk before it.
    hold="10.42.23.200 1.3.6.1.2.1.1.1"
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
      "10.42.23.200 | Ver ="
    )
  fi
  whole_screen() {  # [FIRST-ROW]: the rows, each visible character with its colours
    local r
    for r in $(seq "${1:-1}" 45); do
      tmux_ capture-pane -p -e -t t -S $((r - 1)) -E $((r - 1))
    done | cell_colours
  }
  declare -A progress_screen table_screen took
  for jobs in 1 default; do
    rm -f "$work/release"
    if [[ $jobs == 1 ]]; then
      # An operator's own folder named tmp keeps what it holds.
      mkdir -p "$work/tmp"
      echo mine >"$work/tmp/notes.txt"
      start 115x45 env PATH="$work/bin:$PATH" HOLD_WALK="$hold" "$halvex" -j 1 10.42.23.1
    else
      rm -rf "$work/tmp"
      start 115x45 env PATH="$work/bin:$PATH" HOLD_WALK="$hold" "$halvex" 10.42.23.1
    fi
    wait_for " Select 1=Firmware Mode, 2=Full Mode" || exit 1
    tmux_ send-keys -t t $mode Enter
    began=$(date +%s%3N)
    wait_for "Checking CPEs 10.42.23.x/24. CRTL-BREAK to abort." 20 || exit 1
    # Three units without SNMP cost a walk's time-out each.
    wait_for "${expected[-1]}" 60 || exit 1
    took[$jobs]=$(($(date +%s%3N) - began))
    top=$(row_of "Checking CPEs")
    expect_eq "rule ($jobs)" "$(printf '=%.0s' {1..50})" "$(rows $((top + 1)) $((top + 1)))"
    expect_eq "progress lines ($jobs)" "$(printf '%s\n' "${expected[@]}")" \
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
    fi
    # The query's part of the screen (the sweep's times above it vary).
    progress_screen[$jobs]=$(whole_screen "$top")
    touch "$work/release"
    # The table follows the query; the scratch folder is cleaned by then.
    wait_table 20 || exit 1
    table_screen[$jobs]=$(whole_screen)
    if [[ $jobs == 1 ]]; then
      expect_eq "the foreign file" "mine" "$(cat "$work/tmp/notes.txt")"
      expect_eq "nothing of the query left in tmp" "notes.txt" "$(ls -A "$work/tmp")"
    else
      [[ ! -e $work/tmp ]] || fail "the scratch folder is still there: $(ls -A "$work/tmp")"
    fi
    tmux_ send-keys -t t Escape
    wait_for "or just RETURN by itself to quit. >" || exit 1
    tmux_ send-keys -t t x Enter
    expect_eq "exit status" 0 "$(wait_exit)"
    tmux_ kill-server
  done
  expect_eq "the progress screen, -j 1 and the default" "${progress_screen[1]}" "${progress_screen[default]}"
  # The PING column (magenta) may differ by a millisecond from one sweep to
  # the next.
  ping_free() { sed -E 's/([0-9]\{95;[0-9]+\})+/N/g' <<<"$1"; }
  expect_eq "the table, -j 1 and the default" "$(ping_free "${table_screen[1]}")" \
    "$(ping_free "${table_screen[default]}")"
  echo "query until the last line: ${took[1]} ms with -j 1, ${took[default]} ms with the default"
  ((took[default] < took[1])) || fail "the default is not faster than -j 1"
  ;;

inventory)
  # The inventory of the default lab in both formats and both modes, read
  # back by Python's own CSV and JSON readers: every unit with the values
  # of the table's cells.  No terminal: standard input, output and error
  # are files and pipes here.
  setup_work "oriole,BlueOx"
  builds="4802 4802 4711 4388 - - 4650 4388 4711 4711 - 4105"
  sources="snmp snmp snmp velkor old unknown snmp snmp snmp snmp zeb snmp"
  reader=$work/read.py
  cat >"$reader" <<'PYTHON'
import csv, json, sys
form, full, path = sys.argv[1], sys.argv[2] == "full", sys.argv[3]
names = ["address", "ping_ms", "source", "firmware", "build", "hardware"]
figures = ["quality", "signal", "noise", "db", "rx", "tx"]
if full:
    names += ["mac"] + figures
text = open(path, encoding="utf-8").read()
if form == "csv":
    rows = list(csv.reader(text.splitlines(True)))
    assert rows[0] == names, rows[0]
    records = [dict(zip(names, row)) for row in rows[1:]]
else:
    records = json.loads(text)
    for r in records:
        assert list(r) == names, list(r)
        assert isinstance(r["ping_ms"], int)
        for k in figures + ["build"] if full else ["build"]:
            assert r[k] is None or isinstance(r[k], (int, str)) and r[k] != "", (k, r[k])
        for k in figures if full else []:
            assert r[k] is None or isinstance(r[k], int), (k, r[k])
def show(v):
    return "" if v is None else str(v)
for r in records:
    cells = [r["address"]]
    if full:
        cells += [show(r["mac"])] + [show(r[k]) for k in figures]
    cells += [r["firmware"], show(r["hardware"])]
    print("|".join(cells), show(r["build"]) or "-", r["source"])
PYTHON
  expected_full=$(paste -d' ' <(echo "$default_lab_cells") <(tr ' ' '\n' <<<"$builds") <(tr ' ' '\n' <<<"$sources"))
  expected_firmware=$(sed -E 's/^([^|]*)\|([^|]*\|){7}/\1|/' <<<"$expected_full")
  # Both formats and both modes, in two runs of the lab's sweep and query.
  for run in "full csv" "firmware json"; do
    read -r mode form <<<"$run"
    args=(--inventory --format "$form" 10.42.23.1)
    [[ $mode == full ]] && args=(--full "${args[@]}")
    (cd "$work" && PATH="$work/bin:$PATH" "$halvex" "${args[@]}" </dev/null >"$work/out" 2>"$work/err")
    expect_eq "exit status of --inventory $mode $form" 0 "$?"
    expect_eq "standard error of --inventory $mode $form" "" "$(cat "$work/err")"
    expected=$expected_full
    [[ $mode == firmware ]] && expected=$expected_firmware
    expect_eq "records of --inventory $mode $form" "$expected" "$(python3 "$reader" "$form" "$mode" "$work/out")"
  done
  # A block without a live host: the header alone (read here by a reader
  # that takes one line and goes), or an empty array.
  out=$(cd "$work" && timeout 60 "$halvex" --inventory 10.42.99.1 2>"$work/err" </dev/null | head -1)
  expect_eq "an empty block, CSV, through head" "address,ping_ms,source,firmware,build,hardware" "$out"
  expect_eq "no message through head" "" "$(cat "$work/err")"
  expect_eq "an empty block, JSON" "[]" "$(cd "$work" && "$halvex" --inventory --format json 10.42.99.1 </dev/null)"
  # Bad command lines: a line that names the problem, the synopsis, 1.
  while IFS='|' read -r args message; do
    read -r -a words <<<"$args"
    (cd "$work" && "$halvex" "${words[@]}" </dev/null >"$work/out" 2>"$work/err")
    expect_eq "exit status of halvex $args" 1 "$?"
    expect_eq "message of halvex $args" "halvex: $message" "$(head -1 "$work/err")"
    expect_eq "nothing printed by halvex $args" "" "$(cat "$work/out")"
  done <<'CASES'
--inventory|--inventory needs the address of a unit of the block
--inventory 10.42.23|"10.42.23" is not an IPv4 address
--inventory 10.42.23.256|"10.42.23.256" is not an IPv4 address
--inventory lab-unit|"lab-unit" is not an IPv4 address
--inventory --format xml 10.42.23.1|--format needs csv or json, not "xml"
--inventory 10.42.23.1 --format|--format needs csv or json
CASES
  ;;

colours)
  # On terminals of 8 colours (xterm, linux, PuTTY's default) and of 256,
  # no cell of the bars, the table or the warning box is drawn in its own
  # background's colour.
  setup_work "oriole,BlueOx"
  for PANE_TERM in xterm linux xterm-256color; do
    start_manager 1
    check_rows() {  # WHAT FIRST LAST
      local r lines=""
      for r in $(seq "$2" "$3"); do lines+=$(tmux_ capture-pane -p -e -t t -S $((r - 1)) -E $((r - 1)))$'\n'; done
      expect_eq "$1 under TERM=$PANE_TERM: cells in their background's colour" "" \
        "$(printf '%s' "$lines" | same_colour_cells "$2" | head -5)"
    }
    check_rows "the top bar and the table" 1 7
    check_rows "the bottom bar" 45 45
    right_click 5
    wait_for "WARNING - UPLOADING FIRMWARE MAY HARM / BREAK / DESTROY YOUR BOARD!" || exit 1
    check_rows "the warning box" 2 9
    keys 0 Enter
    wait_table || exit 1
    keys Escape
    wait_for "or just RETURN by itself to quit. >" || exit 1
    keys Enter
    wait_exit >/dev/null
    tmux_ kill-server
  done
  unset PANE_TERM
  ;;

table)
  setup_work "oriole,BlueOx"
  start_manager 2
  expected=$(
    n=0
    while IFS='|' read -r ip mac q sig nse db rx tx firmware hardware; do
      ((n++ > 0)) && echo
      table_row "$n" "$ip" "$mac" "$q" "$sig" "$nse" "$db" "$rx" "$tx" "$firmware" "$hardware"
    done <<<"$default_lab_cells"
  )
  expect_eq "top bar" " Esc=Quit                               F5=Refresh  F7=All  F8=None  F9=Batch  F10=Help   Page 1 of 1  CPE 1 to 12" "$(rows 1 1)"
  expect_eq "headings" "     IP ADDRESS   MAC ADDRESS   Q% SIG  NSE PING  dB RX TX                        Firmware         Hardware" "$(rows 3 3)"
  expect_eq "rows" "$expected" "$(table_rows 15)"
  expect_eq "nothing below the rows" "" "$(rows 16 44 | tr -d ' \n')"
  expect_eq "bottom bar" "                       Left Mouse= Select    Double Click= Putty    Right Mouse= Upload" "$(rows 45 45)"
  [[ $(colour_row 1) == *$'\e[30m'*$'\e[100m'* || $(colour_row 1) == *$'\e[100m'*$'\e[30m'* ]] ||
    fail "top bar colours: $(colour_row 1 | cat -v)"
  [[ $(colour_row 4) == *$'\e[94m000C42170101'*$'\e[32m2.6.0'*$'\e[93mARX-500'* ]] ||
    fail "row colours: $(colour_row 4 | cat -v)"
  [[ $(colour_row 7) == *$'\e[31m2.4.9'* ]] || fail "velkor's answer not in red: $(colour_row 7 | cat -v)"
  [[ $(colour_row 8) == *$'\e[91mOLD VERSION'* ]] || fail "OLD VERSION colour: $(colour_row 8 | cat -v)"
  row_starts_in 4 37 "  1  10.42.23.1" || fail "row start colour: $(colour_row 4 | cat -v)"

  # A left click toggles a unit; clicks beside the units change nothing.
  click 4
  row_starts_in 4 91 "  1  10.42.23.1" || fail "selected row: $(colour_row 4 | cat -v)"
  click 4 12  # another cell: not a double click
  row_starts_in 4 37 "  1  10.42.23.1" || fail "unselected row: $(colour_row 4 | cat -v)"
  before=$(tmux_ capture-pane -p -e -t t)
  click 3; click 45; click 20; click 2
  expect_eq "clicks beside the units" "$before" "$(tmux_ capture-pane -p -e -t t)"

  # F7 and F8, and the batch menu with nothing selected.
  keys F7
  row_starts_in 15 91 " 12  10.42.23.254" || fail "F7: $(colour_row 15 | cat -v)"
  keys F8
  row_starts_in 15 37 " 12  10.42.23.254" || fail "F8: $(colour_row 15 | cat -v)"
  keys F9
  wait_for "  NO CPE's SELECTED...  NOTHING TO DO!  Exiting..." || exit 1
  wait_table || exit 1

  # 0, a number out of range, letters and "yes" all come back without an upload.
  click 6
  for answers in "0" "3" "abc" "1 yes"; do
    keys F9
    wait_for "  Batch Menu:  ESC=Exit  1=Firmware  2=Reboot" || exit 1
    keys 1
    wait_for " 2 = ARX-200-2.7.0.pkg" || exit 1
    expect_eq "the list" $' 1 = ARX-200-2.6.1.pkg\n 2 = ARX-200-2.7.0.pkg' "$(screen | grep ' = ARX')"
    read -r number confirm <<<"$answers"
    keys -l "$number"; keys Enter
    if [[ -n ${confirm:-} ]]; then
      wait_for "ARE YOU SURE (Y/N)" || exit 1
      keys -l "$confirm"; keys Enter
    fi
    wait_table || exit 1
  done
  keys F9
  wait_for "  Batch Menu:" || exit 1
  keys Escape
  wait_table || exit 1
  [[ ! -e $HALVEX_LAB_RUN/state/10.42.23.5_cpe-miller/firmware.txt ]] || fail "an upload happened"
  row_starts_in 6 91 "  3  10.42.23.5" || fail "the selection went: $(colour_row 6 | cat -v)"

  # The right click lists the selected units, not the clicked one.
  right_click 7
  wait_for "WARNING - UPLOADING FIRMWARE MAY HARM / BREAK / DESTROY YOUR BOARD!" || exit 1
  expect_eq "warning box" "           WARNING - UPLOADING FIRMWARE MAY HARM / BREAK / DESTROY YOUR BOARD!" "$(rows 3 3)"
  expect_eq "unit list" "  CPE's Address : 10.42.23.5       Hardware: ARX-200             Firmware: 2.5.1               Build: 4711" "$(rows 12 12)"
  expect_eq "files" " 1 = ARX-200-2.6.1.pkg" "$(rows 15 15)"
  keys 0 Enter
  wait_table || exit 1

  # The double click opens the terminal program; F10 the help file.
  double_click 8
  wait_file "$work/terminal.log"
  expect_eq "terminal program" $'-pw\nBlueOx\nadmin@10.42.23.17' "$(cat "$work/terminal.log" 2>/dev/null)"
  row_starts_in 8 91 "  5  10.42.23.17" || fail "the double click's first press selects: $(colour_row 8 | cat -v)"
  keys F10
  wait_table || exit 1
  sleep 0.3
  expect_eq "pager" "readme.txt" "$(cat "$work/pager.log" 2>/dev/null)"
  expect_eq "rows after the pager" "$expected" "$(table_rows 15)"
  keys Escape
  wait_for "or just RETURN by itself to quit. >" || exit 1
  keys x Enter
  expect_eq "exit status" 0 "$(wait_exit)"
  ;;

upgrade)
  setup_work "oriole,BlueOx"
  start_manager 1
  expect_eq "rows" "$(table_row 1 10.42.23.10 "" "" "" "" "" "" "" 2.5.1 ARX-200
    echo; table_row 2 10.42.23.11 "" "" "" "" "" "" "" 2.5.0 ARX-200
    echo; table_row 3 10.42.23.12 "" "" "" "" "" "" "" 2.4.9 CPE-110
    echo; table_row 4 10.42.23.13 "" "" "" "" "" "" "" 2.5.1 ARX-200)" "$(table_rows 7)"
  # Units of two kinds: .12 (CPE-110) refuses the ARX-200 image once it
  # is in, .13 refuses it before (too large); .10 and .11 take it.
  click 4; click 5; click 6; click 7
  keys F9
  wait_for "  Batch Menu:" || exit 1
  keys 1
  wait_for " 2 = ARX-200-2.7.0.pkg" || exit 1
  keys 2 Enter
  wait_for "ARE YOU SURE (Y/N)" || exit 1
  keys y Enter
  wait_for "Upgrading Firmware to 10.42.23.13" || exit 1
  wait_for "Server reported an error: File too large" || exit 1
  expect_eq "the progress line drawn in place, once per unit that took the image in" 3 \
    "$(screen | grep -c '^ \[oOo\.oOo\.oOo\.oOo\.oOo\.oOo\.oOo\.oOo\.oOo\.oOo\.oOo\.oOo\.oO\] - 200026 (195K)$')"
  expect_eq "completion lines" 2 "$(screen | grep -c '^Operation has completed successfuly\.$')"
  expect_eq "the refusal of the other hardware" "Upgrading Firmware to 10.42.23.12" \
    "$(screen | grep -B8 '^Server reported an error: Action Failed$' | grep '^Upgrading')"
  wait_table || exit 1
  row_starts_in 4 91 "  1  10.42.23.10" || fail "the selection went after the upload"
  row_starts_in 5 91 "  2  10.42.23.11" || fail "the selection went after the upload"
  row_starts_in 7 91 "  4  10.42.23.13" || fail "the selection went after the upload"
  expect_eq "terminal program after each upload" $'-pw\nBlueOx\nadmin@10.42.23.10\n-pw\nBlueOx\nadmin@10.42.23.11\n-pw\nBlueOx\nadmin@10.42.23.12\n-pw\nBlueOx\nadmin@10.42.23.13' "$(cat "$work/terminal.log")"
  # F5 shows the new firmware on the matching units only, and nothing is
  # selected any more.
  keys F5
  wait_for "Scanning 10.42.23.x/24" || exit 1
  wait_table 60 || exit 1
  expect_eq "rows after the refresh" "$(table_row 1 10.42.23.10 "" "" "" "" "" "" "" 2.7.0 ARX-200
    echo; table_row 2 10.42.23.11 "" "" "" "" "" "" "" 2.7.0 ARX-200
    echo; table_row 3 10.42.23.12 "" "" "" "" "" "" "" 2.4.9 CPE-110
    echo; table_row 4 10.42.23.13 "" "" "" "" "" "" "" 2.5.1 ARX-200)" "$(table_rows 7)"
  row_starts_in 4 37 "  1  10.42.23.10" || fail "a selection survived F5"
  # Without a log folder there is no journal, anywhere.
  [[ -z $(find "$work" -name '*.log' ! -name terminal.log ! -name pager.log) && ! -e $work/log ]] ||
    fail "a journal without a log folder: $(find "$work" -name '*.log')"
  # Reboot.
  click 6
  keys F9
  wait_for "  Batch Menu:" || exit 1
  keys 2
  wait_for "  YOU ARE ABOUT TO REBOOT THESE UNITS.  ARE YOU SURE (Y/N)" || exit 1
  keys y Enter
  wait_for "Rebooting 10.42.23.12    " || exit 1
  wait_for "Completed..." || exit 1
  wait_table || exit 1
  grep -q "10.42.23.12:856 cpe-12 from .*reboot" "$HALVEX_LAB_RUN/unitsim.log" || fail "no reboot in the unit's log"
  keys Escape
  wait_for "or just RETURN by itself to quit. >" || exit 1
  keys Enter
  expect_eq "exit status" 0 "$(wait_exit)"
  ;;

journal)
  # The journal of the batch actions in log/10.42.23.log: an upgrade over
  # units of which one takes the image, one cannot be reached, one refuses
  # it after the upload and one before; F5 and what each unit reports
  # then; a reboot; and a halvex killed in the middle of a batch.
  setup_work "oriole,Tq7-x9Zk"
  mkdir -p "$work/log"
  journal=$work/log/10.42.23.log
  finish="Please select the 'Upgrade Firmware' option on the server to finish."
  fields() {  # the journal's lines without their time, fields joined by |
    cut -f2- "$journal" | tr '\t' '|'
  }
  # A unit that drops off the network: its packets vanish, and a
  # connection gives up after a few seconds.
  echo 1 >/proc/sys/net/ipv4/tcp_syn_retries
  start_manager 1
  click 4; click 5; click 6; click 7
  ip addr del 10.42.23.11/32 dev lo
  keys F9
  wait_for "  Batch Menu:" || exit 1
  keys 1
  wait_for " 2 = ARX-200-2.7.0.pkg" || exit 1
  keys 2 Enter
  wait_for "ARE YOU SURE (Y/N)" || exit 1
  keys y Enter
  wait_for "Server reported an error: File too large" 60 || exit 1
  wait_table 20 || exit 1
  expect_eq "the upgrade" "upgrade|10.42.23.10|ARX-200|2.5.1|4711|ARX-200-2.7.0.pkg|0|$finish
upgrade|10.42.23.11|ARX-200|2.5.0|4650|ARX-200-2.7.0.pkg|1|Failed to connect to server
upgrade|10.42.23.12|CPE-110|2.4.9|4388|ARX-200-2.7.0.pkg|1|Server reported an error: Action Failed
upgrade|10.42.23.13|ARX-200|2.5.1|4711|ARX-200-2.7.0.pkg|1|Server reported an error: File too large
batch|upgrade ARX-200-2.7.0.pkg|4|1|3" "$(fields)"
  [[ $(cut -f1 "$journal" | head -1) =~ ^[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}[+-][0-9]{2}:[0-9]{2}$ ]] ||
    fail "time field: $(cut -f1 "$journal" | head -1)"
  keys F5
  wait_for "Scanning 10.42.23.x/24" || exit 1
  wait_table 60 || exit 1
  expect_eq "what the units report after it" "seen|10.42.23.10|ARX-200|2.7.0|5012
seen|10.42.23.11||absent|
seen|10.42.23.12|CPE-110|2.4.9|4388
seen|10.42.23.13|ARX-200|2.5.1|4711" "$(fields | tail -4)"
  # A reboot of the unit now on row 1.
  click 4
  keys F9
  wait_for "  Batch Menu:" || exit 1
  keys 2
  wait_for "ARE YOU SURE (Y/N)" || exit 1
  keys y Enter
  wait_for "Completed..." || exit 1
  wait_table || exit 1
  expect_eq "the reboot" "reboot|10.42.23.10|ARX-200|2.7.0|5012|0|Operation has completed successfuly.
batch|reboot|1|1|0" "$(fields | tail -2)"
  keys Escape
  wait_for "or just RETURN by itself to quit. >" || exit 1
  keys Enter
  wait_exit >/dev/null
  tmux_ kill-server
  # Killed in the middle of a batch: the units done before are recorded.
  ip addr add 10.42.23.11/32 dev lo
  before=$(wc -l <"$journal")
  sleep 2  # .10 is back from its reboot
  start_manager 1
  click 4; click 5; click 6; click 7
  keys F9
  wait_for "  Batch Menu:" || exit 1
  keys 1
  wait_for " 1 = ARX-200-2.6.1.pkg" || exit 1
  keys 1 Enter
  wait_for "ARE YOU SURE (Y/N)" || exit 1
  keys y Enter
  wait_for "Upgrading Firmware to 10.42.23.12" 30 || exit 1
  kill -KILL "$(pgrep -x halvex)"
  expect_eq "the lines of the units done before the kill" "upgrade|10.42.23.10|ARX-200|2.7.0|5012|ARX-200-2.6.1.pkg|0|$finish
upgrade|10.42.23.11|ARX-200|2.5.0|4650|ARX-200-2.6.1.pkg|0|$finish" \
    "$(fields | tail -n +$((before + 1)))"
  grep -rq "Tq7-x9Zk" "$work/log" && fail "the password is in the journal"
  ;;

upgrade_prompt)
  # No password in the settings: velkor asks for it on the manager's screen.
  setup_work "oriole"
  start_manager 1
  click 6
  upload_first_image() {
    keys F9
    wait_for "  Batch Menu:" || exit 1
    keys 1
    wait_for " 1 = CPE-110-2.6.1.pkg" || exit 1
    keys 1 Enter
    wait_for "ARE YOU SURE (Y/N)" || exit 1
    keys y Enter
    wait_for "Enter password:" || exit 1
  }
  # Ctrl-C at the prompt ends velkor, not the manager.
  upload_first_image
  keys C-c
  wait_for "Interrupt" || exit 1
  wait_table || exit 1
  [[ ! -s $work/status ]] || fail "the manager ended on Ctrl-C"
  upload_first_image
  keys -l BlueOx
  keys Enter
  wait_for "Operation has completed successfuly." || exit 1
  screen | grep -q BlueOx && fail "the typed password shows on the screen"
  wait_table || exit 1
  keys F5
  wait_for "Scanning 10.42.23.x/24" || exit 1
  wait_table 60 || exit 1
  expect_eq "the upgraded unit" "$(table_row 3 10.42.23.12 "" "" "" "" "" "" "" 2.6.1 CPE-110)" "$(table_rows 6 | tail -1)"
  expect_eq "modes after the child" "1 1 1" "$(tmux_ display -p -t t '#{mouse_any_flag} #{mouse_all_flag} #{mouse_sgr_flag}')"
  ;;

paging)
  setup_work "oriole,BlueOx"
  start_manager 1
  expect_eq "page 1" " Esc=Quit                               F5=Refresh  F7=All  F8=None  F9=Batch  F10=Help   Page 1 of 2  CPE 1 to 41" "$(rows 1 1)"
  expect_eq "last row of page 1" " 41  10.42.23.41" "$(rows 44 44 | cut -c1-16)"
  keys PgUp
  wait_table || exit 1
  expect_eq "PgUp on page 1" " 41  10.42.23.41" "$(rows 44 44 | cut -c1-16)"
  keys PgDn
  wait_for "Page 2 of 2  CPE 41 to 45" || exit 1
  expect_eq "page 2" $' 41  10.42.23.41\n 42  10.42.23.42\n 43  10.42.23.43\n 44  10.42.23.44\n 45  10.42.23.45' "$(rows 4 8 | cut -c1-16)"
  keys PgDn
  wait_for "Page 2 of 2  CPE 41 to 45" || exit 1
  # A click below the last row of the page selects nothing; one on it does.
  click 9; click 8
  row_starts_in 8 91 " 45  10.42.23.45" || fail "click on page 2: $(colour_row 8 | cat -v)"
  expect_eq "below the rows" "" "$(rows 9 44 | tr -d ' \n')"
  keys F7; keys PgUp
  wait_for "Page 1 of 2  CPE 1 to 41" || exit 1
  row_starts_in 4 91 "  1  10.42.23.1" || fail "F7 on page 1: $(colour_row 4 | cat -v)"
  # A window made too small, then large again: the table is still there.
  before=$(screen)
  tmux_ resize-window -t t -x 80 -y 24
  wait_for "This window is too small for halvex." || exit 1
  tmux_ resize-window -t t -x 115 -y 45
  wait_table || exit 1
  expect_eq "the table after the resize" "$before" "$(screen)"
  # A mouse report beyond the 115 by 45 grid does nothing.
  tmux_ resize-window -t t -x 130 -y 50
  click 48 120
  tmux_ resize-window -t t -x 115 -y 45
  wait_table || exit 1
  expect_eq "the table after a click beyond the grid" "$before" "$(screen)"
  ;;

*)
  echo "unknown case $case_name" >&2
  exit 2
  ;;
esac

((failures == 0)) || exit 1
echo "PASS: $case_name"
