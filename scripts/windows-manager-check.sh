#!/usr/bin/env bash
# The manager's part of scripts/windows-check.sh: WORK is its scratch
# folder (with a Wine prefix made), WINE the wine64 program.  halvex.exe
# runs in a private tmux server at 115 by 45; the recorders stand in for
# snmpwalk.exe and velkor.exe and log the argument lists they get; the
# console helper clicks the mouse and reads cells, since Wine does not turn
# a terminal's mouse reports into console events.
set -uo pipefail
cd "$(dirname "$0")/.."
work=$1
wine=$2
top=$PWD
m=$work/manager
rm -rf "$m"
mkdir -p "$m/bin" "$m/firmware"
cp build-win/manager/halvex.exe "$m/"
cp build-win/tests/windows/recorder.exe "$m/velkor.exe"
cp build-win/tests/windows/recorder.exe "$m/bin/snmpwalk.exe"
cp build-win/tests/windows/console_helper.exe "$m/"
echo "an image" >"$m/firmware/ARX-200-2.7.0.pkg"
# Hostile values: each must arrive as one argument and run nothing.
community='pub lic"&|%PATH%^ x\"'
password='Blue Ox & %PATH% \'
printf '%s\r\n"%s"\r\n' "$community" "$password" >"$m/halvex.ini"

failed=0
ok() { echo "ok    $1"; }
fail() { echo "FAIL  $1"; failed=1; }
tmux_() { tmux -S "$work/tmux.sock" "$@"; }
screen() { tmux_ capture-pane -p -t w; }
wait_for() {  # TEXT [SECONDS]
  local tries=$(( ${2:-20} * 10 ))
  while ((tries-- > 0)); do
    screen | grep -qF -- "$1" && return 0
    sleep 0.1
  done
  fail "waited for \"$1\""
  screen | sed 's/^/      | /' | head -45
  return 1
}
keys() { tmux_ send-keys -t w "$@"; sleep 0.2; }
helper() { (cd "$m" && "$wine" console_helper.exe "$@" </dev/null >/dev/null 2>&1); cat "$m/console_helper.out" 2>/dev/null; }
attribute() { helper cell "$1" "$2" | cut -c3-; }  # ROW COLUMN: the cell's attribute, hex
start() {  # the block prefix
  tmux_ kill-server 2>/dev/null
  for _ in $(seq 50); do [ -S "$work/tmux.sock" ] || break; sleep 0.1; done
  rm -f "$m/exit"
  tmux_ new-session -d -s w -x 115 -y 45 \
    "cd '$m' && WINEPATH='Z:$m/bin' HALVEX_TERMINAL='Z:$m/velkor.exe' '$wine' halvex.exe $1; echo \$? >'$m/exit'; sleep 600"
}

start 127.0.0.
wait_for " Select 1=Firmware Mode, 2=Full Mode" && ok "start-up screen"
[ "$(tmux_ display -p -t w '#{pane_title}')" = "Halvex - AP/CPE Manager - Version 0.99h" ] &&
  ok "console title" || fail "console title"
keys 1 Enter
wait_for "Scanning 127.0.0.x/24 to find 'alive' hosts." && ok "sweep starts"
wait_for "Found 254 Alive hosts" 60 && ok "sweep finds the 254 hosts of 127.0.0.x"
wait_for "F5=Refresh  F7=All  F8=None  F9=Batch  F10=Help   Page 1 of 7" 120 && ok "table"
screen | grep -q '^  1  127.0.0.1 .* 2.5.1 .*ARX-200' && ok "row from the recorded snmpwalk answer" ||
  fail "row from the recorded snmpwalk answer"

# The arguments as the recorders got them.
log=$m/recorder.log
grep -qxF "[$community]" "$log" && ok "community arrives as one argument" || fail "community arrives as one argument"
grep -qxF "[$password]" "$log" && ok "password (trailing backslash) arrives as one argument" ||
  fail "password arrives as one argument"
walks=$(grep -c '^== snmpwalk.exe$' "$log")
[ "$walks" -ge 254 ] && ok "one snmpwalk per host" || fail "one snmpwalk per host ($walks of 254)"
[ ! -e "$m/x" ] && [ ! -e "$m/lic" ] && ok "nothing ran through a shell" || fail "something ran through a shell"

