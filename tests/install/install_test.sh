#!/usr/bin/env bash
# One case of the installed tools:
#   install_test.sh prefix|package|manuals BUILD SOURCE
# Everything happens in a scratch folder of its own, removed afterwards;
# the only network traffic is velkor talking to unitsim on 127.0.0.1.
set -uo pipefail
case_name=$1 build=$2 source=$3
scratch=$(mktemp -d "${TMPDIR:-/tmp}/unit-tools-install.XXXXXX")
unitsim_pid=""
cleanup() {
  [[ -n $unitsim_pid ]] && kill "$unitsim_pid" 2>/dev/null && wait "$unitsim_pid" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The three programs and the shared files below ROOT/PREFIX, and velkor's
# usage text from there.
check_tree() {  # ROOT (the installed prefix)
  local root=$1 f
  for f in bin/velkor bin/halvex bin/unitsim bin/unit-lab share/man/man1/velkor.1.gz \
    share/man/man1/halvex.1.gz share/man/man1/unitsim.1.gz share/man/man1/unit-lab.1.gz \
    share/unit-tools/readme.txt share/unit-tools/default-lab.toml share/unit-tools/fleet-lab.toml \
    share/unit-tools/run-lab.sh share/unit-tools/examples/demo.toml \
    share/unit-tools/firmware-images.sh share/doc/unit-tools/copyright \
    share/doc/unit-tools/changelog.gz; do
    [[ -e $root/$f ]] || fail "$f is not installed"
  done
  local usage status
  usage=$("$root/bin/velkor" 2>&1)
  status=$?
  [[ $status == 0 ]] || fail "velkor without arguments ended with $status"
  [[ $usage == "velkor : a configuration backup and restore utiltity v1.16"* ]] ||
    fail "velkor's usage text: $(head -1 <<<"$usage")"
}

case $case_name in
prefix)
  cmake --install "$build" --prefix "$scratch/prefix" >"$scratch/install.log" 2>&1 ||
    { cat "$scratch/install.log"; fail "cmake --install failed"; }
  check_tree "$scratch/prefix"
  ;;

package)
  command -v dpkg-deb >/dev/null && command -v dpkg-shlibdeps >/dev/null ||
    { echo "SKIPPED: dpkg-deb or dpkg-shlibdeps (dpkg-dev) missing"; exit 77; }
  (cd "$scratch" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out") \
    >"$scratch/cpack.log" 2>&1 || { cat "$scratch/cpack.log"; fail "cpack failed"; exit 1; }
  debs=("$scratch"/out/*.deb)
  [[ ${#debs[@]} == 1 && -f ${debs[0]} ]] || { fail "not one package: ${debs[*]}"; exit 1; }
  deb=${debs[0]}
  listing=$(dpkg-deb -c "$deb")
  for f in ./usr/bin/velkor ./usr/bin/halvex ./usr/bin/unitsim ./usr/bin/unit-lab \
    ./usr/share/man/man1/velkor.1.gz ./usr/share/unit-tools/readme.txt; do
    grep -q " $f\( \|$\)" <<<"$listing" || fail "the package has no $f"
  done
  depends=$(dpkg-deb -f "$deb" Depends)
  [[ $depends == *libc6* && $depends == *libncursesw6* ]] || fail "dependencies: $depends"
  expect_recommends=$(dpkg-deb -f "$deb" Recommends)
  [[ $expect_recommends == snmp ]] || fail "recommends: $expect_recommends"
  if command -v lintian >/dev/null; then
    findings=$(lintian "$deb" 2>&1 | grep -E '^(E|W):')
    [[ -z $findings ]] || fail "lintian: $findings"
  fi
  dpkg-deb -x "$deb" "$scratch/root"
  check_tree "$scratch/root/usr"
  # The lab from the package alone: velkor against a unit, and halvex's
  # inventory of the lab's block (it needs no terminal).
  usr=$scratch/root/usr
  if "$usr/bin/unit-lab" --check 2>/dev/null; then
    report=$("$usr/bin/unit-lab" -- "$usr/bin/velkor" 10.42.23.9 BlueOx -sysinfo 2>&1)
    [[ $(sed -n 2p <<<"$report") == "Unit 2.4.9 build 4388 [CPE-110]" ]] ||
      fail "velkor in the installed lab: $report"
    mkdir -p "$scratch/work"
    inventory=$(cd "$scratch/work" && printf 'oriole,BlueOx\r\n' >halvex.ini &&
      "$usr/bin/unit-lab" -- "$usr/bin/halvex" --inventory 10.42.23.1 2>&1)
    [[ $(wc -l <<<"$inventory") == 13 && $inventory == *$'\n10.42.23.9,'*',velkor,2.4.9,4388,CPE-110'* ]] ||
      fail "halvex's inventory in the installed lab: $inventory"
  else
    echo "note: the lab cannot be made here; the installed lab was not tried"
  fi
  # The unpacked unitsim and velkor talk to each other on loopback.
  "$scratch/root/usr/bin/unitsim" --bind 127.0.0.1 --port 0 --state "$scratch/state" \
    --ready-file "$scratch/ready" --log "$scratch/unitsim.log" \
    "$scratch/root/usr/share/unit-tools/examples/demo.toml" </dev/null &
  unitsim_pid=$!
  for ((i = 0; i < 100; i++)); do [[ -s $scratch/ready ]] && break; sleep 0.05; done
  read -r _ port _ <"$scratch/ready" || fail "unitsim did not get ready"
  report=$("$scratch/root/usr/bin/velkor" 127.0.0.1 BlueOx -p "$port" -sysinfo 2>&1)
  [[ $? == 0 && $report == "System information for demo-ap (127.0.0.1)"* ]] ||
    fail "velkor against unitsim: $(head -2 <<<"$report")"
  ;;

manuals)
  command -v groff >/dev/null || { echo "SKIPPED: no groff"; exit 77; }
  for page in velkor halvex unitsim unit-lab; do
    warnings=$(groff -ww -z -man "$source/man/$page.1" 2>&1)
    [[ -z $warnings ]] || fail "$page.1: $warnings"
    if command -v man >/dev/null; then
      text=$(MANWIDTH=80 man -l "$source/man/$page.1" 2>"$scratch/man.err")
      [[ -s $scratch/man.err ]] && fail "man -l $page.1: $(cat "$scratch/man.err")"
      [[ $text == *"${page^^}(1)"* ]] || fail "man -l $page.1 shows no heading"
    fi
  done
  ;;
esac
((failures == 0)) || exit 1
echo "PASS: $case_name"
