#!/bin/sh
# The picture tools as a user meets them: framesheet keeps a long heading whole over one or two
# tiles and names itself in its errors; the sheet scripts refuse --at values that are not
# seconds (status 2, before any capture); the legibility measure tells washed-out and shapeless
# frames from ones that read. Writes only into a temporary directory.
#
#   sheets_test.sh BUILD_DIR SOURCE_DIR
set -u
build=$1 source=$2
bin="$build/bin"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

# A PNG's width: bytes 16-19 of the header, big-endian.
width() { od -An -tu1 -j16 -N4 "$1" | awk '{ print ((($1 * 256 + $2) * 256 + $3) * 256 + $4) }'; }

"$bin/assetgen" --icon 64 "$work/tile.png" || fail "assetgen --icon"
heading="VEXIL PALISADE 2.0  ONE FRAME OF EVERY ORDER, AND MORE"
for tiles in 1 2; do
    set --
    i=0
    while [ $i -lt $tiles ]; do set -- "$@" "t$i=$work/tile.png"; i=$((i + 1)); done
    "$bin/framesheet" --heading "$heading" "$work/sheet$tiles.png" "$@" || fail "framesheet, $tiles tiles"
    # Two tiles are 664 pixels wide; the heading at 24 pixels needs more.
    [ "$(width "$work/sheet$tiles.png")" -gt 700 ] ||
        fail "the sheet of $tiles tiles ($(width "$work/sheet$tiles.png") wide) cuts the heading off"
done
"$bin/framesheet" "$work/no/such/dir/sheet.png" "t=$work/tile.png" 2> "$work/err"
grep -q '^framesheet: cannot write' "$work/err" || fail "framesheet's error names: $(cat "$work/err")"

for script in effect-sheet order-sheet; do
    for at in abc 1x -2 ""; do
        "$source/scripts/$script" --at "$at" "$build" "$work/out.png" > /dev/null 2>&1
        status=$?
        [ $status -eq 2 ] || fail "$script --at '$at' ended with status $status, not 2"
    done
done
[ -e "$work/out.png" ] && fail "a refused run wrote a sheet"

# The legibility measure on frames of known shape, all in order 0: a pale flat veil is washed
# out, a flat mid grey has no shape, a checkerboard of dark and light squares reads.
if command -v ffmpeg > /dev/null; then
    mkdir "$work/frames"
    n=1
    for lum in 208 64 "if(mod(floor(X/4)+floor(Y/4),2),230,20)"; do
        ffmpeg -loglevel error -f lavfi -i "nullsrc=s=640x480,format=gray,geq=lum='$lum'" \
            -frames:v 1 "$work/frames/$(printf 'frame%05d.png' $n)" || fail "ffmpeg frame $n"
        n=$((n + 1))
    done
    "$source/scripts/legibility" --frames "$work/frames" "$build" > "$work/table" 2>&1 ||
        fail "legibility --frames: $(cat "$work/table")"
    awk '$1 == "0" { found = $2 == 3 && $3 == 1 && $4 == 1 } END { exit !found }' \
        "$work/table" || fail "legibility counted $(cat "$work/table")"
fi
"$source/scripts/legibility" --per-second 7 "$build" > /dev/null 2>&1
[ $? -eq 2 ] || fail "legibility --per-second 7 was not refused"

[ $failures -eq 0 ] && echo "picture tools: all checks passed"
exit $((failures > 0))
