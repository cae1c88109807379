#!/bin/sh
# Starts the real program against a loopback stand-in of the price service,
# in namespaces of its own (only a loopback network; /etc/hosts naming the
# service 127.0.0.1 and a CA directory holding only the test authority),
# on a virtual X display under a window manager. Requires its console lines
# and the price of the hour on screen, reads it as a screen reader would,
# chooses SE1 with the key 1, checks that a quick click does not glue the
# window to the pointer and that a drag moves it by the whole way, quits it
# with the standard shortcut, and starts it again on the zone chosen last.
# Given a tray host, it then runs the program beside a system tray (see the
# end).
#   binary_test.sh <path to tarimo> [<path to app_price_service> [<path to a tray host>]]
# The service may be named by TARIMO_PRICE_SERVICE instead.
set -eu
binary=$1
service=${2:-${TARIMO_PRICE_SERVICE:?no price service: a second argument or TARIMO_PRICE_SERVICE}}
tray_host=${3:-}
here=$(cd "$(dirname "$0")" && pwd)

if [ -z "${TARIMO_IN_NAMESPACE:-}" ]; then
    export TARIMO_IN_NAMESPACE=1
    exec unshare -rnm "$0" "$@"
fi

if [ -z "${TARIMO_ON_XVFB:-}" ]; then
    ip link set lo up
    export TZ=Europe/Stockholm
    TARIMO_WORK=$(mktemp -d)
    export TARIMO_WORK
    "$service" "$TARIMO_WORK/service" >"$TARIMO_WORK/requests" 2>&1 &
    service_pid=$!
    trap 'kill "$service_pid" 2>/dev/null || true; rm -rf "$TARIMO_WORK"' EXIT
    for _ in $(seq 1 300); do
        [ -e "$TARIMO_WORK/service/ready" ] && break
        kill -0 "$service_pid" 2>/dev/null || break
        sleep 0.1
    done
    [ -e "$TARIMO_WORK/service/ready" ] || { echo "FAIL: the service did not start"; cat "$TARIMO_WORK/requests"; exit 1; }
    mount --bind "$TARIMO_WORK/service/hosts" /etc/hosts
    mount --bind "$TARIMO_WORK/service/certs" /etc/ssl/certs
    export TARIMO_ON_XVFB=1
    status=0
    xvfb-run -a -s "-screen 0 1024x768x24" dbus-run-session -- "$0" "$@" || status=$?
    exit $status
fi

work=$TARIMO_WORK
tray=""
trap 'kill "$pid" "$wm" $tray 2>/dev/null || true' EXIT
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
# The hour when it starts: hour h of zone SEn costs 100 n + h öre. The hour
# may turn while the test runs; then the next one is right too.
hour=$(date +%-H)
mkdir -p "$work/home"
start_program() {
    HOME="$work/home" XDG_CACHE_HOME="$work/home/.cache" XDG_CONFIG_HOME="$work/home/.config" \
        QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$binary" >"$work/out" 2>"$work/err" &
    pid=$!
}
start_program

fail() {
    echo "FAIL: $*"
    echo "--- output"; cat "$work/out"
    echo "--- errors"; cat "$work/err"
    echo "--- service"; cat "$work/requests"
    exit 1
}

# Waits up to $1 tenths of a second for a line of the output matching $2.
wait_for_line() {
    for _ in $(seq 1 "$1"); do
        grep -Eq "$2" "$work/out" && return 0
        sleep 0.1
    done
    return 1
}

