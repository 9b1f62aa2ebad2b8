#!/bin/sh
# Drives vortan-trace: fields from formulas and files traced into streamline
# files, read back by vortan-render, or drawn in one go; notes, messages and
# exit statuses.
# Usage: sh trace.sh BUILD_DIR SOURCE_DIR
trace="$1/vortan-trace"
render="$1/vortan-render"
fixtures="$2/tests/fixtures/fields"
work=$(mktemp -d "${TMPDIR:-/tmp}/vortan-trace-test.XXXXXX") || exit 1
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
failures=0
cases=0
[ -x "$trace" ] || { echo "FAIL vortan-trace not built at $trace"; exit 1; }

fail() { cases=$((cases + 1)); failures=$((failures + 1)); echo "FAIL $1: $2"; }
run() {
    name=$1; want=$2; shift 2
    "$trace" "$@" >"$work/out" 2>"$work/err"
    got=$?
    [ "$got" -eq "$want" ] || { fail "$name" "exit status $got, expected $want: $(cat "$work/err")"; return 1; }
}
expect() {
    if eval "$2"; then cases=$((cases + 1)); echo "ok   $1"; else fail "$1" "stderr: $(cat "$work/err")"; fi
}
err_has() { grep -qF -- "$1" "$work/err"; }
# The header's first n numbers, one a line, as written.
header() { head -n "$2" "$1" | tr '\n' ' ' | sed 's/ $//'; }
records() { grep -c '}}]}}$' "$1"; }
gyre='u = -sin(pi*x)*cos(pi*y); v = cos(pi*x)*sin(pi*y)'

# --- a formula traced, read back, drawn ------------------------------------------
run "double gyre" 0 --field "$gyre" --domain 0:2,0:1 --grid 256x128 -o "$work/gyre.math" &&
    expect "double gyre: 800 x 400, 2-D, t to 1, the domain's ranges, many streamlines" \
        '[ "$(header "$work/gyre.math" 4)" = "800. 400. 2. 1." ] && [ "$(sed -n 6,9p "$work/gyre.math" | tr "\n" " ")" = "0. 2. 0. 1. " ] &&
         [ "$(records "$work/gyre.math")" -ge 40 ] && [ ! -s "$work/err" ]'
n=$(records "$work/gyre.math")
expect "progress step is 100 / streamlines" "awk -v n=$n 'NR == 5 { d = \$1 - 100 / n; exit !(d < 1e-4 && d > -1e-4) }' \"$work/gyre.math\""
if [ -x "$render" ]; then
    "$render" "$work/gyre.math" -o "$work/gyre.bmp" >/dev/null 2>"$work/err"
    expect "the traced file draws without a skipped record" '[ $? -eq 0 ] && [ -s "$work/gyre.bmp" ] && ! err_has skipped'
fi
run "same again" 0 --field "$gyre" --domain 0:2,0:1 --grid 256x128 -o "$work/gyre2.math" &&
    expect "the same field traces to the same bytes" 'cmp -s "$work/gyre.math" "$work/gyre2.math"'
run "wider separation, given size" 0 --field "$gyre" --domain 0:2,0:1 --grid 256x128 --separation 30 --size 640x480 \
    -o "$work/wide.math" && expect "wider separation: fewer streamlines; size as given" \
    '[ "$(records "$work/wide.math")" -lt "$n" ] && [ "$(header "$work/wide.math" 2)" = "640. 480." ]'
run "time parameter" 0 --field "$gyre" --domain 0:2,0:1 --grid 256x128 --parameter time -o "$work/time.math" &&
    expect "time parameter: tMax is not 1" '[ "$(sed -n 4p "$work/time.math")" != "1." ]'

# --- seeds -------------------------------------------------------------------
printf '# two seeds\n0.5 0.25\n1.5, 0.75\n' >"$work/seeds.txt"
run "seeds" 0 --field "$gyre" --domain 0:2,0:1 --seeds "$work/seeds.txt" -o "$work/seeds.math" &&
    expect "two seeds, two streamlines" '[ "$(records "$work/seeds.math")" -eq 2 ]'
printf '0.5 zero\n' >"$work/bad-seeds.txt"
run "bad seed file" 1 --field "$gyre" --domain 0:2,0:1 --seeds "$work/bad-seeds.txt" -o "$work/x.math" &&
    expect "bad seed file: the line and the text" 'grep -qxF "vortan-trace: $work/bad-seeds.txt:1: '"'zero'"' is not a number" "$work/err" && [ ! -e "$work/x.math" ]'

