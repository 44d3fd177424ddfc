#!/usr/bin/env bash
# Installs into a scratch HOME, checks the launcher and icon, re-installs over
# an edited catalogue, and uninstalls keeping the catalogue.
set -euo pipefail
src=$1
build=$2
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME=$home XDG_DATA_HOME=$home/.local/share
app=$XDG_DATA_HOME/pourvale
launcher=$XDG_DATA_HOME/applications/org.pourvale.Pourvale.desktop
fail() { echo "FAIL: $*"; exit 1; }

BUILD_DIR=$build "$src/scripts/install-user" >/dev/null
for f in pourvale pourvale_webengine.so pv.mdb pourvale.qhc pourvale.qch; do [ -e "$app/$f" ] || fail "$f not installed"; done
[ -x "$app/pourvale" ] || fail "program not executable"
[ -w "$app/pv.mdb" ] || fail "catalogue not writable by its user"
[ -f "$XDG_DATA_HOME/icons/hicolor/scalable/apps/org.pourvale.Pourvale.svg" ] || fail "icon missing"
grep -q "^Exec=$app/pourvale$" "$launcher" || fail "launcher does not start the installed program"
grep -q "^Icon=org.pourvale.Pourvale$" "$launcher" || fail "launcher icon"
if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$launcher" || fail "launcher invalid"; fi

sqlite3 "$app/pv.mdb" "UPDATE drinklst SET Glass='Mine' WHERE rowid=1"
BUILD_DIR=$build "$src/scripts/install-user" >/dev/null
[ "$(sqlite3 "$app/pv.mdb" "SELECT Glass FROM drinklst WHERE rowid=1")" = "Mine" ] || fail "reinstall replaced the catalogue"

"$src/scripts/install-user" --uninstall >/dev/null
[ ! -e "$app/pourvale" ] || fail "program left behind"
[ ! -e "$launcher" ] || fail "launcher left behind"
[ -f "$app/pv.mdb" ] || fail "uninstall removed the catalogue"
[ "$(sqlite3 "$app/pv.mdb" "SELECT Glass FROM drinklst WHERE rowid=1")" = "Mine" ] || fail "catalogue changed"
echo "1 passed, 0 failed"
