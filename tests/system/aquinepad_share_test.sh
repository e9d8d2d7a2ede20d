#!/usr/bin/env bash
# 上传你的文档 in the real notepad started as it is installed (no browser settings in the environment),
# against the real server: the window "分享文档！" shows the server's upload page, fetched by the
# browser engine inside the notepad.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

work=$(mktemp -d)
pid=
server=
trap '[[ -n $pid ]] && kill $pid 2>/dev/null; [[ -n $server ]] && kill $server 2>/dev/null; rm -rf "$work"' EXIT
mkdir "$work/files"
# The shipped site, but offering no update, so the start-up check asks nothing.
cp -r "$AQUINE_BIN/server" "$work/site"
printf 'v1.0' >"$work/site/new_anotepad.txt"
"$AQUINE_BIN/aquine-server" --root "$work/site" --port 0 --files "$work/files" \
    >"$work/address" 2>"$work/server.log" &
server=$!
poll 10 test -s "$work/address" || fail "the server did not start"

unset QTWEBENGINE_DISABLE_SANDBOX
export QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu
AQUINE_SERVER=$(head -n1 "$work/address") "$AQUINE_BIN/aquinepad" &
pid=$!
main=$(wait_window "无标题 - Aquine记事本") || fail "no window captioned 无标题 - Aquine记事本"
xdotool windowfocus --sync "$main"
# 分享文档 is the fifth menu and has no access key: walk the menu bar to it.
xdotool key alt
sleep 0.3
xdotool key Right Right Right Right Down
sleep 0.3
xdotool key Return
wait_window "分享文档！" >/dev/null || fail "上传你的文档 showed no window 分享文档！"
page_fetched() { grep -q 'GET /server/notepad_share/index.html"' "$work/server.log"; }
poll 30 page_fetched || fail "the upload page was never requested"
poll 10 grep -q 'GET /server/notepad_share/get_ip_server.php"' "$work/server.log" ||
    fail "the address page was never requested"
sleep 2 # the page paints after it arrives
screenshot aquinepad_share
kill -0 "$pid" || fail "aquinepad exited"
echo "aquinepad share: 1 passed, 0 failed"
