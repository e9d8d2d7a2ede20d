#!/usr/bin/env bash
# imvara-lookup shows pages as the bar would, answers reverse lookups, and reads a chosen word file.
set -euo pipefail
tool=$1
fail() { echo "FAIL: $*" >&2; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

first=$("$tool" pages a)
[[ $first == " 1.啊 2.阿 3.呵 4.吖 5.嗄 6.腌 7.锕 8.錒 " ]] || fail "first page of a: '$first'"
[[ $("$tool" pages a --pages 3 | wc -l) == 3 ]] || fail "three pages of a"
[[ $("$tool" pages zhong | head -c 6) == " 1.中" ]] || fail "zhong"
[[ -z $("$tool" pages qqqqqqqqqqqqqqq) ]] || fail "13+ letters found something"

codes=$("$tool" reverse 行)
grep -qx hang <<<"$codes" && grep -qx xing <<<"$codes" || fail "reverse 行: $codes"

printf '\r\nhang %s' "$(printf '我的行' | iconv -t GBK)" >"$tmp/word.bin"
last=$("$tool" pages hang --pages 50 --word-bin "$tmp/word.bin" | tail -n1)
[[ $last == *".我的行 " ]] || fail "user word not last: '$last'"
[[ $("$tool" reverse 我的行 --word-bin "$tmp/word.bin") == hang ]] || fail "reverse of a user word"

# A device or a FIFO given as word.bin is refused at once with a reason, never read without end.
mkfifo "$tmp/fifo"
for special in /dev/zero "$tmp/fifo"; do
    if err=$(timeout 10 "$tool" pages hang --word-bin "$special" 2>&1 >/dev/null); then fail "$special accepted"; fi
    [[ $err == *这不是普通文件* ]] || fail "$special: '$err'"
done

"$tool" stats | grep -q '^lines: ' || fail "stats"
if "$tool" pages ABC 2>/dev/null; then fail "uppercase composition accepted"; fi
if "$tool" 2>/dev/null; then fail "no command accepted"; fi
echo "imvara-lookup: 10 passed, 0 failed"
