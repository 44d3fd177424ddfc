#!/usr/bin/env bash
# Unpacks the Debian package into a scratch root and starts the program from
# there, on a virtual display with a scratch HOME, up to its first recipe: the
# first start makes the user's own catalogue, a second start keeps an edit
# made in it, and the bundled catalogue stays as shipped.
#   tests/install/test_package.sh pourvale_VERSION_ARCH.deb
set -euo pipefail
if [ -z "${PV_VIRTUAL_DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" env PV_VIRTUAL_DISPLAY=1 "$0" "$@"
fi
deb=$(realpath "$1")
scratch=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$scratch"' EXIT
root=$scratch/root
export HOME=$scratch/home XDG_DATA_HOME=$scratch/home/.local/share XDG_CONFIG_HOME=$scratch/home/.config
export XDG_RUNTIME_DIR=$scratch/run QT_QPA_PLATFORM=xcb
mkdir -p "$root" "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
mine=$XDG_DATA_HOME/pourvale/pv.mdb
fail() { echo "FAIL: $*"; exit 1; }

dpkg -x "$deb" "$root"
for f in usr/bin/pourvale usr/lib/pourvale/pourvale_webengine.so \
  usr/share/pourvale/pv-bundled.mdb usr/share/pourvale/pourvale.qhc usr/share/pourvale/pourvale.qch \
  usr/share/applications/org.pourvale.Pourvale.desktop usr/share/metainfo/org.pourvale.Pourvale.metainfo.xml \
  usr/share/icons/hicolor/scalable/apps/org.pourvale.Pourvale.svg usr/share/man/man1/pourvale.1.gz \
  usr/share/doc/pourvale/copyright; do
  [ -e "$root/$f" ] || fail "$f is not in the package"
done
shipped=$(sha256sum <"$root/usr/share/pourvale/pv-bundled.mdb")

# Starts the program, presses Enter on the start-up window's "Start", and
# waits until the program has the user's catalogue open, which it does once
# the main window shows its first recipe; then ends it.
start_to_first_recipe() {
  "$root/usr/bin/pourvale" >"$scratch/run.log" 2>&1 &
  pid=$!
  local pressed=
  for _ in $(seq 600); do
    kill -0 "$pid" 2>/dev/null || { cat "$scratch/run.log"; fail "the program ended by itself"; }
    if [ -z "$pressed" ]; then
      pressed=$(xdotool search --onlyvisible --pid "$pid" --name . 2>/dev/null | head -n 1 || true)
      if [ -n "$pressed" ]; then
        sleep 0.5
        xdotool windowfocus --sync "$pressed" key Return
      fi
    fi
    if [ -e "$mine" ] && ls -l "/proc/$pid/fd" 2>/dev/null | grep -qF -- "-> $mine"; then
      kill "$pid"
      wait "$pid" 2>/dev/null || true
      pid=
      return 0
    fi
    sleep 0.1
  done
  cat "$scratch/run.log"
  fail "the program did not open the user's catalogue within a minute"
}

start_to_first_recipe
[ -f "$mine" ] || fail "no catalogue of the user's own"
[ -w "$mine" ] || fail "the user's catalogue is not writable"
[ "$(sqlite3 "$mine" "SELECT count(*) FROM drinklst")" -gt 0 ] || fail "the user's catalogue holds no recipes"

sqlite3 "$mine" "UPDATE drinklst SET Glass='Mine' WHERE rowid=(SELECT min(rowid) FROM drinklst)"
start_to_first_recipe
[ "$(sqlite3 "$mine" "SELECT Glass FROM drinklst WHERE rowid=(SELECT min(rowid) FROM drinklst)")" = "Mine" ] ||
  fail "the second start lost the edit"
[ "$(sha256sum <"$root/usr/share/pourvale/pv-bundled.mdb")" = "$shipped" ] || fail "the bundled catalogue was changed"
echo "1 passed, 0 failed"
