#!/usr/bin/env bash
# The portal shell's drawn frame under a Wayland compositor that takes pointer input: KWin,
# with XWayland, its output a window on a private Xvfb, so that a pointer moved and pressed
# there (xdotool) comes to KWin through its seat as a person's would, and from KWin to the
# shell. Through XWayland: a caption drag moves the window and an edge drag sizes it, both
# carried out by KWin (it snaps a moved window to the screen's edge); the pin keeps the
# window above a second window raised over it. On Wayland itself: the compositor moves and
# sizes the window (a client cannot place itself there). Called by check_wayland.sh.
set -uo pipefail
build=$(realpath "${1:?usage: check_wayland_frame.sh BUILD_DIR [SCREENSHOT_DIR]}")
shots=$(realpath -m "${2:-$build/wayland}")
for tool in kwin_wayland Xwayland Xvfb xdotool xprop xlogo ffmpeg python3; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool missing; tools/setup.sh installs it"; exit 1; }
done
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

work=$(mktemp -d)
sim_pid="" xvfb_pid="" kwin_pid="" other_pid="" shell_pids=()
cleanup() {
    for pid in "${shell_pids[@]}" $other_pid; do kill "$pid" 2>/dev/null; done
    [ -n "$kwin_pid" ] && kill "$kwin_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$shots" "$work/run" "$work/home" "$work/kwin"
chmod 700 "$work/run"
cp -a "$build/ProgramFolder" "$work/program"

# shellcheck source=tools/lib/sim_and_display.sh
source "$(dirname "$0")/lib/sim_and_display.sh"
start_sim_and_display "$build"
screen=$display

# Debian's kwin_wayland carries a file capability (to raise its limits), which a container
# without it refuses to execute; a copy carries none. It keeps its name: KWin's own Qt
# platform loads only in a program of that name.
cp "$(command -v kwin_wayland)" "$work/kwin/kwin_wayland"
# KWin starts the program it is given once XWayland is up, with DISPLAY naming it.
printf '#!/bin/sh\necho "$DISPLAY" >"%s.new" && mv "%s.new" "%s"\n' "$work/xwayland" "$work/xwayland" "$work/xwayland" \
    >"$work/kwin/tell-display"
chmod +x "$work/kwin/tell-display"
env -i HOME="$work/home" PATH=/usr/bin:/bin LANG=C.UTF-8 XDG_RUNTIME_DIR="$work/run" DISPLAY="$screen" \
    KWIN_COMPOSE=Q "$work/kwin/kwin_wayland" --x11-display "$screen" --socket wayland-frame --xwayland \
    --width 1280 --height 800 --no-lockscreen \
    "$work/kwin/tell-display" >"$work/kwin.log" 2>&1 &
kwin_pid=$!
for _ in $(seq 300); do [ -s "$work/xwayland" ] && break; sleep 0.1; done
xwayland=$(cat "$work/xwayland" 2>/dev/null)
[ -n "$xwayland" ] || { tail -20 "$work/kwin.log"; echo "FAIL: KWin offered no X display"; exit 1; }

session() {
    exec env -i HOME="$work/home" PATH=/usr/bin:/bin LANG=C.UTF-8 XDG_RUNTIME_DIR="$work/run" \
        XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=wayland-frame \
        PORTAL_PRIMARY_SERVER="$host" FILM_MIRROR_SERVER="$host" PORTAL_BACKUP_SERVER="$host" \
        FILM_BACKUP_SERVER="$host" TV_SITE_SERVER="$host" QTWEBENGINE_DISABLE_SANDBOX=1 \
        QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu "$@"
}
x() { DISPLAY=$xwayland "$@"; }
# The person's pointer: on the Xvfb that shows KWin's output, whose pixels are the desktop's.
pointer() { DISPLAY=$screen xdotool "$@"; }
shot() { ffmpeg -loglevel error -y -f x11grab -draw_mouse 0 -video_size 1280x800 -i "$screen" -frames:v 1 "$@"; }
# "X Y WIDTH HEIGHT" of what the desktop shows besides its black background.
shown_box() {
    shot -f rawvideo -pix_fmt gray - | python3 -c '
import sys
data, w, h = sys.stdin.buffer.read(), 1280, 800
rows = [y for y in range(h) if max(data[y * w:(y + 1) * w]) > 8]
cols = [x for x in range(w) if max(data[x::w]) > 8]
print(cols[0], rows[0], cols[-1] - cols[0] + 1, rows[-1] - rows[0] + 1) if rows else print("none")'
}
geometry() { x xdotool getwindowgeometry "$1" 2>/dev/null | sed -n 's/.*Position: \([0-9-]*\),\([0-9-]*\).*/\1 \2/p;s/.*Geometry: \([0-9]*\)x\([0-9]*\).*/\1 \2/p' | tr '\n' ' ' | sed 's/ $//'; }
# Waits up to 15 seconds until `$@` prints $expected; prints what it printed last.
wait_for() {
    local expected=$1 got="" until=$((SECONDS + 15))
    shift
    while :; do
        got=$("$@")
        [ "$got" = "$expected" ] || [ "$SECONDS" -ge "$until" ] && break
        sleep 0.2
    done
    echo "$got"
}
# A drag with the left button from (X, Y) on the desktop, at a hand's pace: the first step
# makes a drag of the press, the second is the way the window then follows.
drag() {
    pointer mousemove "$1" "$2" sleep 0.2 mousedown 1 sleep 0.3 mousemove_relative -- "$3" "$4" sleep 0.7 \
        mousemove_relative -- "$5" "$6" sleep 0.5 mouseup 1
}
# "yes" once the frame is attached to window $1: the window cut to the skin's shape, its
# corner pixel outside.
framed() {
    x python3 -c '
import ctypes, sys
x11, xext = ctypes.CDLL("libX11.so.6"), ctypes.CDLL("libXext.so.6")
class Rect(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short), ("w", ctypes.c_ushort), ("h", ctypes.c_ushort)]
x11.XOpenDisplay.restype = ctypes.c_void_p
xext.XShapeGetRectangles.restype = ctypes.POINTER(Rect)
xext.XShapeGetRectangles.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int,
                                     ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_int)]
