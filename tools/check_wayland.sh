#!/usr/bin/env bash
# Both shells on a Wayland desktop: a real compositor (weston, headless, with XWayland), the
# programs started from a copy of the program folder with no platform chosen, as a desktop
# starts them. With XWayland they run through it: their windows are X windows whose class is
# the desktop entry's name. Without an X server beside the compositor they run on Wayland
# itself, name the entry as their app id and still start (each saves its screenshot). No input
# is sent to weston: the headless compositor has no seat, and XWayland 22 ends on a synthetic
# click there. The drawn frame under pointer input is check_wayland_frame.sh's, under KWin.
set -uo pipefail
build=$(realpath "${1:?usage: check_wayland.sh BUILD_DIR [SCREENSHOT_DIR]}")
shots=$(realpath -m "${2:-$build/wayland}")
for tool in weston Xwayland xdotool xprop xwd ffmpeg; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool missing; tools/setup.sh installs it"; exit 1; }
done
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

work=$(mktemp -d)
sim_pid="" weston_pid="" shell_pids=()
cleanup() {
    for pid in "${shell_pids[@]}"; do kill "$pid" 2>/dev/null; done
    [ -n "$weston_pid" ] && kill "$weston_pid" 2>/dev/null
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$shots" "$work/run"
chmod 700 "$work/run"
cp -a "$build/ProgramFolder" "$work/program"

# shellcheck source=tools/lib/sim_and_display.sh
source "$(dirname "$0")/lib/sim_and_display.sh"
start_sim "$build"

# The compositor, and the X display its XWayland listens on (started at the first X client).
XDG_RUNTIME_DIR="$work/run" weston --backend=headless-backend.so --xwayland --socket=wayland-check \
    --width=1280 --height=800 --idle-time=0 >"$work/weston.log" 2>&1 &
weston_pid=$!
for _ in $(seq 100); do grep -q 'xserver listening on display' "$work/weston.log" && break; sleep 0.05; done
display=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$work/weston.log" | head -n1)
[ -n "$display" ] || { cat "$work/weston.log"; echo "FAIL: weston offered no X display"; exit 1; }

# A desktop session's environment: Wayland named, no platform chosen. It becomes the program,
# so that a caller's $! is the program's process.
session() {
    exec env -i HOME="$work/home" PATH=/usr/bin:/bin LANG=C.UTF-8 XDG_RUNTIME_DIR="$work/run" \
        XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=wayland-check \
        PORTAL_PRIMARY_SERVER=$host FILM_MIRROR_SERVER=$host PORTAL_BACKUP_SERVER=$host \
        FILM_BACKUP_SERVER=$host TV_SITE_SERVER=$host QTWEBENGINE_DISABLE_SANDBOX=1 \
        QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu "$@"
}
x() { DISPLAY=$display "$@"; }

# Through XWayland.
for program in Pallomar TovanTV; do
    (session DISPLAY="$display" "$work/program/$program") >"$work/$program-x.log" 2>&1 &
    shell_pids+=($!)
    id=$(window_of "$program")
    if [ -z "$id" ]; then
        tail -20 "$work/$program-x.log"
        fail "$program showed no window on XWayland's display"
        continue
    fi
    class=$(x xprop -id "$id" WM_CLASS)
    [[ "$class" == *"\"$program\""* ]] || fail "$program's window class is $class, not its desktop entry's name"
    sleep 2 # the first page drawn
    x xwd -silent -id "$id" -out "$work/$program.xwd" \
        && ffmpeg -loglevel error -y -i "$work/$program.xwd" "$shots/xwayland-$program.png"
done
for pid in "${shell_pids[@]}"; do kill -KILL "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; done
shell_pids=()

# On Wayland itself: no X server beside the compositor.
rm -rf "$work/program"
cp -a "$build/ProgramFolder" "$work/program"
for program in Pallomar TovanTV; do
    variable=$(echo "${program}_SCREENSHOT" | tr '[:lower:]' '[:upper:]')
    # The protocol's trace keeps only the app id the program tells the compositor.
    (session WAYLAND_DEBUG=client "$variable=$work/$program.png" timeout 120 "$work/program/$program") 2>&1 \
        | awk '/set_app_id/ || !/^\[ *[0-9]+\.[0-9]+\] /' >"$work/$program-w.log"
    grep -q "set_app_id(\"$program\")" "$work/$program-w.log" \
        || fail "$program's app id on Wayland is not its desktop entry's name: $(grep -a set_app_id "$work/$program-w.log")"
    if grep -q "screenshot saved to" "$work/$program-w.log"; then
        cp "$work/$program.png" "$shots/wayland-$program.png"
    else
        grep -v "^ *\*" "$work/$program-w.log" | tail -20
        fail "$program saved no screenshot on Wayland"
    fi
done

# The drawn frame moved, sized and pinned through a compositor's seat.
bash "$(dirname "$0")/check_wayland_frame.sh" "$build" "$shots" || failures=$((failures + 1))

echo "screenshots: $shots"
[ "$failures" -eq 0 ] && echo "PASS" || exit 1
