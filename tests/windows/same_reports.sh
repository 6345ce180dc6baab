#!/usr/bin/env bash
# torvane-cli.exe under Wine over the corpus in tests/data/reports, which holds the Linux
# torvane too: the same exit status, the same report bytes with --raw, and mat.result that
# report in text mode (each LF as CR LF). The order-100 case, a digest, is the unit tests'.
# Usage: same_reports.sh WINE TORVANE_CLI_EXE REPORTS_DIRECTORY
set -euo pipefail
wine=$1 cli=$2 reports=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

failures=0 checked=0
for case_dir in "$reports"/*/; do
  [ -f "$case_dir/mat.result" ] || continue
  rm -f mat.data mat.result
  checked=$((checked + 1))
  status=0
  LC_ALL=zh_CN.UTF-8 "$wine" "$cli" --dimension "$(cat "$case_dir/dimension")" --data-file "$case_dir/data" --raw \
    >out 2>err || status=$?
  expected_status=1
  [ -s "$case_dir/mat.result" ] && expected_status=0
  if [ "$status" -ne "$expected_status" ] || ! cmp -s out "$case_dir/mat.result" ||
    ! cmp -s <(perl -pe 's/\n/\r\n/g' "$case_dir/mat.result") mat.result; then
    failures=$((failures + 1))
    echo "FAIL $(basename "$case_dir"): exit $status, expected $expected_status; $(head -c 300 err)"
    cmp out "$case_dir/mat.result" || true
  fi
done
echo "$failures of $checked cases differ"
[ "$failures" -eq 0 ]
