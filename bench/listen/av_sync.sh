#!/bin/sh
# Picture and sound in step as a viewer meets them: records the screen (x11grab, 60 frames a
# second) and the sound card's output (a PulseAudio null sink's monitor), both stamped with
# the wall clock, while the program plays a span in real time, and measures how far each
# overlay flash lies from its drum hit (av_offset). Such a recording has a bias of its own (the grab's timing), so the
# same is measured with ffplay playing the lockstep export of the same span, and the program
# is reported against it, each recorded as the first of a fresh PulseAudio server and Xvfb.
# Not a test: it depends on the machine.
#
#   bench/listen/av_sync.sh [--build DIR] [--orders A-B] [--window WxH]
#
# Defaults: build, orders 8-12 (the drops), 640x480. LISTEN_KEEP=1 keeps the recordings.
set -eu
here=$(cd "$(dirname "$0")/../.." && pwd)
build=build orders=8-12 window=640x480
while [ $# -gt 0 ]; do
    case $1 in
    --build) build=$2; shift 2 ;;
    --orders) orders=$2; shift 2 ;;
    --window) window=$2; shift 2 ;;
    -h | --help) awk 'NR > 1 && !/^#/ { exit } NR > 1 { sub(/^# ?/, ""); print }' "$0"; exit 0 ;;
    *) echo "av_sync: unknown option $1 (--help lists them)" >&2; exit 2 ;;
    esac
done
first=${orders%-*} last=${orders#*-}
. "$here/bench/listen/session.sh"
session_tools palisade data.rar av_offset modsync
. "$here/bench/song_orders.sh"
seconds=$(song_span "$first" "$last")
session_begin "$window"

echo "exporting orders $first-$last ($seconds s) at $window, 60 frames a second"
(cd "$bin" && SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy ./palisade --start-order "$first" \
    --window "$window" --fps 60 --duration "$seconds" --video "$work/export.mp4" >/dev/null 2>&1)

# Records the screen and the sink's monitor while the command runs, in two processes (one
# that reads both starves the grab), both stamped with the wall clock.
record() {
    name=$1
    shift
    ffmpeg -nostdin -v error -f x11grab -framerate 60 -video_size "$window" -i "$DISPLAY" \
        -copyts -vf scale=32:32,format=gray -c:v ffv1 "$work/$name-screen.nut" &
    screen=$!
    ffmpeg -nostdin -v error -f pulse -fragment_size 1764 -i listen.monitor -copyts -c:a flac \
        "$work/$name-sound.nut" &
    sound=$!
    session_track "$screen $sound"
    sleep 2.5  # the sound's grab takes a second or more to start
    "$@" >"$work/play.log" 2>&1 || { cat "$work/play.log"; echo "av_sync: $1 failed" >&2; exit 1; }
    sleep 0.5
    kill -INT $screen $sound 2>/dev/null || true
    sleep 1
}
quit=$(awk -v s="$seconds" 'BEGIN { printf "%.3f", s + 3 }')
w=${window%x*} h=${window#*x}

echo "the reference: ffplay playing the export"
record reference env SDL_AUDIODRIVER=pulseaudio ffplay -v error -autoexit \
    -noborder -left 0 -top 0 -x "$w" -y "$h" "$work/export.mp4"
echo "the program playing the same span in real time"
session_restart "$window"
record program sh -c "cd '$bin' && SDL_AUDIODRIVER=pulseaudio ./palisade \
    --no-dialog --window $window --start-order $first --keys $quit:escape"

for name in reference program; do
    AV_OFFSET_EACH=1 "$bin/av_offset" "$work/$name-screen.nut" "$work/$name-sound.nut" \
        "$work/export.mp4" >"$work/$name.txt" || { cat "$work/$name.txt"; exit 1; }
done
printf 'reference (ffplay): '; head -1 "$work/reference.txt"
printf 'program:            '; head -1 "$work/program.txt"
awk '
    FNR == 1 { file++ }
    file == 1 && /^offset/ { ref[++n] = $2 }
    file == 2 && /^offset/ { prog[++m] = $2 }
    function median(a, k,   i, j, t) {
        for (i = 1; i <= k; i++) for (j = i + 1; j <= k; j++) if (a[j] < a[i]) { t = a[i]; a[i] = a[j]; a[j] = t }
        return k % 2 ? a[(k + 1) / 2] : (a[k / 2] + a[k / 2 + 1]) / 2
    }
    END {
        if (!n || !m) exit 1
        r = median(ref, n); p = median(prog, m)
        for (i = 1; i <= m; i++) within += (prog[i] - r >= -16.7 && prog[i] - r <= 16.7)
        printf "program against the reference: median %+.1f ms; %d of %d flashes (%.0f %%) within one 60 Hz frame (16.7 ms) of the reference median\n", p - r, within, m, 100 * within / m
    }' "$work/reference.txt" "$work/program.txt"
