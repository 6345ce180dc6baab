#!/usr/bin/env bash
# torvane used as careless and hostile users use it: runs side by side in one directory,
# killed and interrupted runs, process limits, named pipes, its own files as input.
# Each case runs in an empty directory of its own; every failure is listed, then the
# script fails.
# Usage: hostile_use.sh TORVANE PART [--sanitized]
#   PART: runs (runs that meet: side by side, through links, stopped, read while printed)
#   or files (faults of the files, the run's own files, limits); ctest runs the two at once.
#   --sanitized: skip the process limits, which a sanitizer's shadow memory and leak
#   checker cannot live under.
# With HOSTILE_CASE set to the name of one case_ function, only that case runs (ctest runs
# each case as a test of its own, side by side); one that cannot run here then exits 77,
# which ctest shows as skipped, with the reason in its output.
set -uo pipefail
T=$1
part=$2
sanitized=${3:-}
case $part in runs | files) ;; *) echo "hostile_use.sh: PART is runs or files, not '$part'" >&2; exit 2 ;; esac
root=$(mktemp -d)
chmod 755 "$root"
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$root"' EXIT
failures=0

fail() { echo "FAIL $case: $*"; failures=$((failures + 1)); }
# A case that cannot run here for want of something the machine lacks (root, chattr, a
# writable lease time) says so; where CI runs, which has all of them, that is a failure.
lacking=0
lacks() { echo "SKIPPED $case: $*"; lacking=$((lacking + 1)); }
expect_status() { [ "$1" -eq "$2" ] || fail "exit status $1, expected $2; stderr: $(head -c 300 err 2>/dev/null)"; }
expect_in() { grep -qF -- "$2" "$1" || fail "$1 lacks '$2': $(head -c 300 "$1")"; }
expect_empty() { [ ! -s "$1" ] || fail "$1 is not empty ($(stat -c %s "$1") bytes)"; }
# The rounds a race case makes: as many as asked, a fifth of them in a sanitized build,
# whose runs take five times as long and whose checks of memory need no repetition (the
# plain build tries the interleavings).
race_rounds() { if [ -n "$sanitized" ]; then echo $(($1 / 5)); else echo "$1"; fi; }
# random integer matrix entries: matrix SEED COUNT
matrix() { awk -v s="$1" -v n="$2" 'BEGIN { srand(s); for (i = 0; i < n; i++) printf "%d ", int(rand() * 19) - 9 }'; }
# Waits for an event: until COMMAND succeeds. The bound (two minutes) only keeps a broken
# run from hanging the suite; no case relies on how soon the event comes.
wait_until() {
  local _
  for _ in $(seq 6000); do "$@" && return 0; sleep 0.02; done
  fail "gave up waiting for: $*"
  return 1
}
# waits until mat.result holds something: the run is past its lock and writing
wait_for_report() { wait_until test -s mat.result; }
# Another run's hold on this directory, until release_directory: flock holds it for a
# shell that says it has it and then waits on a named pipe.
hold_directory() {
  mkfifo release
  flock . timeout 300 sh -c ': >held; read _ <release' &
  wait_until test -e held
}
release_directory() { echo >release; rm -f release held; }
example() { printf '\xb5\xda 1\xb2\xbd\r\n1  2   | 1  0  \r\n'; }

source "$(dirname "$0")/hostile_$part.sh"

cases=$(declare -F | awk '{ print $3 }' | grep '^case_')
if [ -n "${HOSTILE_CASE:-}" ]; then
  grep -qx "$HOSTILE_CASE" <<<"$cases" || { echo "hostile_use.sh: no case $HOSTILE_CASE in $part" >&2; exit 2; }
  cases=$HOSTILE_CASE
fi
for case in $cases; do
  mkdir "$root/$case" && cd "$root/$case" && "$case"
  kill $(jobs -p) 2>/dev/null
  wait
  cd "$root"
done
if [ "$lacking" -gt 0 ] && [ -n "${CI:-}" ]; then
  echo "FAIL: $lacking cases could not run here, and CI must run every one"
  failures=$((failures + 1))
fi
echo "$failures failed, $lacking skipped"
[ "$failures" -eq 0 ] || exit 1
[ "$lacking" -eq 0 ] || [ -z "${HOSTILE_CASE:-}" ] || exit 77
