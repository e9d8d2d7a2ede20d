#!/usr/bin/env bash
# Installs the desktop component (entries and icons) into a staging folder, for a plain prefix and for
# one full of blanks, quotes and shell characters, and checks the entries the way desktops read them:
# desktop-file-validate, the exact Exec lines, and GIO starting a stand-in program through one.
set -euo pipefail
build=$1
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# install <prefix> <destdir>: the desktop component only, as `cmake --install` does it.
install_desktop() {
    DESTDIR=$2 cmake --install "$build" --component desktop --prefix "$1" >/dev/null
}

entry() { find "$1" -name "$2.desktop" -path '*/applications/*' | head -n 1; }

# The plain prefix: nothing to quote.
install_desktop /opt/aquine "$stage/plain"
for program in aquinepad imvara shotvara; do
    file=$(entry "$stage/plain" $program)
    [[ -n $file ]] || { fail "no entry for $program"; continue; }
    desktop-file-validate "$file" || fail "$program's entry does not validate"
    arguments=''
    [[ $program == aquinepad ]] && arguments=' %f'
    grep -qxF "Exec=/opt/aquine/$program$arguments" "$file" || fail "$program: $(grep ^Exec= "$file")"
    grep -qxF "Icon=$program" "$file" || fail "$program's entry names no icon"
    icon=$(find "$stage/plain" -path "*/hicolor/scalable/apps/$program.svg")
    [[ -n $icon ]] && xmllint --noout "$icon" || fail "no valid icon for $program"
done

# An awkward prefix: the entry is quoted, and a launcher still finds the program and hands it the file.
awkward="$stage/我的 程序 \"q\" it's \$HOME \\ (x)"
install_desktop "$awkward" "$stage/awkward"
file=$(entry "$stage/awkward" aquinepad)
desktop-file-validate "$file" || fail "the quoted entry does not validate"
grep -qxF "Exec=\"$stage/我的 程序 \\\\\"q\\\\\" it's \\\\\$HOME \\\\\\\\ (x)/aquinepad\" %f" "$file" ||
    fail "quoted: $(grep ^Exec= "$file")"
mkdir -p "$awkward"
printf '#!/bin/sh\nprintf "%%s\\n" "$0" "$@" > "%s/launched"\n' "$stage" > "$awkward/aquinepad"
chmod +x "$awkward/aquinepad"
document="$stage/一份 文档.txt"
: > "$document"
gio launch "$file" "$document" 2>/dev/null || fail "gio could not launch the entry"
for _ in $(seq 50); do [[ -s $stage/launched ]] && break; sleep 0.1; done
[[ $(cat "$stage/launched" 2>/dev/null) == "$awkward/aquinepad"$'\n'"$document" ]] ||
    fail "launched: $(cat "$stage/launched" 2>/dev/null)"

# The IBus component names the installed engine; ibus-daemon splits its exec line as a shell would.
exec_words() {
    local file
    file=$(find "$1" -name imvara.xml -path '*/ibus/component/*' | head -n 1)
    [[ -n $file ]] && xmllint --noout "$file" || { echo "no valid component"; return; }
    xmllint --xpath 'string(//exec)' "$file" | python3 -c 'import shlex, sys; print("|".join(shlex.split(sys.stdin.read())))'
}
[[ $(exec_words "$stage/plain") == "/opt/aquine/imvara-ibus|--ibus" ]] || fail "component: $(exec_words "$stage/plain")"
[[ $(exec_words "$stage/awkward") == "$awkward/imvara-ibus|--ibus" ]] || fail "quoted component: $(exec_words "$stage/awkward")"

[[ $failures -eq 0 ]] && echo "desktop entries: all checks passed"
exit $failures
