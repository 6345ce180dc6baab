#!/usr/bin/env bash
# Runs at once in one folder: two torvane-cli.exe under Wine, then the Linux torvane and
# torvane-cli.exe side by side. Each run prints its own report (the one it prints when
# run alone) or, having waited too long, a clear message; never the other's report, and
# mat.result is left as one whole report, never a mix of two.
# Usage: concurrent_runs.sh WINE TORVANE_CLI_EXE [LINUX_TORVANE]
# (without a built LINUX_TORVANE the Linux and Windows pair is skipped)
set -uo pipefail
wine=$1 windows_cli=$2 linux_cli=${3:-}
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
cd "$work"
failures=0
windows() { LC_ALL=zh_CN.UTF-8 "$wine" "$windows_cli" "$@"; }
for k in 1 2; do
  awk -v s="$k" 'BEGIN { srand(s); for (i = 0; i < 6400; i++) printf "%d ", int(rand() * 19) - 9 }' >"m$k"
  mkdir "alone$k" && (cd "alone$k" && windows --raw --dimension 80 --data-file "../m$k" >"../want$k")
done

# What one run printed, against what it prints alone: "own", "refused" (gave up waiting
# and said so) or "wrong", with its message.
verdict() { # want got err
  if [ -s "$2" ] && cmp -s "$1" "$2"; then echo own
  elif grep -q "another run" "$3"; then echo refused
  else echo "wrong: $(head -c 200 "$3")"; fi
}
# The report as the Linux program leaves it (as printed) or as a Windows one does (text
# mode: CR CR LF on disk).
whole_report() {
  local form
  for form in want1 want2 alone1/mat.result alone2/mat.result; do cmp -s mat.result "$form" && return; done
  echo "mat.result is not one whole report"; failures=$((failures + 1))
}

wrong=0 refused=0
for _ in $(seq 6); do
  for k in 1 2; do windows --raw --dimension 80 --data-file "m$k" >"got$k" 2>"err$k" & done
  wait
  for k in 1 2; do
    case $(verdict "want$k" "got$k" "err$k") in own) ;; refused) refused=$((refused + 1)) ;; *) wrong=$((wrong + 1)); cat "err$k" ;; esac
  done
  whole_report
done
echo "two Windows runs, 12 runs: $wrong showed a report not their own, $refused gave up waiting"
failures=$((failures + wrong))

if [ -x "$linux_cli" ]; then
  # The Linux program runs over and over while the Windows one runs a few times: most
  # Windows runs start while a Linux run holds the folder, and the other way round.
  wrong=0 refused=0 rounds=0
  for _ in $(seq 4); do
    (for i in $(seq 25); do "$linux_cli" --raw --dimension 80 --data-file m1 >"lgot$i" 2>"lerr$i"; echo $? >"lstatus$i"; done) &
    linux_loop=$!
    for i in 1 2; do windows --raw --dimension 80 --data-file m2 >"wgot$i" 2>"werr$i"; done
    wait "$linux_loop"
    for i in $(seq 25); do
      case $(verdict want1 "lgot$i" "lerr$i") in own) ;; refused) refused=$((refused + 1)) ;; *) wrong=$((wrong + 1)); echo "Linux: $(cat "lerr$i")" ;; esac
    done
    for i in 1 2; do
      case $(verdict want2 "wgot$i" "werr$i") in own) ;; refused) refused=$((refused + 1)) ;; *) wrong=$((wrong + 1)); echo "Windows: $(cat "werr$i")" ;; esac
    done
    whole_report
    rounds=$((rounds + 1))
  done
  echo "Linux and Windows side by side, $rounds rounds of 25 + 2 runs: $wrong printed a report not their own or failed, $refused gave up waiting"
  failures=$((failures + wrong))
else
  echo "the Linux and Windows pair skipped: no Linux torvane built at '$linux_cli'"
fi
[ "$failures" -eq 0 ]
