#!/usr/bin/env bash
# scripts/run-tests-in-debian as a user runs it through sudo, on a clone of
# that user's: its checkout holds the uncommitted change, the user's clone
# gets no file of root's, and a roots folder another user made is refused.
#   check_debian_checkout.sh SCRIPT
set -euo pipefail
script="$1"
fail() { echo "FAIL: $*"; exit 1; }
[ "$(id -u)" -eq 0 ] || { echo "needs root, as sudo gives it"; exit 77; }
user=nobody
# A folder the user can reach (the build tree may lie in root's own home).
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
chmod 0755 "$work"
repo="$work/clone"
mkdir -p "$repo/scripts"
cp "$script" "$repo/scripts/run-tests-in-debian"
git -C "$repo" init -q
git -C "$repo" add .
git -C "$repo" -c user.name=t -c user.email=t@localhost commit -qm one
echo "# changed, not committed" >>"$repo/scripts/run-tests-in-debian"
chown -R "$user" "$repo"

SUDO_USER="$user" "$repo/scripts/run-tests-in-debian" --checkout-only "$work/checkout"
[ "$(tail -n 1 "$work/checkout/scripts/run-tests-in-debian")" = "# changed, not committed" ] ||
    fail "the checkout lacks the uncommitted change"
owned=$(find "$repo" -user root | head -n 3)
[ -z "$owned" ] || fail "root's files in the user's clone: $owned"

for roots in planted link; do
    if [ $roots = planted ]; then
        mkdir -m 0777 "$work/planted"
    else
        ln -s "$work/planted" "$work/link"
    fi
    said=$(VORKEL_DEBIAN_ROOTS="$work/$roots" "$repo/scripts/run-tests-in-debian" 13 2>&1) &&
        fail "a roots folder others may write was used ($roots)"
    grep -q "not using it" <<<"$said" || fail "$roots: $said"
done
echo "the checkout is the working tree; the clone and the roots folder are safe"
