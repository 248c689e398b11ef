#!/bin/sh
# The sheet tools as a user meets them: framesheet keeps a long heading whole over one or two
# tiles and names itself in its errors; the sheet scripts refuse --at values that are not
# seconds (status 2, before any capture). Writes only into a temporary directory.
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

[ $failures -eq 0 ] && echo "sheet tools: all checks passed"
exit $((failures > 0))
