#!/usr/bin/env bash
# torvane on processors without AVX2, emulated by Debian's qemu-user: the Nehalem model
# (SSE4.2, no AVX) and qemu64 (close to the x86-64 baseline). The program must start and
# give the corpus's report bytes (tests/data/reports) on each, its mat.data as on this
# machine, and the views as this machine shows them: there the formatter takes the
# one-by-one path, here most likely the vector one, so every difference is a fault.
# First, no AVX instruction may lie outside the function the run-time check lets run.
# Usage: older_processors.sh TORVANE REPORTS_DIRECTORY [CPU]   (default: both models; ctest
# runs one test for each, side by side)
set -uo pipefail
T=$(realpath "$1") reports=$(realpath "$2") cpus=${3:-Nehalem qemu64}
if ! command -v qemu-x86_64 >/dev/null; then
  echo "SKIPPED: qemu-x86_64 is missing (scripts/install-deps linux installs Debian's qemu-user)"
  [ -n "${CI:-}" ] && exit 1  # CI has it installed and must run this
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
failures=0 checked=0

fail() { echo "FAIL $*"; failures=$((failures + 1)); }

# AVX and later (VEX-encoded, their names begin with "v") only in the function the run-time
# check enters: any other may run where there is no AVX2, even if no case here reaches it.
outside=$(objdump -d --no-show-raw-insn -C "$T" | awk '/^[0-9a-f]+ <.*>:$/ { name = $0 }
  /^ +[0-9a-f]+:\t+v/ && !/\tver[rw]/ && name !~ /<torvane::format_eight_into_slots_avx2\(/ { print name }' | sort -u)
[ -z "$outside" ] || fail "AVX instructions outside the AVX2 formatter, in: $outside"
# Likewise SSE3, SSSE3 and SSE4.1 (qemu64 has none of them) only in HighwayHash's SSE4.1
# code, which runs after the run-time check.
sse41='(pblendw|pblendvb|blendv?p[sd]|dpp[sd]|extractps|insertps|pextr[bdq]|pinsr[bdq]|pmax[su][bwd]|pmin[su][bwd]|pmov[sz]x[bwd][wdq]|pmuldq|pmulld|ptest|round[ps][sd]|mpsadbw|phminposuw|packusdw|pcmpeqq|movntdqa|pshufb|palignr|pabs[bwd]|ph(add|sub)[wd]|pmaddubsw|pmulhrsw|psign[bwd]|h(add|sub)p[sd]|movddup|movs[hl]dup|lddqu|addsubp[sd])'
outside=$(objdump -d --no-show-raw-insn -C "$T" | awk -v set="^$sse41\$" '/^[0-9a-f]+ <.*>:$/ { name = $0 }
  /^ +[0-9a-f]+:\t+/ { split($0, parts, "\t"); split(parts[2], word, " ") }
  /^ +[0-9a-f]+:\t+/ && word[1] ~ set && name !~ /SSE41|keyed_hash_sse41/ { print name }' | sort -u)
[ -z "$outside" ] || fail "SSE3/SSSE3/SSE4.1 instructions outside HighwayHash's SSE4.1 code, in: $outside"

# The status, standard output and mat.data of one run, in DIRECTORY: run DIRECTORY [qemu-x86_64 -cpu CPU] ARGS...
run() {
  local directory=$1
  shift
  mkdir -p "$directory" && (cd "$directory" && { "$@" >out 2>err; echo $? >status; })
}

for cpu in $cpus; do
  on_cpu=(qemu-x86_64 -cpu "$cpu")
  for case_dir in "$reports"/*/; do
    name="$cpu/$(basename "$case_dir")"
    checked=$((checked + 1))
    texts=(--dimension "$(cat "$case_dir/dimension")" --data-file "$case_dir/data")
    run "$name/here" "$T" "${texts[@]}" --raw
    run "$name/there" "${on_cpu[@]}" "$T" "${texts[@]}" --raw
    # A report too large to keep is kept as a digest, which the unit tests hold this machine's to.
    expected=$case_dir/mat.result
    [ -f "$expected" ] || expected=$name/here/out
    expected_status=1
    [ -s "$expected" ] && expected_status=0
    if [ "$(cat "$name/there/status")" != "$expected_status" ]; then
      fail "$name: exit $(cat "$name/there/status"), expected $expected_status; $(head -c 200 "$name/there/err")"
    elif ! cmp -s "$name/there/out" "$expected" || ! cmp -s "$name/there/mat.result" "$expected"; then
      fail "$name: the report differs from the corpus's"
    elif ! cmp -s "$name/there/mat.data" "$name/here/mat.data"; then
      fail "$name: mat.data differs from this machine's"
    fi
  done

  # The terminal's report and the working, on cases that show many kinds of value.
  for case_name in example large_and_small six_digits_and_short_exponents; do
    for view in plain --explain; do
      name="$cpu/$view-$case_name"
      checked=$((checked + 1))
      texts=(--dimension "$(cat "$reports/$case_name/dimension")" --data-file "$reports/$case_name/data")
      [ "$view" = plain ] || texts+=("$view")
      run "$name/here" "$T" "${texts[@]}"
      run "$name/there" "${on_cpu[@]}" "$T" "${texts[@]}"
      cmp -s "$name/here/out" "$name/there/out" && cmp -s "$name/here/status" "$name/there/status" ||
        fail "$name: differs from this machine's (exit $(cat "$name/there/status")); $(head -c 200 "$name/there/err")"
    done
  done
done
echo "$failures of $checked runs differ"
[ "$failures" -eq 0 ]
