# song_orders.sh - sourced by the benchmarks: when the song's orders start, read once from the
# build's own module through modsync. Set $build (the build folder) and $bin (its bin folder)
# before sourcing.
#
#   order_start N     the song time, in seconds, at which order N starts (fails for an order
#                     the song does not have)
#   song_span A B     the seconds from the start of order A to the end of order B
module=$(find "$build/assets" -name '*.xm' | head -1)
order_times=$("$bin/modsync" --csv "$module" | awk -F, '$6 == "order" { printf "%s:%s ", $2, $1 }')
order_start() {
    for pair in $order_times; do
        [ "${pair%%:*}" = "$1" ] && { echo "${pair#*:}"; return 0; }
    done
    echo "$(basename "$0"): the song has no order $1" >&2
    return 1
}
song_span() {
    from=$(order_start "$1") || exit 1
    # The last order ends with the song, about 8 s on like every other.
    to=$(order_start $(($2 + 1)) 2>/dev/null) || to=$(awk -v t="${order_times##*:}" 'BEGIN { print t + 8 }')
    awk -v a="$from" -v b="$to" 'BEGIN { printf "%.3f", b - a }'
}