count, ordering = ctypes.c_int(), ctypes.c_int()
rects = xext.XShapeGetRectangles(x11.XOpenDisplay(None), int(sys.argv[1]), 0, ctypes.byref(count), ctypes.byref(ordering))
inside = lambda px, py: any(r.x <= px < r.x + r.w and r.y <= py < r.y + r.h for r in rects[:count.value])
print("yes" if not inside(0, 0) and inside(10, 10) else "no")' "$1"
}
active() { x xdotool getactivewindow 2>/dev/null; }
# Bottom to top, as the compositor stacks its X windows.
stacking() { x xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //;s/,//g'; }
# Whether window $1 lies above window $2.
above() {
    stacking | awk -v a="$(printf '0x%x' "$1")" -v b="$(printf '0x%x' "$2")" \
        '{ for (i = 1; i <= NF; i++) { if ($i == a) pa = i; if ($i == b) pb = i } } END { exit !(pa > pb && pb) }'
}

# Through XWayland.
(session DISPLAY="$xwayland" "$work/program/Pallomar") >"$work/Pallomar-x.log" 2>&1 &
shell_pids+=($!)
id=$(window_of Pallomar)
if [ -z "$id" ]; then
    tail -20 "$work/Pallomar-x.log"
    fail "the portal shell showed no window under KWin"
else
    [ "$(wait_for yes framed "$id")" = yes ] || fail "the portal shell's frame was not attached"
    sleep 1 # where KWin placed it
    read -r left top width height <<<"$(geometry "$id")"

    # A drag on the caption, (600, 12) of the window: KWin moves the window by the whole way.
    drag $((left + 600)) $((top + 12)) 30 20 30 20
    want="$((left + 60)) $((top + 40)) $width $height"
    got=$(wait_for "$want" geometry "$id")
    [ "$got" = "$want" ] || fail "a caption drag left the window at $got, not $want"
    read -r left top width height <<<"$got"

    # A drag from the left edge, (3, 100) of the window, sizes it.
    drag $((left + 3)) $((top + 100)) -20 0 -20 0
    want="$((left - 40)) $top $((width + 40)) $height"
    got=$(wait_for "$want" geometry "$id")
    [ "$got" = "$want" ] || fail "an edge drag left the window at $got, not $want"
    read -r left top width height <<<"$got"

    # Dragged to 6 pixels from the screen's left edge, it lands on the edge: KWin moved it,
    # with its snapping, not the shell itself.
    drag $((left + 600)) $((top + 12)) $((6 - left - 100)) 0 100 0
    want="0 $top $width $height"
    got=$(wait_for "$want" geometry "$id")
    [ "$got" = "$want" ] || fail "dragged near the screen's edge the window lay at $got, not snapped to $want"
    read -r left top width height <<<"$got"

    # A second window over the shell's page, below the caption: raised, it comes above the
    # shell; with the pin pressed the shell stays above it when it is raised, and unpinned
    # it does not.
    DISPLAY=$xwayland xlogo -geometry 400x300+$((left + width - 300))+$((top + 60)) >/dev/null 2>&1 &
    other_pid=$!
    other=$(window_of xlogo)
    # A click on the part of it that lies beside the shell: KWin makes it the active window
    # and raises it.
    raise_other() {
        pointer mousemove $((left + width + 50)) $((top + 200)) sleep 0.2 click 1
        [ "$(wait_for "$other" active)" = "$other" ] || fail "the second window did not become active"
        sleep 0.3
    }
    pin() { pointer mousemove $((left + width - 135)) $((top + 14)) sleep 0.2 click 1 sleep 0.5; }
    if [ -z "$other" ]; then
        fail "the second window did not show"
    else
        raise_other
        above "$other" "$id" || fail "the second window, raised, stayed below the unpinned shell: $(stacking)"
        pin
        state=$(wait_for yes sh -c "DISPLAY=$xwayland xprop -id $id _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE && echo yes")
        [ "$state" = yes ] || fail "the pin did not put the shell above: $(x xprop -id "$id" _NET_WM_STATE)"
        raise_other
        above "$id" "$other" || fail "the pinned shell went below the raised window: $(stacking)"
        shot "$shots/kwin-pinned-Pallomar.png"
        pin
        state=$(wait_for no sh -c "DISPLAY=$xwayland xprop -id $id _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE && echo yes || echo no")
        [ "$state" = no ] || fail "the second press of the pin left the shell above"
        raise_other
        above "$other" "$id" || fail "the unpinned shell stayed above the raised window: $(stacking)"
    fi
    class=$(x xprop -id "$id" WM_CLASS)
    [[ "$class" == *'"Pallomar", "Pallomar"'* ]] || fail "the portal shell's window class under KWin is $class"
fi
for pid in "${shell_pids[@]}" $other_pid; do kill -KILL "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; done
shell_pids=() other_pid=""

# On Wayland itself: where the window lies only the compositor knows; the desktop's pixels
# show it.
rm -rf "$work/program"
cp -a "$build/ProgramFolder" "$work/program"
(session "$work/program/Pallomar") >"$work/Pallomar-w.log" 2>&1 &
shell_pids+=($!)
box=none
for _ in $(seq 300); do
    box=$(shown_box)
    [ "$box" != none ] && break
    sleep 0.2
done
if [ "$box" = none ]; then
    tail -20 "$work/Pallomar-w.log"
    fail "the portal shell showed nothing on Wayland under KWin"
else
    sleep 3 # the first page drawn
    read -r left top width height <<<"$(shown_box)"
    # The compositor takes the pointer once the press became a drag (the first step) and
    # moves the window by the pointer's way from there.
    drag $((left + 600)) $((top + 12)) 15 0 45 30
    want="$((left + 45)) $((top + 30)) $width $height"
    got=$(wait_for "$want" shown_box)
    [ "$got" = "$want" ] || fail "on Wayland a caption drag left the window at $got, not $want"
    read -r left top width height <<<"$got"
    # Sized from its left edge, the window keeps its right edge where it was.
    drag $((left + 3)) $((top + 100)) -15 0 -40 0
    want="$((left - 40)) $top $((width + 40)) $height"
    got=$(wait_for "$want" shown_box)
    [ "$got" = "$want" ] || fail "on Wayland an edge drag left the window at $got, not $want"
    shot "$shots/kwin-wayland-Pallomar.png"
fi

[ "$failures" -eq 0 ]
