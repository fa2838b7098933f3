#!/usr/bin/env bash
# On demand, not part of the tests: cross-builds velkor.exe and halvex.exe
# with mingw-w64 and runs them under Wine: velkor against a simulated unit
# on 127.0.0.1, halvex in a private tmux server at 115 by 45 on the block
# 127.0.0.x (which answers echo under Wine) with recorders standing in for
# snmpwalk.exe and velkor.exe.  Installs g++-mingw-w64-x86-64, wine64 and
# tmux (about 1.4 GB) when they are missing.
set -euo pipefail
cd "$(dirname "$0")/.."
need=()
for p in g++-mingw-w64-x86-64 wine64 tmux; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
bash scripts/build.sh plain >/dev/null
cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
ninja -C build-win >/dev/null

work=$(mktemp -d)
export WINEPREFIX=$work/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
# Wine's helpers keep inherited pipes open: start them with none attached.
/usr/lib/wine/wineserver -p </dev/null >/dev/null 2>&1 || true
$wine wineboot --init </dev/null >/dev/null 2>&1
tmux_() { tmux -S "$work/tmux.sock" "$@"; }
# Everything is stopped and removed whatever has already gone; the exit
# status stays the checks' own.
cleanup() {
  local status=$?
  set +e
  kill "$sim" 2>/dev/null
  tmux_ kill-server 2>/dev/null
  /usr/lib/wine/wineserver -k 2>/dev/null
  rm -rf "$work"
  exit "$status"
}
trap cleanup EXIT

build/unitsim/unitsim --bind 127.0.0.1 --port 0 --ready-file "$work/ready" \
  --state "$work/state" --log "$work/log" unitsim/examples/demo.toml &
sim=$!
for _ in $(seq 200); do [ -s "$work/ready" ] && break; sleep 0.05; done
read -r address port _ <"$work/ready"

failed=0
check() {  # name, expected exit code, velkor arguments...
  local name=$1 want=$2; shift 2
  local got=0
  (cd "$work" && $wine "$OLDPWD/build-win/utility/velkor.exe" "$@" </dev/null >"$work/out" 2>/dev/null) || got=$?
  if [ "$got" = "$want" ]; then echo "ok    $name"; else echo "FAIL  $name (exit $got, wanted $want)"; failed=1; fi
}
check "usage" 0
check "system report" 0 "$address" BlueOx -p "$port" -sysinfo
grep -q "^Unit .* build .*\[" "$work/out" || { echo "FAIL  report line 2"; failed=1; }
check "wrong password" 1 "$address" wrong -p "$port" -kernlog
check "configuration backup" 0 "$address" BlueOx -p "$port" -d backup.cfg
[ -s "$work/backup.cfg" ] || { echo "FAIL  backup file"; failed=1; }
check "configuration restore" 0 "$address" BlueOx -p "$port" -u backup.cfg
check "card information" 0 "$address" BlueOx -p "$port" -ci wlan1

# ---- halvex.exe ----------------------------------------------------------
bash scripts/windows-manager-check.sh "$work" "$wine" || failed=1
exit $failed
