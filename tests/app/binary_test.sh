#!/bin/sh
# Starts the real program on a virtual X display under a window manager,
# checks its window and its first lines, reads it as a screen reader would
# and chooses SE1 with the key 1, checks that a quick click does not glue
# the window to the pointer, and quits it with the standard shortcut.
#   binary_test.sh <path to tarimo>
set -eu
binary=$1
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${TARIMO_ON_XVFB:-}" ]; then
    export TARIMO_ON_XVFB=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" dbus-run-session -- "$0" "$@"
fi

work=$(mktemp -d)
trap 'kill "$pid" "$wm" 2>/dev/null || true; rm -rf "$work"' EXIT
unset QT_QPA_PLATFORM
openbox --sm-disable >"$work/wm" 2>&1 &
wm=$!
# Started once the window manager has taken the screen and the
# accessibility bus is up.
for _ in $(seq 1 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done
/usr/bin/python3 -c 'import pyatspi; pyatspi.Registry.getDesktop(0)' >/dev/null 2>&1
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$binary" >"$work/out" 2>"$work/err" &
pid=$!

fail() {
    echo "FAIL: $*"
    echo "--- output"; cat "$work/out"
    echo "--- errors"; cat "$work/err"
    exit 1
}

# Exactly one visible window named Tarimo, 400 × 360.
window=""
for _ in $(seq 1 100); do
    window=$(xdotool search --onlyvisible --name '^Tarimo$' 2>/dev/null || true)
    [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || fail "no window appeared"
[ "$(echo "$window" | wc -l)" -eq 1 ] || fail "more than one window: $window"
size=$(xwininfo -id "$window" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
[ "$size" = "400x360" ] || fail "window is $size, not 400x360"

# "🍀 se3", then the price of the hour or a failure a person can read.
for _ in $(seq 1 150); do
    grep -q -e '^🍀 Data ' -e '^❌ Failed with error ' "$work/out" && break
    sleep 0.1
done
head -n 1 "$work/out" | grep -qx '🍀 se3' || fail "the first line is not '🍀 se3'"
if ! grep -q '^🍀 Data SpotPriceModel(' "$work/out"; then
    grep -Eq '^❌ Failed with error [[:alnum:]].{8,}' "$work/out" || fail "no price and no readable failure"
fi

# A screen reader finds the price and the zones; the key 1 chooses SE1.
xdotool windowfocus --sync "$window"
heard=$(/usr/bin/python3 "$here/accessibility_check.py") || fail "$heard"
for _ in $(seq 1 50); do
    grep -qx '🍀 se1' "$work/out" && break
    sleep 0.1
done
grep -qx '🍀 se1' "$work/out" || fail "no request for SE1 after the key 1"

# A press and release on the background with no time between them leaves
# the window where it is when the pointer moves on.
xdotool windowmove --sync "$window" 100 100
before=$(xdotool getwindowgeometry "$window" | grep Position)
xdotool mousemove --window "$window" 200 350 click 1
sleep 0.2
xdotool mousemove 600 500
sleep 0.3
after=$(xdotool getwindowgeometry "$window" | grep Position)
[ "$before" = "$after" ] || fail "a click moved the window:$before ->$after"

# The standard quit shortcut ends it cleanly.
xdotool windowfocus --sync "$window"
xdotool key --clearmodifiers ctrl+q
for _ in $(seq 1 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "still running after ctrl+q"
status=0
wait "$pid" || status=$?
[ "$status" -eq 0 ] || fail "exit code $status"
echo "PASS: $(head -n 1 "$work/out") / $(grep -e '^🍀 Data' -e '^❌' "$work/out" | head -n 1) / $heard"
