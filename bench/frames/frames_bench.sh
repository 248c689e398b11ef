#!/bin/sh
# Frame rate of the opening (orders 0-6, the first 56 seconds) drawn in lockstep without
# writing files, beside cleared frames only as the reference, at two window sizes.
#
#   bench/frames/frames_bench.sh [BUILD_DIR]      (default: build)
set -eu
build=${1:-build}
bin="$build/bin"
[ -x "$bin/palisade" ] && [ -f "$bin/data.rar" ] || {
    echo "frames_bench: build first (make build); no $bin/palisade or $bin/data.rar" >&2
    exit 1
}
export SDL_VIDEODRIVER=${SDL_VIDEODRIVER:-offscreen}
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}

rate() {  # the frames-per-second figure of a --measure run
    (cd "$bin" && ./palisade --no-dialog --measure "$@") | sed -n 's/.*: \([0-9.]*\) frames per second.*/\1/p'
}

printf '%-10s %14s %14s %8s\n' size "opening fps" "cleared fps" ratio
for size in 640x480 1024x768; do
    reference=$(rate --window "$size" --clear-only --frames 600)
    opening=$(rate --window "$size" --fps 30 --duration 56)
    printf '%-10s %14s %14s %8s\n' "$size" "$opening" "$reference" \
        "$(awk -v a="$opening" -v b="$reference" 'BEGIN { printf "%.3f", a / b }')"
done
