#!/usr/bin/env bash
# On demand, not part of the tests: cross-builds velkor.exe and halvex.exe
# with mingw-w64 and runs them under Wine: velkor against a simulated unit
# on 127.0.0.1, halvex in a private tmux server at 115 by 45 on the block
# 127.0.0.x (which answers echo under Wine) with recorders standing in for
# snmpwalk.exe and velkor.exe; and the release archive, unpacked into a
# scratch folder, its velkor.exe against the unit and its halvex.exe up to
# the mode question.  Installs g++-mingw-w64-x86-64, wine64, tmux and zip
# tools (about 1.4 GB) when they are missing.
set -euo pipefail
cd "$(dirname "$0")/.."
need=()
for p in g++-mingw-w64-x86-64 wine64 tmux zip unzip; do
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

# ---- the release archive -------------------------------------------------
bash scripts/package.sh windows "$work/release" >/dev/null
zips=("$work"/release/unit-tools-*-win64.zip)
unzip -q "${zips[0]}" -d "$work/unpacked"
folder=$(echo "$work"/unpacked/unit-tools-*-win64)
listing=$(cd "$folder" && find . -mindepth 1 | sort | tr '\n' ' ')
want="./README-FIRST.txt ./firmware ./halvex.exe ./halvex.ini ./network ./readme.txt ./velkor.exe "
[ "$listing" = "$want" ] && echo "ok    the archive's contents" ||
  { echo "FAIL  the archive's contents: $listing"; failed=1; }
crlf=1
for text in README-FIRST.txt readme.txt halvex.ini; do
  [ "$(tr -cd '\n' <"$folder/$text" | wc -c)" = "$(grep -c $'\r$' "$folder/$text")" ] || crlf=0
done
[ "$crlf" = 1 ] && [ "$(cat "$folder/halvex.ini")" = $'oriole\r\n\r' ] &&
  echo "ok    text files in CR LF, the settings file as halvex reads it" ||
  { echo "FAIL  the archive's text files"; failed=1; }
got=0
(cd "$folder" && $wine velkor.exe "$address" BlueOx -p "$port" -sysinfo </dev/null >"$work/out" 2>/dev/null) || got=$?
[ "$got" = 0 ] && grep -q "^Unit .* build .*\[" "$work/out" && echo "ok    velkor.exe from the archive" ||
  { echo "FAIL  velkor.exe from the archive (exit $got)"; failed=1; }
tmux_ new-session -d -s z -x 115 -y 45 "cd '$folder' && '$wine' halvex.exe; sleep 600"
asked=0
for _ in $(seq 100); do
  tmux_ capture-pane -p -t z | grep -qF " Select 1=Firmware Mode, 2=Full Mode" && { asked=1; break; }
  sleep 0.2
done
[ "$asked" = 1 ] && echo "ok    halvex.exe from the archive asks for the mode" ||
  { echo "FAIL  halvex.exe from the archive"; failed=1; }
tmux_ kill-session -t z 2>/dev/null

# ---- halvex.exe ----------------------------------------------------------
bash scripts/windows-manager-check.sh "$work" "$wine" || failed=1
exit $failed
