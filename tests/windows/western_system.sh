#!/usr/bin/env bash
# torvane-cli.exe on a Windows set to a western code page (Wine under C.UTF-8: code page
# 1252): a file name outside that code page still reaches it whole, and it calls itself by
# its own name. Usage: western_system.sh WINE TORVANE_CLI_EXE
set -euo pipefail
wine=$1 cli=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

LC_ALL=C.UTF-8 "$wine" "$cli" --dimension 2 --data "1 2 3 4" --html "页 page.html" >out 2>err || true
[ -s "页 page.html" ] || fail "no page written under a name outside code page 1252: $(head -c 300 err)"

status=0
LC_ALL=C.UTF-8 "$wine" "$cli" --no-such-option >out 2>err || status=$?
[ "$status" -eq 2 ] || fail "an unknown option exits $status, not 2"
grep -q "^torvane-cli: " err && grep -q "torvane-cli --help" err ||
  fail "the usage error does not name torvane-cli: $(head -c 300 err)"
LC_ALL=C.UTF-8 "$wine" "$cli" --help >out 2>err
grep -q "torvane-cli --dimension" out || fail "--help does not name torvane-cli: $(head -3 out)"
grep -qE "(^| )torvane --" out && fail "--help names 'torvane', a command Windows has not: $(grep -E '(^| )torvane --' out | head -2)"

echo "$failures failed"
[ "$failures" -eq 0 ]
