#!/bin/sh
# Frame rate of every part over its own orders, drawn in lockstep without writing files,
# beside cleared frames only as the reference, at two window sizes. One row per part: the
# average, its ratio to the reference, and the slowest second (its rate and the song time it
# starts at), which is what a viewer notices. Each part is reached as a viewer reaches it:
# the run starts an order earlier and that order is drawn as a warm-up, uncounted, so that
# the program's own first frames (every drawing state new to the renderer) do not count
# against the part.
#
#   bench/frames/frames_bench.sh [BUILD_DIR] [PART...]     (default: build, every part)
#
# SECONDS_PER_ORDER (default 8, a whole order) shortens each part's span for a quick look;
# FPS (default 30) is the lockstep clock's rate.
set -eu
build=${1:-build}
[ $# -gt 0 ] && shift
bin="$build/bin"
[ -x "$bin/palisade" ] && [ -f "$bin/data.rar" ] || {
    echo "frames_bench: build first (make build); no $bin/palisade or $bin/data.rar" >&2
    exit 1
}
export SDL_VIDEODRIVER=${SDL_VIDEODRIVER:-offscreen}
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
per_order=${SECONDS_PER_ORDER:-8}
fps=${FPS:-30}

# When each order starts, from the song itself.
. "$(dirname "$0")/../song_orders.sh"

# name, first order, number of orders
parts="tube-intro:0:4 tube-arrows:4:3 title:7:1 twist-torus:8:2 metaballs:10:1 spheres:11:2
arrow-shock:13:3 heart:16:4 zoom-feedback:20:2 env-cube:22:2 shockwave:24:2 credits:26:6"

measure() {  # a --measure run's line
    (cd "$bin" && ./palisade --no-dialog --measure "$@")
}
rate() {  # its frames-per-second figure
    measure "$@" | sed -n 's/.*: \([0-9.]*\) frames per second.*/\1/p'
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", (b > 0 ? a / b : 0) }'; }
wanted() {  # whether a part was asked for (every part when none was named)
    [ -z "$selection" ] && return 0
    for w in $selection; do [ "$w" = "$1" ] && return 0; done
    return 1
}
selection="$*"

for size in 640x480 1024x768; do
    reference=$(rate --window "$size" --clear-only --frames 600)
    printf '\n%s (cleared frames: %s fps)\n' "$size" "$reference"
    printf '%-14s %7s %10s %8s %9s %9s\n' part orders fps ratio slowest "from (s)"
    for entry in $parts; do
        name=${entry%%:*}; rest=${entry#*:}; first=${rest%%:*}; count=${rest#*:}
        wanted "$name" || continue
        seconds=$(awk -v n="$count" -v s="$per_order" 'BEGIN { print n * s }')
        start=$first warm=""
        if [ "$first" -gt 0 ]; then
            start=$((first - 1))
            warm=$(awk -v a="$(order_start "$start")" -v b="$(order_start "$first")" \
                'BEGIN { printf "%.3f", b - a }')
            seconds=$(awk -v s="$seconds" -v w="$warm" 'BEGIN { print s + w }')
        fi
        line=$(measure --window "$size" --fps "$fps" --start-order "$start" --duration "$seconds" \
            ${warm:+--warm-up "$warm"})
        fps_part=$(echo "$line" | sed -n 's/.*: \([0-9.]*\) frames per second.*/\1/p')
        slowest=$(echo "$line" | sed -n 's/.*, \([0-9.]*\) in the slowest second (from \([0-9.]*\) s).*/\1 \2/p')
        printf '%-14s %7s %10s %8s %9s %9s\n' "$name" "$first-$((first + count - 1))" "$fps_part" \
            "$(ratio "$fps_part" "$reference")" ${slowest:-- -}
    done
done
