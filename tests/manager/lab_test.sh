#!/usr/bin/env bash
# Runs one end-to-end case of halvex inside a fresh lab network.
#   lab_test.sh CASE HALVEX CONSOLE_EVENTS [--unitsim PROGRAM]
# Exit 77 (skipped) when the lab cannot be created on this machine.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
case_name=$1 halvex=$2 events=$3
shift 3

if ! "$root/lab/run-lab.sh" --check; then
  echo "SKIPPED: the lab network cannot be created here (needs root or user namespaces)"
  exit 77
fi
exec "$root/lab/run-lab.sh" --lab "$root/lab/default-lab.toml" "$@" -- \
  bash "$here/in_lab.sh" "$case_name" "$halvex" "$events"
