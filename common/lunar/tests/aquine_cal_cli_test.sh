#!/usr/bin/env bash
# aquine-cal as a user runs it: a day, a month, this month, and the refusals with their exit codes.
set -euo pipefail
cal=$1
fail() { echo "FAIL: $*" >&2; exit 1; }

out=$("$cal" 2024-02-10)
[[ $out == *"农历：甲辰年正月初一"* && $out == *"生肖：龙"* && $out == *"节日：春节"* ]] || fail "2024-02-10: $out"
out=$("$cal" 2023-03-22)
[[ $out == *"闰二月初一"* ]] || fail "2023-03-22: $out"
out=$("$cal" 2024-08-22)
[[ $out == *"节气：处暑"* ]] || fail "2024-08-22: $out"
out=$("$cal" 2024-08-23)
[[ $out != *"节气"* ]] || fail "2024-08-23: $out"
out=$("$cal" 1954-11-25)
[[ $out == *"甲午年冬月初一"* ]] || fail "1954-11-25: $out"
out=$("$cal" 2024-02)
[[ $out == *"2024年2月"* && $out == *"正月"* && $out == *"廿二"* ]] || fail "2024-02: $out"
out=$("$cal")
[[ $out == *"$(date +%Y)年$(date +%-m)月"* ]] || fail "this month: $out"

refused() { # argument, expected words of the message
    local err status=0
    err=$("$cal" "$1" 2>&1 >/dev/null) || status=$?
    [[ $status -ne 0 ]] || fail "$1 was accepted"
    [[ $err == *"$2"* ]] || fail "$1: message '$err'"
}
refused 2024-13-45 "没有这一天"
refused 2023-02-29 "没有这一天"
refused 24-2-10x "日期格式不对"
refused tomorrow "日期格式不对"
refused 1900-12-31 "超出范围"
refused 2101-01-01 "超出范围"
refused 2101-01 "月份"
echo "aquine-cal: all checks passed"
