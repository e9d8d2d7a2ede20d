#!/usr/bin/env bash
# aquine-conv converts GBK on stdin to stdout; wrong arguments are refused with a usage text.
set -euo pipefail
conv=$1
fail() { echo "FAIL: $*" >&2; exit 1; }

out=$(printf '\xb0\xae' | "$conv" --to traditional | od -An -tx1 | tr -d ' \n')
[[ $out == 90db ]] || fail "traditional: $out"
out=$(printf '\xd6\xd0\xb9\xfa' | "$conv" --to big5 | od -An -tx1 | tr -d ' \n')
[[ $out == a4a4b0ea ]] || fail "big5: $out"
out=$(printf '\xd6\xd0\xb9\xfa' | "$conv" --to=sjis | od -An -tx1 | tr -d ' \n')
[[ $out == 92868d91 ]] || fail "sjis: $out"
out=$(printf '\x90\xdb' | "$conv" --to simplified | od -An -tx1 | tr -d ' \n')
[[ $out == b0ae ]] || fail "simplified: $out"
out=$(printf '' | "$conv" --to traditional | wc -c)
[[ $out == 0 ]] || fail "empty input gave $out bytes"
if "$conv" --to klingon </dev/null 2>/dev/null; then fail "unknown target accepted"; fi
if "$conv" </dev/null 2>/dev/null; then fail "missing target accepted"; fi
# Results are GBK text: 鑉 (E8 59) has a simplified form GBK lacks and stays as it was.
out=$(printf '\xe8\x59' | "$conv" --to simplified | od -An -tx1 | tr -d ' \n')
[[ $out == e859 ]] || fail "simplified outside GBK: $out"
# A folder as input: a Chinese reason and exit code 1, not an uncaught exception.
set +e
err=$("$conv" --to simplified < / 2>&1 >/dev/null); rc=$?
set -e
[[ $rc == 1 ]] || fail "folder input: exit code $rc"
[[ $err == *这是一个文件夹* ]] || fail "folder input: $err"
echo "aquine-conv: 9 passed, 0 failed"
