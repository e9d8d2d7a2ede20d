#!/usr/bin/env bash
# 快速截图 from the real notepad, run from a folder whose name has blanks, quotes and Chinese: the real
# screenshot tool starts from that folder and freezes the screen, as a process of its own (not the
# notepad's child, in its own session), and the notepad's window stays as it was.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

work=$(mktemp -d)
pid=
shot=
trap '[[ -n $shot ]] && kill $shot 2>/dev/null; [[ -n $pid ]] && kill $pid 2>/dev/null; rm -rf "$work"' EXIT
dir="$work/程序 \"目录\" it's"
mkdir -p "$dir"
cp "$AQUINE_BIN/aquinepad" "$AQUINE_BIN/shotvara" "$AQUINE_BIN/配置.ini" "$dir/"

"$dir/aquinepad" &
pid=$!
main=$(wait_window "无标题 - Aquine记事本") || fail "no window captioned 无标题 - Aquine记事本"
xdotool windowfocus --sync "$main"
# 编辑(&E) and 扩展(&E) share their access key: walk the menu bar to 扩展 instead.
xdotool key alt
sleep 0.3
xdotool key Right Right Right Down
sleep 0.3
xdotool key u

shotvara_window() { xdotool search --onlyvisible --classname '^shotvara$' 2>/dev/null | head -n1; }
shotvara_shown() { [[ -n $(shotvara_window) ]]; }
poll 20 shotvara_shown || fail "快速截图 showed no shotvara window"
id=$(shotvara_window)
shot=$(xdotool getwindowpid "$id")
[[ $(readlink "/proc/$shot/exe") == "$dir/shotvara" ]] || fail "started $(readlink "/proc/$shot/exe")"
read -r ppid sid < <(ps -o ppid=,sid= -p "$shot")
[[ $ppid != "$pid" ]] || fail "shotvara is the notepad's child"
[[ $sid != $(ps -o sid= -p "$pid" | tr -d ' ') ]] || fail "shotvara shares the notepad's session"
[[ -z $(ps -o pid= --ppid "$pid") ]] || fail "the notepad keeps a child process"
screenshot aquinepad_quick_screenshot
[[ $(xdotool getwindowname "$main") == "无标题 - Aquine记事本" ]] || fail "the notepad's window changed"
kill -0 "$pid" || fail "aquinepad exited"
echo "aquinepad quick screenshot: 1 passed, 0 failed"
