#!/usr/bin/env bash
# What `torvane --latex` writes compiles with pdflatex (Debian's texlive-latex-base), with
# and without --exact: fractions, shortened long numbers, inf and nan, a singular matrix,
# the largest order. A larger order is refused before a file is written, as is an order
# past --exact's; beside --raw the report is still printed.
# Usage: latex_compiles.sh TORVANE
set -uo pipefail
torvane=$1
if ! command -v pdflatex >/dev/null; then
  echo "SKIPPED: pdflatex is not installed (Debian's texlive-latex-base)"
  [ -n "${CI:-}" ] && exit 1
  exit 77
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/torvane-latex.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

failures=0
order16=$(for i in $(seq 256); do printf '%s ' $(( (i * 37 % 19) - 9 )); done)
cases=(
  "2|1 2 3 4"
  "2|0 1 1 0"
  "3|1 2 3 4 5 6 7 8 9"
  "2|1 1 1 1.0000001"
  "4|1 -1.0000001 0 1  0 1.0000005 1.0000002 2  1.0000007 0 1.0000006 1  0.5 -1 1 -1"
  "2|1e30 0 0 1e-30"
  "16|$order16"
)
n=0
for case in "${cases[@]}"; do
  for exact in "" --exact; do
    n=$((n + 1))
    if ! "$torvane" --dimension "${case%%|*}" --data "${case#*|}" --latex "doc$n.tex" $exact >/dev/null 2>"run$n.err"; then
      echo "FAILED: torvane --latex $exact on '${case:0:40}'"; cat "run$n.err"; failures=$((failures + 1)); continue
    fi
    if ! pdflatex -halt-on-error -interaction=nonstopmode -no-shell-escape "doc$n.tex" >"tex$n.out" 2>&1 ||
       [ ! -s "doc$n.pdf" ]; then
      echo "FAILED: pdflatex on the document of '${case:0:40}' $exact"; grep -A3 '^!' "doc$n.log"
      failures=$((failures + 1))
    fi
  done
done

# Order 17 is refused once it is read: exit 2, and no document is left.
"$torvane" --dimension 17 --data "1" --latex big.tex >/dev/null 2>big.err
status=$?
if [ "$status" -ne 2 ] || [ -e big.tex ] || ! grep -q "orders up to 16" big.err; then
  echo "FAILED: order 17 gave exit $status, $(cat big.err)"; failures=$((failures + 1))
fi

# --exact takes orders up to 30 the same way.
"$torvane" --exact --dimension 31 --data "1" >big.out 2>big.err
status=$?
if [ "$status" -ne 2 ] || [ -s big.out ] || ! grep -q "orders up to 30" big.err; then
  echo "FAILED: --exact of order 31 gave exit $status, $(cat big.err)"; failures=$((failures + 1))
fi

# Beside --raw the report is printed as without it.
"$torvane" --raw --latex raw.tex --dimension 2 --data "1 2 3 4" >raw.out 2>raw.err
if ! cmp -s raw.out mat.result || [ ! -s raw.tex ]; then
  echo "FAILED: --raw --latex: $(cat raw.err)"; failures=$((failures + 1))
fi

echo "$((n + 3 - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
