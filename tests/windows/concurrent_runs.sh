#!/usr/bin/env bash
# Two torvane-cli.exe under Wine at once in one folder: each prints its own report (the
# one it prints when run alone) or, having waited too long, a clear message; never the
# other's report.
# Usage: concurrent_runs.sh WINE TORVANE_CLI_EXE
set -uo pipefail
wine=$1 windows_cli=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
for k in 1 2; do
  awk -v s="$k" 'BEGIN { srand(s); for (i = 0; i < 3600; i++) printf "%d ", int(rand() * 19) - 9 }' >"m$k"
  mkdir "alone$k" && (cd "alone$k" && LC_ALL=zh_CN.UTF-8 "$wine" "$windows_cli" --raw --dimension 60 --data-file "../m$k" >"../want$k")
done
wrong=0 refused=0
for _ in $(seq 8); do
  for k in 1 2; do LC_ALL=zh_CN.UTF-8 "$wine" "$windows_cli" --raw --dimension 60 --data-file "m$k" >"got$k" 2>"err$k" & done
  wait
  for k in 1 2; do
    if ! cmp -s "got$k" "want$k"; then
      if grep -q "another run" "err$k"; then refused=$((refused + 1)); else wrong=$((wrong + 1)); cat "err$k"; fi
    fi
  done
done
echo "16 runs: $wrong showed a report not their own, $refused gave up waiting"
[ "$wrong" -eq 0 ]
