#!/bin/sh
# Listening benchmark: does the sound reach the sound card whole when the program plays in
# real time? Starts a PulseAudio server of its own with a null sink (in a private runtime
# directory, stopped afterwards) and, where there is no display, an Xvfb; plays the span in a
# real window with the sound going to the sink, records the sink's monitor, and lines the
# recording up with the lockstep render of the same span (listen_align). Prints the gaps,
# their total length and the drift. Not a test: it depends on the machine.
#
#   bench/listen/listen_bench.sh [--build DIR] [--orders A-B] [--window WxH] [--busy N]
#
# Defaults: build, orders 8-15, 1024x768, no busy processes. --busy N runs N processes that
# spin beside the program for the whole span. LISTEN_KEEP=1 keeps the recording and the
# render (the folder is named at the end).
set -eu
here=$(cd "$(dirname "$0")/../.." && pwd)
build=build orders=8-15 window=1024x768 busy=0
while [ $# -gt 0 ]; do
    case $1 in
    --build) build=$2; shift 2 ;;
    --orders) orders=$2; shift 2 ;;
    --window) window=$2; shift 2 ;;
    --busy) busy=$2; shift 2 ;;
    -h | --help) awk 'NR > 1 && !/^#/ { exit } NR > 1 { sub(/^# ?/, ""); print }' "$0"; exit 0 ;;
    *) echo "listen_bench: unknown option $1 (--help lists them)" >&2; exit 2 ;;
    esac
done
first=${orders%-*} last=${orders#*-}
. "$here/bench/listen/session.sh"
session_tools palisade data.rar listen_align modsync
. "$here/bench/song_orders.sh"
seconds=$(song_span "$first" "$last")
session_begin

echo "rendering orders $first-$last ($seconds s) in lockstep"
(cd "$bin" && SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy ./palisade --start-order "$first" \
    --window 64x48 --fps 10 --duration "$seconds" --capture "$work/render" >/dev/null 2>&1)

session_busy "$busy"
parec -d listen.monitor --rate=44100 --channels=2 --format=float32le --file-format=wav \
    "$work/recording.wav" &
recorder=$!
session_track $recorder
sleep 0.5
echo "playing them in real time at $window with $busy busy processes"
(cd "$bin" && env -u SDL_VIDEODRIVER SDL_AUDIODRIVER=pulseaudio ./palisade --no-dialog \
    --window "$window" --start-order "$first" \
    --keys "$(awk -v s="$seconds" 'BEGIN { printf "%.3f", s + 3 }'):escape" >"$work/play.log" 2>&1) ||
    { cat "$work/play.log"; echo "listen_bench: the program failed" >&2; exit 1; }
sleep 0.5
kill -INT "$recorder" 2>/dev/null || true
wait "$recorder" 2>/dev/null || true
"$bin/listen_align" "$work/recording.wav" "$work/render/audio.wav"
