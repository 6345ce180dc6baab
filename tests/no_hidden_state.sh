#!/usr/bin/env bash
# The product's mutable objects, read from its built libraries and objects: a run gets what
# it needs beyond the program's few named globals passed to it, so a variable that lives
# between calls is hidden state that another run, or the next one, would see. Lists every
# object in a writable section (namespace-scope and function-local statics alike), then
# fails naming those not allowed below. What the compiler makes (vtables, typeinfo, guard
# variables, DW.ref, PE's section symbols and .refptr, a sanitizer's records, the standard
# library's and Boost's own tables) is left out; so is data made read-only once the loader has
# relocated it (.data.rel.ro).
# Usage: no_hidden_state.sh NM FILE...   (a FILE holding ';' is a CMake list of files)
set -uo pipefail
nm_program=$1
shift

# The program's globals, the console's signal flag (a handler can reach nothing else),
# and statics that hold a fact of the machine, the same for every run.
allowed=(
  'torvane::dimension'
  'torvane::matrix'
  'torvane::row_buffer'
  'torvane::step_count'
  'torvane::normalized'
  'torvane::in_file'
  'torvane::out_file'
  'torvane::main_dialog'
  'torvane::app_instance'
  'torvane::(anonymous namespace)::stopping_signal'
  'torvane::slots_formatted_with_avx2()::available'
)

files=()
for argument in "$@"; do
  IFS=';' read -ra listed <<<"$argument"
  files+=("${listed[@]}")
done
[ ${#files[@]} -gt 0 ] || { echo "usage: no_hidden_state.sh NM FILE..."; exit 2; }

# Name and section of every defined symbol, from the System V format: "name|value|class|
# type|size|line|section". Writable: .bss, .data, .tbss, .tdata and their subsections
# (ELF ".data.x", PE ".data$x"), .tls, and common symbols.
symbols=$("$nm_program" -C --defined-only -f sysv "${files[@]}" 2>/dev/null) || {
  echo "FAIL $nm_program could not read: ${files[*]}"
  exit 1
}
mutable=$(awk -F'|' 'NF >= 7 {
    name = $1; section = $7
    sub(/ +$/, "", name); gsub(/ /, "", section)
    if (section ~ /^\.data\.rel\.ro/) next
    if (section !~ /^(\.bss|\.data|\.tbss|\.tdata|\.tls|\*COM\*)([.$]|$)/) next
    if (name ~ /^(\.|__odr_asan|__asan|__ubsan|__tsan|DW\.ref\.|guard variable for |vtable for |typeinfo for |typeinfo name for |std::|__gnu_cxx::|__cxxabiv1::|boost::)/) next
    print name
  }' <<<"$symbols" | sort -u)

# The globals are always there: without them nm read nothing this script understands.
grep -qx 'torvane::dimension' <<<"$mutable" || {
  echo "FAIL torvane::dimension not found: no symbols read from ${files[*]}"
  exit 1
}

listed_allowed=$(printf '%s\n' "${allowed[@]}")
grep -xFf <(echo "$listed_allowed") <<<"$mutable" | sed 's/^/allowed: /'
not_allowed=$(grep -vxFf <(echo "$listed_allowed") <<<"$mutable")
if [ -n "$not_allowed" ]; then
  sed 's/^/NOT ALLOWED: /' <<<"$not_allowed"
  echo "FAIL $(wc -l <<<"$not_allowed") mutable objects beyond the allowed ones: pass what a run needs to it instead"
  exit 1
fi
echo "ok: no mutable object beyond the allowed ones"
