#!/bin/sh
# Picture and sound in step as a viewer meets them: records the screen (x11grab, 60 frames a
# second) and the sound card's output (a PulseAudio null sink's monitor), both stamped with
# the wall clock, while the program plays a span in real time, and measures how far each
# overlay flash lies from its drum hit (av_offset). Such a recording has a bias of its own
# (the grab's timing), so the same recording also holds ffplay playing the lockstep export of
# the same span, before and after the program, and the program is reported against it.
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

# Records the screen and the sink's monitor, in two processes (one that reads both starves
# the grab), both stamped with the wall clock, while the players take their turns: ffplay, the
# program, ffplay again. One recording for all three, because its bias is steady within a
# recording and not from one to the next. Each play's wall-clock span goes to $work/spans.
ffmpeg -nostdin -v error -f x11grab -framerate 60 -video_size "$window" -i "$DISPLAY" \
    -copyts -vf scale=32:32,format=gray -c:v ffv1 "$work/screen.nut" &
screen=$!
ffmpeg -nostdin -v error -f pulse -fragment_size 1764 -i listen.monitor -copyts -c:a flac \
    "$work/sound.nut" &
sound=$!
session_track "$screen $sound"
sleep 2.5  # the sound's grab takes a second or more to start
: >"$work/spans"
play() {
    name=$1
    shift
    from=$(date +%s.%N)
    "$@" >"$work/$name.log" 2>&1 || { cat "$work/$name.log"; echo "av_sync: $1 failed" >&2; exit 1; }
    sleep 0.5
    echo "$name $from $(date +%s.%N)" >>"$work/spans"
}
quit=$(awk -v s="$seconds" 'BEGIN { printf "%.3f", s + 3 }')
w=${window%x*} h=${window#*x}
reference() {
    env SDL_AUDIODRIVER=pulseaudio ffplay -v error -autoexit -noborder -left 0 -top 0 \
        -x "$w" -y "$h" "$work/export.mp4"
}
echo "the reference: ffplay playing the export"
play reference reference
echo "the program playing the same span in real time"
play program sh -c "cd '$bin' && SDL_AUDIODRIVER=pulseaudio ./palisade \
    --no-dialog --window $window --start-order $first --keys $quit:escape"
echo "the reference again"
play again reference
kill -INT $screen $sound 2>/dev/null || true
sleep 1

while read -r name from to; do
    AV_OFFSET_EACH=1 "$bin/av_offset" --span "$from" "$to" "$work/screen.nut" \
        "$work/sound.nut" "$work/export.mp4" >"$work/$name.txt" || { cat "$work/$name.txt"; exit 1; }
done <"$work/spans"
printf 'reference (ffplay): '; head -1 "$work/reference.txt"
printf 'program:            '; head -1 "$work/program.txt"
printf 'reference again:    '; head -1 "$work/again.txt"
awk '
    FNR == 1 { file++ }
    file != 2 && /^offset/ { ref[++n] = $2 }
    file == 1 && /^offset/ { before[++b] = $2 }
    file == 3 && /^offset/ { after[++a] = $2 }
    file == 2 && /^offset/ { prog[++m] = $2 }
    function median(a, k,   i, j, t) {
        for (i = 1; i <= k; i++) for (j = i + 1; j <= k; j++) if (a[j] < a[i]) { t = a[i]; a[i] = a[j]; a[j] = t }
        return k % 2 ? a[(k + 1) / 2] : (a[k / 2] + a[k / 2 + 1]) / 2
    }
    END {
        if (!b || !a || !m) exit 1
        printf "the reference before and after: medians %.1f and %.1f ms\n", median(before, b), median(after, a)
        r = median(ref, n); p = median(prog, m)
        for (i = 1; i <= m; i++) within += (prog[i] - r >= -16.7 && prog[i] - r <= 16.7)
        printf "program against the reference: median %+.1f ms; %d of %d flashes (%.0f %%) within one 60 Hz frame (16.7 ms) of the reference median\n", p - r, within, m, 100 * within / m
    }' "$work/reference.txt" "$work/program.txt" "$work/again.txt"
