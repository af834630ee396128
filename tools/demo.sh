#!/usr/bin/env bash
# Sets up the machine, builds the programs, starts the local portal server and the portal
# shell against it. With no display the shell runs under Xvfb, and a screenshot of its
# main window is saved once the film library page has loaded.
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
if [ ! -x "$program" ]; then
    echo "the portal shell is not built yet; look at the portal pages at http://$host/box"
    echo "press Ctrl+C to stop the server"
    wait $sim_pid
    exit 0
fi

shot="${SCREENSHOT:-$PWD/build/pallomar-screenshot.png}"
if [ -z "${DISPLAY:-}" ]; then
    echo "no display: running under Xvfb; the screenshot goes to $shot"
    xvfb-run -a -s "-screen 0 1280x800x24" env PALLOMAR_SCREENSHOT="$shot" "$program"
    echo "screenshot: $shot"
else
    "$program"
fi