# Keys.
keys PageDown; wait_for "Page 2 of 7" && ok "PgDn"
keys PageUp; wait_for "Page 1 of 7" && ok "PgUp"
plain=$(attribute 4 10)
keys F7; sleep 0.5
selected=$(attribute 4 10)
[ "$selected" != "$plain" ] && ok "F7 selects all (attribute $plain -> $selected)" || fail "F7 selects all ($plain, $selected)"
keys F8; sleep 0.5
[ "$(attribute 4 10)" = "$plain" ] && ok "F8 selects none" || fail "F8 selects none"
# The mouse, through console records.
helper click 4 10 >/dev/null; sleep 0.5
[ "$(attribute 4 10)" = "$selected" ] && ok "a left click selects the row" || fail "a left click selects the row"
helper click 5 10 >/dev/null; sleep 0.5
# A double click starts the terminal program (HALVEX_TERMINAL, here the recorder) for its unit.
helper click 6 10 double >/dev/null; sleep 1
grep -qxF '[admin@127.0.0.3]' "$log" && ok "a double click starts the terminal program for its unit" ||
  fail "a double click starts the terminal program for its unit"
helper click 6 10 >/dev/null; sleep 0.5  # the double click selected it: take it back
# A batch upgrade of the two selected units.
keys F9
wait_for "  Batch Menu:" && ok "F9 opens the batch menu"
keys 1
wait_for " 1 = ARX-200-2.7.0.pkg" && ok "firmware choice"
keys 1 Enter
wait_for "ARE YOU SURE (Y/N)" && keys y Enter
wait_for "Upgrading Firmware to 127.0.0.1" 30 && ok "upgrade of the first unit"
wait_for " [oooooooooooooooooooo] - 1000" 30 && ok "velkor's progress line, drawn in place on the shared console"
wait_for "Upgrading Firmware to 127.0.0.2" 30 && ok "upgrade of the second unit"
wait_for "F5=Refresh  F7=All  F8=None  F9=Batch" 60 || true
[ "$(grep -c '^\[-f\]$' "$log")" = 2 ] && ok "velkor -f ran twice" || fail "velkor -f ran twice"
grep -A2 '^== velkor.exe$' "$log" | grep -qxF '[127.0.0.2]' && ok "velkor got the unit's address" ||
  fail "velkor got the unit's address"
# F5 sweeps again.
keys F5
wait_for "Scanning 127.0.0.x/24" && ok "F5 sweeps again"
wait_for "Found 254 Alive hosts" 60
wait_for "F5=Refresh  F7=All  F8=None  F9=Batch  F10=Help   Page 1 of 7" 120
keys Escape
wait_for "or just RETURN by itself to quit. >" && ok "Esc leaves the table for the next block"
keys Enter
for _ in $(seq 100); do [ -s "$m/exit" ] && break; sleep 0.1; done
[ "$(cat "$m/exit" 2>/dev/null)" = 0 ] && ok "RETURN ends halvex with 0" || fail "RETURN ends halvex with 0"

# Ctrl-C while the table shows: the console comes back and nothing is left running.
start 127.0.0.
wait_for " Select 1=Firmware Mode, 2=Full Mode" && keys 1 Enter
wait_for "Found 254 Alive hosts" 60
wait_for "F5=Refresh  F7=All  F8=None  F9=Batch  F10=Help   Page 1 of 7" 120
keys C-c
for _ in $(seq 100); do [ -s "$m/exit" ] && break; sleep 0.1; done
[ -s "$m/exit" ] && ok "Ctrl-C ends halvex (status $(cat "$m/exit"))" || fail "Ctrl-C ends halvex"
[ "$(tmux_ display -p -t w '#{pane_title}')" != "Halvex - AP/CPE Manager - Version 0.99h" ] &&
  ok "Ctrl-C gives the console its title back" || fail "Ctrl-C gives the console its title back"
pgrep -x halvex.exe >/dev/null && fail "halvex.exe still runs" || ok "nothing left running"

# Without the recorders: empty answers, as on POSIX.
rm -f "$m/velkor.exe" "$m/bin/snmpwalk.exe"
start 127.0.0.
wait_for " Select 1=Firmware Mode, 2=Full Mode" && keys 1 Enter
wait_for "Found 254 Alive hosts" 60
wait_for "F5=Refresh  F7=All  F8=None  F9=Batch  F10=Help   Page 1 of 7" 120 &&
  screen | grep -q '^  1  127.0.0.1 .*UNKNOWN' &&
  ok "missing snmpwalk.exe and velkor.exe give empty answers" || fail "missing programs"
keys Escape
tmux_ kill-server 2>/dev/null
exit $failed
