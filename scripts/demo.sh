#!/usr/bin/env bash
# Builds the tools, starts a simulated unit on 127.0.0.1 and shows its
# system report through velkor.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh plain >/dev/null

work=$(mktemp -d)
trap 'kill "$sim" 2>/dev/null; wait "$sim" 2>/dev/null; rm -rf "$work"' EXIT
build/unitsim/unitsim --bind 127.0.0.1 --port 0 --ready-file "$work/ready" \
  --state "$work/state" --log "$work/log" unitsim/examples/demo.toml &
sim=$!
for _ in $(seq 200); do [ -s "$work/ready" ] && break; sleep 0.05; done
read -r address port _ < "$work/ready"

echo "\$ velkor $address BlueOx -p $port -sysinfo"
build/utility/velkor "$address" BlueOx -p "$port" -sysinfo
