#!/usr/bin/env bash
# Sets up the machine, builds the programs, starts the local portal server and the two
# shells against it. With no display they run under Xvfb one after the other, and a
# screenshot of each main window is saved while it plays a video: the portal shell's first
# film, opened from its film library, then the TV shell's live-TV channel.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"

build=build/default
sim="$build/tools/portal-sim/portal-sim"
log=$(mktemp)
"$sim" --port 0 >"$log" 2>&1 &
sim_pid=$!
trap 'kill $sim_pid 2>/dev/null || true; rm -f "$log"' EXIT
for _ in $(seq 100); do
    grep -q '^listening on' "$log" && break
    sleep 0.05
done
host=$(sed -n 's/^listening on //p' "$log" | head -n1)
[ -n "$host" ] || { echo "the local portal server did not start"; cat "$log"; exit 1; }
echo "local portal server: http://$host/box"
export PORTAL_PRIMARY_SERVER=$host FILM_MIRROR_SERVER=$host PORTAL_BACKUP_SERVER=$host \
    FILM_BACKUP_SERVER=$host TV_SITE_SERVER=$host

program="$build/ProgramFolder/Pallomar"
tv="$build/ProgramFolder/TovanTV"
if [ ! -x "$program" ]; then
    echo "the portal shell is not built yet; look at the portal pages at http://$host/box"
    echo "press Ctrl+C to stop the server"
    wait $sim_pid
    exit 0
fi

shot="${SCREENSHOT:-$PWD/build/pallomar-screenshot.png}"
tv_shot="${TV_SCREENSHOT:-$PWD/build/tovantv-screenshot.png}"
if [ -z "${DISPLAY:-}" ]; then
    echo "no display: running under Xvfb; the screenshots go to $shot and $tv_shot"
    # The portal shell's picture shows a film playing: once the library is there, a click on
    # the first film (through the engine's debugging port, as a user's click), and the
    # picture when the play cover is down.
    export program shot
    xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
        PALLOMAR_SCREENSHOT="$shot" PALLOMAR_SCREENSHOT_DELAY_MS=16000 \
            QTWEBENGINE_REMOTE_DEBUGGING=127.0.0.1:9471 "$program" &
        python3 tools/page_input.py 9471 /box wait "document.readyState == \"complete\"" &&
            python3 tools/page_input.py 9471 Playloading wait true &&
            python3 tools/page_input.py 9471 /box click film-tovan
        wait'
    echo "screenshot: $shot"
    # The TV shell's picture shows its first channel playing.
    xvfb-run -a -s "-screen 0 1280x800x24" env TOVANTV_SCREENSHOT="$tv_shot" TOVANTV_SCREENSHOT_DELAY_MS=5000 "$tv"
    echo "screenshot: $tv_shot"
else
    "$program" &
    portal_pid=$!
    "$tv"
    wait $portal_pid
fi
