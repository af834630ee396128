# Sourced by the packaging and desktop checks: starts the local portal server from the build
# and a private Xvfb, both writing into the folder $work. Sets sim_pid and host, xvfb_pid and
# display; the caller ends them.
start_sim() {
    local build=$1
    "$build/tools/portal-sim/portal-sim" --port 0 >"$work/sim.log" 2>&1 &
    sim_pid=$!
    for _ in $(seq 100); do grep -q '^listening on' "$work/sim.log" && break; sleep 0.05; done
    host=$(sed -n 's/^listening on //p' "$work/sim.log" | head -n1)
    [ -n "$host" ] || { echo "FAIL: the local portal server did not start"; exit 1; }
}

start_sim_and_display() {
    start_sim "$1"
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
    xvfb_pid=$!
    for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
    display=":$(head -n1 "$work/display")"
}

# The first visible window of class $1 on the display the caller's x() names, waited for.
window_of() {
    local id=""
    for _ in $(seq 600); do
        id=$(x xdotool search --onlyvisible --class "^$1\$" 2>/dev/null | head -n1)
        [ -n "$id" ] && break
        sleep 0.1
    done
    echo "$id"
}