# The lines of one load of zone $1 (1 to 4), starting at output line $2.
check_load() {
    zone=$1
    first=$2
    path="/api/v1/prices/$(date +%Y/%m-%d)_SE$zone.json"
    wait_for_line 150 "^🍀 Data .*spotPriceSEK: $zone[.,]" || fail "no price of SE$zone"
    [ "$(sed -n "${first}p" "$work/out")" = "🍀 se$zone" ] || fail "line $first is not '🍀 se$zone'"
    [ "$(sed -n "$((first + 1))p" "$work/out")" = "Client: 💬 [GET] $path  " ] || fail "no request line for $path"
    [ "$(sed -n "$((first + 2))p" "$work/out")" = "Client: 💬 ✅ [200] $path " ] || fail "no status line for $path"
    data=$(sed -n "$((first + 3))p" "$work/out")
    ok=""
    for h in $hour $(date +%-H); do
        start=$(date -d "today $h:00" +%Y-%m-%dT%H:%M:%S%:z | sed 's/+/\\+/')
        end=$(date -d "today $h:00 1 hour" +%Y-%m-%dT%H:%M:%S%:z | sed 's/+/\\+/')
        price=$(printf '%d.%02d' "$zone" "$h" | sed 's/0*$//; s/\.$//; s/\./\\./')
        echo "$data" | grep -Eqx "🍀 Data SpotPriceModel\\(id: [0-9A-F-]{36}, spotPriceSEK: $price, spotPriceEUR: [-0-9.e]+, exr: 11, timeStart: $start, timeEnd: $end\\)" && ok=1
    done
    [ -n "$ok" ] || fail "line $((first + 3)) is not the record of the hour: $data"
    grep -qx "GET $path" "$work/requests" || fail "the service was not asked for $path"
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

check_load 3 1

# A screen reader finds the price and the zones; the key 1 chooses SE1,
# whose price comes from the service too.
xdotool windowfocus --sync "$window"
heard=$(/usr/bin/python3 "$here/accessibility_check.py" "$hour") || fail "$heard"
check_load 1 5

# A press and release on the background with no time between them leaves
# the window where it is when the pointer moves on. The key 2 reaches the
# program only once no move holds the pointer and keyboard.
xdotool windowmove --sync "$window" 100 100
before=$(xdotool getwindowgeometry "$window" | grep Position)
xdotool mousemove --window "$window" 200 350 click 1
xdotool mousemove 600 500
xdotool windowfocus --sync "$window" key 2
wait_for_line 50 '^🍀 se2$' || fail "the key 2 did not reach the program after a click"
after=$(xdotool getwindowgeometry "$window" | grep Position)
[ "$before" = "$after" ] || fail "a click moved the window:$before ->$after"

# A drag moves the window by the whole way the pointer went, the way before
# the drag began included.
xdotool mousemove --window "$window" 200 350 mousedown 1
sleep 0.2
xdotool mousemove_relative 12 0
sleep 0.2
xdotool mousemove_relative 28 -5
sleep 0.2
xdotool mouseup 1
dragged=$(xdotool getwindowgeometry "$window" | grep Position)
[ "$dragged" = "  Position: 140,95 (screen: 0)" ] || fail "a drag of 40,-5 from 100,100 took the window to:$dragged"

# The standard quit shortcut ends it cleanly; without a tray, so do Ctrl+W
# and the window manager's close (openbox's Alt+F4).
quit_program() {
    xdotool windowfocus --sync "$window"
    xdotool key --clearmodifiers "$1"
    for _ in $(seq 1 50); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && fail "still running after $1"
    status=0
    wait "$pid" || status=$?
    [ "$status" -eq 0 ] || fail "exit code $status after $1"
}
quit_program ctrl+q
heard_first=$(sed -n 4p "$work/out" | cut -c1-60)

# Started again, it opens on the zone chosen last.
start_program
wait_for_line 150 '^🍀 Data' || fail "no price after the restart"
[ "$(sed -n 1p "$work/out")" = "🍀 se2" ] || fail "the restart did not open on SE2"
window=$(xdotool search --onlyvisible --name '^Tarimo$' | head -n 1)
quit_program alt+F4
[ -n "$tray_host" ] || { echo "PASS: $heard_first… / $heard / restarted on se2"; exit 0; }

# With a system tray: the small XEmbed tray of the tests, at the top right
# of the screen, says where it docks an icon. The price's icon docks there;
# hovered, it tells the price of the zone chosen last (SE2); a click on it
# hides the window and the next shows it again, under the icon, also when
# it was minimised; closing the window (Ctrl+W, the window manager) leaves
# the program in the tray, and says so once; a tray that goes and comes
# again takes the icon again; Quit in the icon's menu ends the program.
start_tray() {
    docks=0
    "$tray_host" "$@" >"$work/tray" 2>&1 &
    tray=$!
    for _ in $(seq 1 50); do
        grep -q '^docked\|^tray ready' "$work/tray" && break
        sleep 0.1
    done
}
# Waits for an icon to dock once more and sets $icon to where its middle is.
docked() {
    for _ in $(seq 1 100); do
        if [ "$(grep -c '^docked' "$work/tray")" -gt "$docks" ]; then
            docks=$((docks + 1))
            icon=$(sed -n 's/^docked \([0-9]*\) \([0-9]*\) .*/\1 \2/p' "$work/tray" | sed -n "${docks}p")
            return 0
        fi
        sleep 0.1
    done
    fail "the icon did not dock: $(cat "$work/tray")"
}
shown() {
    xdotool search --onlyvisible --name '^Tarimo$' >/dev/null 2>&1
}
# Waits up to two seconds for the window to be shown ($1 yes) or hidden.
expect_window() {
    for _ in $(seq 1 20); do
        if shown; then [ "$1" = yes ] && return 0; else [ "$1" = no ] && return 0; fi
        sleep 0.1
    done
    fail "$2"
}
click_icon() {
    # shellcheck disable=SC2086 # x and y
    xdotool mousemove $icon click "$1"
}
start_tray
start_program
docked
wait_for_line 150 '^🍀 Data' || fail "no price beside the tray"
expect_window yes "no window beside the tray"
# shellcheck disable=SC2086
xdotool mousemove $icon mousemove_relative 1 1
tip=$(/usr/bin/python3 "$here/tooltip_check.py") || fail "no tooltip on the icon"
ok=""
for h in $hour $(date +%-H); do
    [ "$tip" = "$((200 + h)) öre/kWh · SE2 · $(printf %02d "$h"):00" ] && ok=1
done
[ -n "$ok" ] || fail "the icon's tooltip is not SE2's price of the hour: $tip"
click_icon 1
expect_window no "a click on the icon did not hide the window"
sleep 0.5 # no double click
click_icon 1
expect_window yes "a second click on the icon did not show the window"
# Under the icon, as far to the right as the screen allows.
left=$((${icon% *} - 12))
[ "$left" -le $((1024 - 400)) ] || left=$((1024 - 400))
window=$(xdotool search --onlyvisible --name '^Tarimo$' | head -n 1)
place=$(xdotool getwindowgeometry "$window" | grep Position)
[ "$place" = "  Position: $left,24 (screen: 0)" ] || fail "the window did not open under the icon:$place"
# A minimised window comes back at a click on the icon.
xdotool windowminimize --sync "$window"
sleep 0.5
click_icon 1
expect_window yes "a click on the icon did not bring back the minimised window"
sleep 0.5

for close in ctrl+w alt+F4; do
    window=$(xdotool search --onlyvisible --name '^Tarimo$' | head -n 1)
    xdotool windowfocus --sync "$window" key --clearmodifiers "$close"
    expect_window no "$close did not close the window to the tray"
    sleep 0.5
    kill -0 "$pid" 2>/dev/null || fail "$close ended the program in the tray"
    click_icon 1
    expect_window yes "a click on the icon did not bring the window back after $close"
    sleep 0.5
done
grep -qx 'toldOfClosingToTray=true' "$work/home/.config/tarimo/tarimo.conf" || fail "closing to the tray was not told"

# A tray that goes and comes again (a panel restarting) takes the icon again.
kill "$tray"
wait "$tray" 2>/dev/null || true
start_tray --announce
docked
kill -0 "$pid" 2>/dev/null || fail "the program ended with its tray"

# Quit, the last item of the icon's menu.
click_icon 3
sleep 0.5
xdotool key Up Return
for _ in $(seq 1 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "still running after Quit in the icon's menu"
status=0
wait "$pid" || status=$?
[ "$status" -eq 0 ] || fail "exit code $status after Quit in the icon's menu"

# Once the tray has gone, closing the window quits again.
start_program
docked
expect_window yes "no window beside the tray"
kill "$tray"
wait "$tray" 2>/dev/null || true
window=$(xdotool search --onlyvisible --name '^Tarimo$' | head -n 1)
quit_program ctrl+w
echo "PASS: $heard_first… / $heard / restarted on se2 / in the tray: $tip"
