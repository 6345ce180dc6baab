#!/usr/bin/env bash
# Starts Torvane.exe under Wine, computes the 2 x 2 example in it, photographs the dialog
# from the X display with ImageMagick's import, closes it and checks its exit status.
# Usage: screenshot.sh WINE TORVANE_EXE DIALOG_DRIVER_EXE OUTPUT.png
set -euo pipefail
wine=$1 torvane_exe=$2 driver_exe=$3 output=$4

fail() { echo "screenshot: $*" >&2; exit 1; }
# The locale goes to Wine alone: it gives the programs the GBK code page.
wine_gbk() { LC_ALL=zh_CN.UTF-8 "$wine" "$@"; }
[ -n "${DISPLAY:-}" ] || fail "no DISPLAY; run under Xvfb (scripts/test-windows)"

work=$(mktemp -d)
torvane_pid=""
cleanup() {
  [ -n "$torvane_pid" ] && kill "$torvane_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
cd "$work"

LC_ALL=zh_CN.UTF-8 "$wine" "$torvane_exe" &
torvane_pid=$!

geometry=$(wine_gbk "$driver_exe" example | tr -d '\r') || fail "the dialog could not be driven"
read -r x y width height <<<"$geometry"
[ "${height:-0}" -gt 0 ] || fail "no window rectangle from the driver: '$geometry'"

sleep 1  # the X server draws what Wine sent it
mkdir -p "$(dirname "$output")"
import -window root -crop "${width}x${height}+${x}+${y}" +repage -strip \
  -define png:exclude-chunks=date,time "$output"

wine_gbk "$driver_exe" close || fail "the dialog could not be closed"
status=0
wait "$torvane_pid" || status=$?
torvane_pid=""
[ "$status" -eq 18 ] || fail "Torvane.exe ended with status $status, not 18"

read -r got_width got_height colours < <(identify -format '%w %h %k\n' "$output")
[ "$got_width" -eq "$width" ] && [ "$got_height" -eq "$height" ] ||
  fail "the picture is ${got_width}x${got_height}, the window ${width}x${height}"
[ "$colours" -ge 16 ] || fail "the picture has only $colours colours: nothing was drawn"
[ -s mat.result ] || fail "no mat.result beside the program"
echo "screenshot: ${width}x${height} at ($x, $y), $colours colours -> $output"