# --- a field with nothing to trace: a file without streamlines and a note -----
run "calm" 0 --field 'u = 0; v = 0' --domain 0:1,0:1 -o "$work/calm.math" &&
    expect "calm: header only, a note" '[ "$(records "$work/calm.math")" -eq 0 ] && [ "$(header "$work/calm.math" 3)" = "800. 800. 2." ] &&
        err_has "the field is zero or masked everywhere: no streamlines"'

# --- files -------------------------------------------------------------------
# Every format and encoding of the double gyre, and a 3-D rotation.
for f in "$fixtures"/gyre_* "$fixtures"/rotation3d.*; do
    [ -e "$f" ] || continue
    b=$(basename "$f")
    run "file $b" 0 "$f" -o "$work/$b.math" && expect "file $b: streamlines" '[ "$(records "$work/$b.math")" -ge 5 ]'
done
expect "a 3-D field gives a 3-D file" '[ "$(sed -n 3p "$work/rotation3d.nc.math")" = "3." ]'
# Fields of kinds that cannot be traced: status 1, the file named, nothing written.
for f in "$fixtures"/curvilinear.* "$fixtures"/line.* "$fixtures"/scalar_only.* "$fixtures"/unstructured.* "$fixtures"/two_pieces.* "$fixtures"/groups.nc \
    "$fixtures"/no_velocity.nc; do
    b=$(basename "$f")
    run "untraceable $b" 1 "$f" -o "$work/x.math" &&
        expect "untraceable $b: named" 'grep -q "^vortan-trace: $f: " "$work/err" && [ ! -e "$work/x.math" ]'
done
run "missing file" 1 "$work/none.nc" -o "$work/x.math" && expect "missing file named" 'err_has "$work/none.nc" && [ ! -e "$work/x.math" ]'
printf 'not a field\n' >"$work/text.nc"
run "not a field" 1 "$work/text.nc" -o "$work/x.math" && expect "not a field: named" 'err_has "$work/text.nc"'

# --- a picture in one go: the one vortan-render draws from the traced file ------
if [ -x "$render" ]; then
    printf '%s\n' 2 40 7 0 1 0 1 0 1 0 1 0 >"$work/slow.dat"
    # field, output, drawing options
    while IFS='|' read -r f out opts; do
        run "picture $out" 0 "$fixtures/$f" -o "$work/one.$out" --quiet $opts &&
            "$trace" "$fixtures/$f" -o "$work/two.math" 2>/dev/null &&
            "$render" "$work/two.math" -o "$work/two.$out" --quiet $opts 2>/dev/null
        expect "picture $out $opts: the bytes vortan-render draws from the .math file" \
            '[ -s "$work/one.$out" ] && cmp -s "$work/one.$out" "$work/two.$out"'
    done <<EOF2
rotation3d.vti|png|-s $work/slow.dat --axes xz --ticks 5
rotation3d.nc|bmp|--axes yz
gyre_rect_ascii.vtk|gif|-s $work/slow.dat --frames 3
EOF2
    run "a 2-D field with --axes" 0 "$fixtures/gyre_rect_ascii.vtk" -o "$work/g.bmp" --axes xz &&
        expect "a 2-D field with --axes: said, as vortan-render says it" \
            'grep -qxF "vortan-trace: $fixtures/gyre_rect_ascii.vtk is two-dimensional; --axes xz is ignored" "$work/err"'
    run "settings refused before tracing" 2 "$fixtures/gyre_rect_ascii.vtk" -o "$work/x.png" -s "$work/none.dat" &&
        expect "settings refused: named, nothing written" \
            'grep -qxF "vortan-trace: cannot read settings file $work/none.dat: No such file or directory" "$work/err" && [ ! -e "$work/x.png" ]'
    run "unknown picture type" 2 "$fixtures/gyre_rect_ascii.vtk" -o "$work/x.jpg" &&
        expect "unknown picture type: the known ones listed" \
            'err_has "unknown output type '"'$work/x.jpg'"' (use .math, .bmp, .png, .gif, .html, .mp4 or .webm)"'
    # A write that fails part way (the file size limit, below the picture's
    # size but above the streamline file's) leaves nothing behind.
    mkdir "$work/tmp" "$work/pictures"
    (trap '' XFSZ; ulimit -f 200; TMPDIR="$work/tmp" "$trace" --field 'u=1;v=0' --domain 0:1,0:1 --separation 40 \
        -o "$work/pictures/big.bmp" >/dev/null 2>"$work/err")
    st=$?
    expect "a failed write: status 1, said, no picture and no streamline file left" \
        '[ "$st" -eq 1 ] && err_has "cannot write $work/pictures/big.bmp" && [ -z "$(ls -A "$work/pictures")" ] && [ -z "$(ls -A "$work/tmp")" ]'
