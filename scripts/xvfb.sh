# Sourced: start_xvfb starts an Xvfb on a free display number and exports
# DISPLAY; stop_xvfb stops exactly that server.
xvfb_pid=

start_xvfb() {
    local n=90
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do
        n=$((n + 1))
    done
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    local deadline=$((SECONDS + 20))
    until xdpyinfo >/dev/null 2>&1; do
        if [ $SECONDS -gt $deadline ] || ! kill -0 "$xvfb_pid" 2>/dev/null; then
            echo "Xvfb did not start on $DISPLAY" >&2
            return 1
        fi
        sleep 0.2
    done
}

stop_xvfb() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
