#!/usr/bin/env bash
# readonly_folder.sh COMMAND...: runs COMMAND with the folder $SHOTVARA_READONLY_DIR (made here, and
# removed afterwards, when unset) read-only: a read-only file system mounted over it in a mount
# namespace of the command's own where the system allows one, else a folder without write permission.
# Root writes into any folder, so without a namespace root gets exit code 77 (skipped).
set -uo pipefail
[[ $# -ge 1 ]] || { echo "usage: readonly_folder.sh COMMAND [ARG...]" >&2; exit 2; }
own=
if [[ -z ${SHOTVARA_READONLY_DIR:-} ]]; then
    own=$(mktemp -d)
    export SHOTVARA_READONLY_DIR=$own
fi
mount_ro=(sh -c 'mount -t tmpfs -o ro tmpfs "$SHOTVARA_READONLY_DIR" && exec "$@"' sh "$@")
if unshare --mount true 2>/dev/null; then
    run=(unshare --mount "${mount_ro[@]}")
elif unshare --user --map-root-user --mount true 2>/dev/null; then
    run=(unshare --user --map-root-user --mount "${mount_ro[@]}")
elif [[ $(id -u) != 0 ]]; then
    chmod 555 "$SHOTVARA_READONLY_DIR"
    run=("$@")
else
    echo "readonly_folder.sh: no read-only folder can be made here" >&2
    [[ -n $own ]] && rm -rf "$own"
    exit 77
fi
[[ -z $own ]] && exec "${run[@]}"
"${run[@]}"
rc=$?
chmod 755 "$own"
rm -rf "$own"
exit $rc