fi

# --- a failure leaves an existing output as it was ---------------------------------
printf 'keep me\n' >"$work/keep.math"
run "failure keeps the old file" 1 "$work/none.nc" -o "$work/keep.math" &&
    expect "failure keeps the old file" '[ "$(cat "$work/keep.math")" = "keep me" ]'
run "output folder missing" 1 --field "$gyre" --domain 0:2,0:1 -o "$work/no/such/out.math" &&
    expect "output folder missing: named" 'err_has "$work/no/such/out.math"'

# --- vortan-render draws a field file through the cache ------------------------
if [ -x "$render" ]; then
    export XDG_CACHE_HOME="$work/cache"
    cp "$fixtures/gyre_rect_ascii.vtk" "$work/field.vtk"
    rend() { "$render" "$@" >"$work/out" 2>"$work/err"; }
    rend "$work/field.vtk" -o "$work/f1.bmp"
    entry=$(ls "$work/cache/vortan" 2>/dev/null)
    expect "render a field file: traced into the cache, drawn" '[ -s "$work/f1.bmp" ] && [ "$(ls "$work/cache/vortan" | wc -l)" -eq 1 ] &&
        [ "$(records "$work/cache/vortan/$entry")" -ge 5 ]'
    touch -d "2000-01-01" "$work/cache/vortan/$entry"
    rend "$work/field.vtk" -o "$work/f2.bmp"
    expect "render it again: the cached file is read, not traced again" 'cmp -s "$work/f1.bmp" "$work/f2.bmp" &&
        [ "$(ls "$work/cache/vortan")" = "$entry" ] && [ "$(date -r "$work/cache/vortan/$entry" +%Y)" = 2000 ]'
    cp "$fixtures/gyre_rect_binary.vtk" "$work/field.vtk"
    touch -d "2001-01-01" "$work/field.vtk"
    rend "$work/field.vtk" -o "$work/f3.bmp"
    expect "the field file changed: traced anew, the old entry gone" '[ -s "$work/f3.bmp" ] &&
        [ "$(ls "$work/cache/vortan" | wc -l)" -eq 1 ] && [ "$(ls "$work/cache/vortan")" != "$entry" ]'
    rend "$fixtures/scalar_only.vtk" -o "$work/x.bmp"
    st=$?
    expect "render an untraceable field: status 1, named" '[ "$st" -eq 1 ] && err_has "$fixtures/scalar_only.vtk: no vector components" && [ ! -e "$work/x.bmp" ]'
    unset XDG_CACHE_HOME
fi

# --- arguments refused (status 2) ------------------------------------------------
x="$work/x.math"
for args in "-o $x" "--field u=1;v=0 -o $x" "--domain 0:1,0:1 $work/gyre.math -o $x" \
    "--field u=1;v=0 --domain 0:1,0:1 $work/gyre.math -o $x" "--field u=1;v=0 --domain 0:1,0:1 --parameter speed -o $x" \
    "--field u=1;v=0 --domain 0:1,0:1 --size 0x10 -o $x" "--field u=1;v=0 --domain 0:1,0:1 --size 800 -o $x" \
    "--field u=1;v=0 --domain 0:1,0:1 --separation 0.1 -o $x" "--field u=1;v=0 --domain 0:1,0:1 --test-ratio 2 -o $x" \
    "--field u=1;v=0 --domain 0:1,0:1 -o $work/x.txt" "--field u=1;v=0 --domain 0:1,0:1 --bogus -o $x" \
    "--field u=1;v=0 --domain 0:1,0:1 --axes xz -o $x" "--field u=1;v=0 --domain 0:1,0:1 --frames 3 -o $work/x.png"; do
    run "refused: $args" 2 $args && expect "refused: $args" 'grep -q "^vortan-trace: " "$work/err" && err_has --help && [ ! -e "$x" ]'
done
run "help" 0 --help && expect "help" 'grep -q -- "--separation" "$work/out" && grep -q -- "--parameter" "$work/out"'

echo "$cases cases, $failures failed"
[ "$failures" -eq 0 ]
