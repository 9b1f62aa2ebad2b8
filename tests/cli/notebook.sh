#!/bin/sh
# Usage: notebook.sh BUILD_DIR SOURCE_DIR. Drives vortan-convert on notebooks
# and package files (listing, choice of solution and coordinates, exit codes
# and messages) and vortan-render on records with compressed arrays.
convert=$1/vortan-convert render=$1/vortan-render failures=0
fixtures=$2/tests/fixtures/notebook
dir=$(mktemp -d) || exit 1
trap 'rm -rf "$dir"' EXIT INT TERM
[ -x "$convert" ] || { echo "FAIL: $convert not built"; exit 1; }

check() { # description, command...
    if (shift; "$@"); then echo "ok:   $1"; else echo "FAIL: $1"; failures=$((failures + 1)); fi
}
expect() { # STATUS TEXT-ON-STDERR ARGUMENTS...
    want=$1 text=$2
    shift 2
    "$convert" "$@" >"$dir/out" 2>"$dir/err"; status=$?
    check "$* exits $want (got $status)" [ "$status" -eq "$want" ]
    [ -z "$text" ] || check "$* says: $text" grep -qF -- "$text" "$dir/err"
}

expect 0 "" --list "$fixtures/solutions.nb"
check "--list: the output cell and the Manipulate, each once" [ "$(cat "$dir/out")" = "\
1  line 12  x, y  t from 0 to 6.25  101 points  readable
2  line 96  x, y  t from 0 to 5  41 points  readable" ]
expect 0 "" --list "$fixtures/solutions.m"
check "--list: reasons for what cannot be read" [ "$(sed "s/^[0-9]*  line [0-9]*  //" "$dir/out")" = "\
x, y, z  t from 0 to 6.25  101 points  readable
x, y  cannot be read: complex values
u  cannot be read: a function of more than one variable" ]
expect 2 "read notebooks" --list "$dir/flow.csv"
expect 2 "--coords x: two or three names" --coords x "$fixtures/solutions.nb" -o "$dir/x.math"
expect 2 "--solution needs" --solution 0 "$fixtures/solutions.nb" -o "$dir/x.math"
expect 1 "cannot read $dir/none.nb" --list "$dir/none.nb"
mkdir "$dir/folder.nb"
expect 1 "cannot read $dir/folder.nb: Is a directory" --list "$dir/folder.nb"
expect 1 "no solution 7 (the file holds 2)" --solution 7 "$fixtures/solutions.nb" -o "$dir/x.math"
expect 1 "solution 2 (line 4) cannot be read: complex values" --solution 2 "$fixtures/solutions.m" -o "$dir/x.math"
expect 1 "no function named w" --solution 1 --coords x,w "$fixtures/solutions.nb" -o "$dir/x.math"
check "refused conversions write nothing" test ! -e "$dir/x.math"

expect 0 "solution 2 (line 4) left out: complex values" "$fixtures/solutions.m" -o "$dir/helix.math"
check "3-D from x, y and z: one record" [ "$(head -3 "$dir/helix.math" | tail -1)" = "3." ] 
check "helix record has z" [ "$(grep -c 'z -> Interp' "$dir/helix.math")" -eq 1 ]
expect 0 "" "$fixtures/solutions.nb" -o "$dir/nb.math"
check "two solutions, progress 50 each" [ "$(sed -n 5p "$dir/nb.math")" = "50." ]
expect 0 "" --solution 2 --coords y,x "$fixtures/solutions.nb" -o "$dir/yx.math"
check "--solution 2: t range 5, x from y" [ "$(sed -n 4p "$dir/yx.math")" = "5." ]

if [ -x "$render" ]; then
    for f in nb helix; do
        check "vortan-render draws $f.math, nothing skipped" sh -c "'$render' '$dir/$f.math' \
            -o '$dir/$f.bmp' 2>&1 | { ! grep -q skipped; } && [ \"\$(head -c 2 '$dir/$f.bmp')\" = BM ]"
    done
    "$render" "$fixtures/twins.math" -o "$dir/twins.bmp" >"$dir/out" 2>&1
    check "twins.math: every record drawn" sh -c "! grep -q skipped '$dir/out'"
    # The third record's first array replaced by one of a type not read.
    unknown=$(grep '^unknown packed type' "$fixtures/compressed_cases.tsv" | cut -f3)
    sed '14s/CompressedData\["[^"]*"\]/CompressedData["'"$unknown"'"]/' "$fixtures/twins.math" \
        >"$dir/unknown.math"
    "$render" "$dir/unknown.math" -o "$dir/unknown.bmp" >"$dir/out" 2>&1
    check "an unknown packed type is its own skip reason" grep -qF \
        "skipped 1 record: compressed data: unknown packed array or expression type 0x63: record 3 (line 14)" \
        "$dir/out"
else
    echo "skip: $render not built"
fi
[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
