#!/usr/bin/env bash
# The same compute run on both platforms: the Linux torvane and torvane-cli.exe under Wine
# are given the same inputs and must print the same report (--raw: the bytes of
# mat.result) with the same exit status. The files they leave differ only as text mode
# makes them differ: on Windows each LF lies on disk as CR LF.
# Usage: compare_reports.sh LINUX_TORVANE WINE TORVANE_CLI_EXE
set -euo pipefail
linux_cli=$1 wine=$2 windows_cli=$3

[ -x "$linux_cli" ] || {
  echo "compare_reports: no Linux torvane at $linux_cli; build it first (cmake --preset linux && cmake --build --preset linux)" >&2
  exit 1
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

text_mode() { perl -pe 's/\n/\r\n/g' "$1"; }

# check NAME DIMENSION DATA [PATTERN]: PATTERN, when given, must occur in the report, to
# show that the case exercises what it is named for.
check() {
  local name=$1 dimension=$2 data=$3 pattern=${4:-}
  local dir="$work/$name"
  mkdir -p "$dir/linux" "$dir/windows"
  printf '%s' "$data" >"$dir/data"
  local linux_status=0 windows_status=0
  (cd "$dir/linux" && "$linux_cli" --dimension "$dimension" --data-file ../data --raw >../linux.out 2>../linux.err) ||
    linux_status=$?
  (cd "$dir/windows" && LC_ALL=zh_CN.UTF-8 "$wine" "$windows_cli" --dimension "$dimension" --data-file ../data --raw \
    >../windows.out 2>../windows.err) || windows_status=$?

  local problems=()
  [ "$linux_status" -eq "$windows_status" ] || problems+=("exit status $linux_status on Linux, $windows_status on Windows")
  cmp -s "$dir/linux.out" "$dir/windows.out" || problems+=("the reports differ")
  for file in mat.data mat.result; do
    if [ -e "$dir/linux/$file" ]; then
      cmp -s <(text_mode "$dir/linux/$file") "$dir/windows/$file" ||
        problems+=("$file on Windows is not the Linux one with each LF as CR LF")
    fi
  done
  if [ -n "$pattern" ] && ! LC_ALL=C grep -Eq -- "$pattern" "$dir/linux.out"; then
    problems+=("the report has no match for /$pattern/, so the case does not test what it should")
  fi
  if [ "$linux_status" -eq 0 ] && ! LC_ALL=C grep -q $'\r\r$' "$dir/windows/mat.result"; then
    problems+=("mat.result on Windows does not hold the report's CR LF as CR CR LF")
  fi

  if [ ${#problems[@]} -eq 0 ]; then
    echo "ok   $name (exit $linux_status, $(wc -c <"$dir/linux.out") bytes)"
  else
    failures=$((failures + 1))
    echo "FAIL $name: ${problems[*]}"
    diff <(od -c "$dir/linux.out") <(od -c "$dir/windows.out") | head -20 || true
    cat "$dir/windows.err" | head -5
  fi
}

check example 2 $'1 2\r\n3 4' '^-2  1  '
check order-one 1 '4' '^0\.25  '
check zero-pivot-repaired 3 $'0 2 1\r\n1 1 1\r\n2 1 0'
check all-pivots-zero-at-first 4 $'0 0 1 0\n0 0 0 1\n1 0 0 0\n0 1 0 0'
check tiny-entries-flushed 3 $'1 0.0000003 0.5\n-0.0000002 1 0.25\n0.125 0.000001 1'
check rounding-left-over 3 $'1 2 3\n4 5 6\n7 8 10'
check thirds-and-sevenths 4 $'3 1 4 1\n5 9 2 6\n5 3 5 8\n9 7 9 3'
check singular-gives-inf-or-nan 2 $'1 2\n2 4' 'inf|nan'
check all-zero 2 $'0 0\n0 0' 'inf|nan'
check large-and-small 3 $'1e30 2e30 0\n3e-30 4e-30 1e-35\n0 1e20 1e-20' 'e[-+][0-9]'
check overflow-to-inf 2 $'3e38 3e38\n-3e38 3e38' 'inf|e\+38'
check denormal-input 2 $'1e-40 1\n1 1e-40'
check too-few-entries 3 $'1 2 3 4'
check not-numbers 2 $'1 x\n3 4'
check ten-steps-and-more 12 "$(for r in $(seq 0 11); do for c in $(seq 0 11); do
  printf '%s ' $(( (r * 7 + c * 13) % 17 - 8 )); done; printf '\r\n'; done)" $'^\xB5\xDA 1[0-9]\xB2\xBD'
check no-order 0 '1 2 3 4'
check negative-order -2 '1 2 3 4'

if [ "$failures" -ne 0 ]; then
  echo "$failures case(s) differ between Linux and Windows"
  exit 1
fi
