#!/usr/bin/env bash
# Installs what the build, the tools and the tests need on Debian 12.
# Safe to run again: packages already present are left alone.
set -euo pipefail

packages=(
  g++ clang libclang-rt-14-dev cmake ninja-build pkg-config
  libgtest-dev libgmock-dev
  libtomlplusplus-dev
  libncurses-dev
  tmux iproute2 iputils-ping util-linux procps python3
  snmp snmpd
  dpkg-dev groff-base man-db lintian
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  # apt and the packages' scripts get no terminal (a session of their own,
  # input from nothing), so that none of them changes the terminal's line
  # handling under this script; should one still do, the modes are put back.
  modes=""
  [ -t 0 ] && modes=$(stty -g 2>/dev/null || true)
  quiet() { setsid -w "$@" </dev/null; }
  echo "setup: reading the package lists..."
  quiet $sudo apt-get update -qq >/dev/null
  echo "setup: installing ${#missing[@]} packages (${missing[*]}) with what they need;"
  echo "setup: on a fresh machine this takes one to three minutes. One line per package:"
  # apt's own "Setting up" lines, counted, show that it goes on.
  quiet $sudo apt-get install -y -q --no-install-recommends "${missing[@]}" 2>&1 |
    awk '/^Setting up / { printf "setup:   [%d] %s\n", ++n, $3; fflush() }
         /^E: / { print; fflush() }'
  status=${PIPESTATUS[0]}
  [ -n "$modes" ] && stty "$modes" 2>/dev/null
  if [ "$status" -ne 0 ]; then
    echo "setup: apt-get install failed (status $status)" >&2
    exit "$status"
  fi
fi
