#!/usr/bin/env bash
# The maker's signing round trip with aquine-sign, and the package the build bundles: it verifies
# against the key built into the notepad.
# Arguments: aquine-sign, the build's public key source, the bundled package (may not exist yet).
set -euo pipefail
sign=$1 key_source=$2 bundled=$3
fail() { echo "FAIL: $*" >&2; exit 1; }
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

public=$("$sign" keygen "$dir/maker.key")
[[ $public =~ ^[0-9a-f]{64}$ ]] || fail "keygen printed '$public'"
[[ $(stat -c %a "$dir/maker.key") == 600 ]] || fail "the secret key is readable by others"
[[ $("$sign" public "$dir/maker.key") == "$public" ]] || fail "public half differs from keygen's"
if "$sign" keygen "$dir/maker.key" >/dev/null 2>&1; then fail "keygen replaced an existing key"; fi

head -c 300000 /dev/zero | tr '\0' a > "$dir/aquine-update.zip"
"$sign" sign "$dir/maker.key" "$dir/aquine-update.zip"
head -n1 "$dir/aquine-update.zip.manifest" | grep -qx 'aquine-update-manifest 1' || fail "manifest header"
"$sign" verify "$public" "$dir/aquine-update.zip" >/dev/null || fail "a fresh signature does not verify"

# What a changed package or another key says is the core's (package_check_test); here only that
# verify refuses.
printf 'x' | dd of="$dir/aquine-update.zip" bs=1 seek=1000 conv=notrunc 2>/dev/null
if "$sign" verify "$public" "$dir/aquine-update.zip" 2>/dev/null; then fail "a changed package verified"; fi
if "$sign" sign "$dir/missing.key" "$dir/aquine-update.zip" 2>/dev/null; then fail "signed without a key"; fi
if "$sign" 2>/dev/null; then fail "no command accepted"; fi

# What ./run.sh serves is signed with the key the notepad trusts.
if [[ -f $bundled ]]; then
    trusted=$(grep -o '"[0-9a-f]\{64\}"' "$key_source" | tr -d '"')
    "$sign" verify "$trusted" "$bundled" >/dev/null || fail "the bundled package does not verify"
    echo "aquine-sign: round trip and the bundled package passed"
else
    echo "aquine-sign: round trip passed (no bundled package built)"
fi
