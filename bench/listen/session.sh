# session.sh - sourced by the listening benchmarks: a private PulseAudio server with a null
# sink named "listen", an Xvfb where there is no display (or always, with its size given),
# busy processes, and the tidying up of all of them when the script ends.
#
#   session_begin [SCREEN_WxH]   sets $work (a scratch folder), PULSE_SERVER and DISPLAY
#   session_busy N               starts N processes that spin until the end
#   session_track PID            ends PID with the rest
#   session_tools TOOL...        sets $bin to the build's bin folder (from $build), checks
#                                that it has the tools, and installs the sound server,
#                                Xvfb and ffmpeg when they are missing
pids=""
session_track() { pids="$pids $1"; }
session_end() {
    for p in $pids; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    if [ -n "${LISTEN_KEEP:-}" ]; then echo "kept $work"; else rm -rf "$work"; fi
}
session_begin() {
    work=$(mktemp -d /tmp/palisade-listen.XXXXXX)
    trap session_end EXIT
    trap 'exit 130' INT TERM
    session_servers "${1:-}"
}
session_servers() {
    mkdir -m 700 "$work/run"
    printf '%s\n' "load-module module-native-protocol-unix" \
        "load-module module-null-sink sink_name=listen rate=44100 channels=2 format=float32le" \
        "set-default-sink listen" >"$work/default.pa"
    export XDG_RUNTIME_DIR="$work/run" PULSE_RUNTIME_PATH="$work/run/pulse" HOME="$work"
    export PULSE_SERVER="unix:$work/run/pulse/native"
    pulseaudio -n --daemonize=no --exit-idle-time=-1 -F "$work/default.pa" \
        --log-target=file:"$work/pulse.log" &
    session_track $!
    for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
    pactl info >/dev/null 2>&1 ||
        { cat "$work/pulse.log"; echo "$(basename "$0"): PulseAudio did not start" >&2; exit 1; }
    if [ -z "${DISPLAY:-}" ] || [ -n "${1:-}" ]; then
        Xvfb :97 -screen 0 "${1:-1280x1024}x24" -nolisten tcp >"$work/xvfb.log" 2>&1 &
        session_track $!
        export DISPLAY=:97
        sleep 1
    fi
}
session_busy() {
    for _ in $(seq "$1"); do
        sh -c 'while :; do :; done' &
        session_track $!
    done
}
session_tools() {
    bin=$(cd "$build/bin" 2>/dev/null && pwd) ||
        { echo "$(basename "$0"): no $build/bin; make build first" >&2; exit 1; }
    for f in "$@"; do
        [ -e "$bin/$f" ] || { echo "$(basename "$0"): no $bin/$f; make build first" >&2; exit 1; }
    done
    "$here/scripts/install-deps" pulseaudio pulseaudio-utils xvfb ffmpeg
}
