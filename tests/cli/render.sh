#!/bin/sh
# Drives vortan-render (and vortan-flowgen) on the examples and on malformed
# input: exit status, messages, and the bytes of the pictures written.
# Usage: sh render.sh BUILD_DIR SOURCE_DIR
build=$1
src=$2
render="$build/vortan-render"
flowgen="$build/vortan-flowgen"
gyre="$src/examples/double-gyre.math"
lorenz="$src/examples/lorenz.math"
work=$(mktemp -d "${TMPDIR:-/tmp}/vortan-render-test.XXXXXX") || exit 1
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
failures=0
cases=0

pass() { cases=$((cases + 1)); echo "ok   $1"; }
fail() { cases=$((cases + 1)); failures=$((failures + 1)); echo "FAIL $1: $2"; }

# run NAME EXPECTED_STATUS ARGS...: runs the renderer, keeping stdout and stderr.
run() {
    name=$1; want=$2; shift 2
    "$render" "$@" >"$work/out" 2>"$work/err"
    got=$?
    if [ "$got" -ne "$want" ]; then
        fail "$name" "exit status $got, expected $want; stderr: $(cat "$work/err")"
        return 1
    fi
    return 0
}
# has NAME FILE TEXT: FILE holds the line TEXT exactly.
has_line() {
    if grep -qxF -- "$3" "$2"; then return 0; fi
    fail "$1" "missing line '$3' in: $(cat "$2")"
    return 1
}
size() { wc -c <"$1" | tr -d ' '; }
# u8 FILE OFFSET / u32 FILE OFFSET: little-endian numbers from a file.
u8() { od -An -tu1 -j "$2" -N1 "$1" | tr -d ' '; }
u32() { od -An -tu4 -j "$2" -N4 "$1" | tr -d ' '; }
# is_bmp NAME FILE WIDTH HEIGHT: an 8-bit bitmap of that size in the expected layout.
is_bmp() {
    f=$2; w=$3; h=$4
    stride=$(( (w * 8 + 31) / 32 * 4 ))
    want=$((1078 + stride * h))
    if [ "$(head -c 2 "$f")" != "BM" ]; then fail "$1" "does not start with BM"; return 1; fi
    if [ "$(size "$f")" -ne "$want" ]; then fail "$1" "size $(size "$f"), expected $want"; return 1; fi
    if [ "$(u32 "$f" 2)" -ne "$want" ] || [ "$(u32 "$f" 10)" -ne 1078 ] ||
       [ "$(u32 "$f" 18)" -ne "$w" ] || [ "$(u32 "$f" 22)" -ne "$h" ] ||
       [ "$(u32 "$f" 46)" -ne 256 ]; then
        fail "$1" "header fields wrong"; return 1
    fi
    return 0
}
# Text of a header of eleven numbers with the given width and height.
header() { printf '%s\n%s\n2.\n1.6\n1.\n0.\n2.\n0.\n1.\n0.\n0.\n' "$1" "$2"; }
first_record() { sed -n 12p "$gyre"; }

[ -x "$render" ] || { echo "FAIL vortan-render not built at $render"; exit 1; }

# --- help -----------------------------------------------------------------
if run "help" 0 --help; then
    if grep -q "^Usage: vortan-render" "$work/out" && grep -q -- "--ticks N" "$work/out" &&
       grep -q -- "--axes xy|xz|yz" "$work/out" && grep -q "Exit status" "$work/out" &&
       grep -q -- "--settings FILE" "$work/out" && [ ! -s "$work/err" ]; then
        pass "help"
    else
        fail "help" "incomplete help text"
    fi
fi

# --- the examples -----------------------------------------------------------
if run "double gyre renders" 0 "$gyre" -o "$work/gyre.bmp" && is_bmp "double gyre renders" "$work/gyre.bmp" 640 320; then
    pass "double gyre renders"
fi
if run "lorenz renders (xz)" 0 "$lorenz" --axes xz -o "$work/lorenz-xz.bmp" &&
   is_bmp "lorenz renders (xz)" "$work/lorenz-xz.bmp" 640 480; then
    pass "lorenz renders (xz)"
fi
if run "lorenz renders (default xy)" 0 "$lorenz" -o "$work/lorenz-xy.bmp" &&
   is_bmp "lorenz renders (default xy)" "$work/lorenz-xy.bmp" 640 480; then
    if cmp -s "$work/lorenz-xy.bmp" "$work/lorenz-xz.bmp"; then
        fail "lorenz renders (default xy)" "same picture as --axes xz"
    else
        pass "lorenz renders (default xy)"
    fi
fi
if [ "$(size "$gyre")" -lt 1048576 ] && [ "$(size "$lorenz")" -lt 1048576 ]; then
    pass "examples under 1 MB"
else
    fail "examples under 1 MB" "$(size "$gyre") / $(size "$lorenz") bytes"
fi
if [ -x "$flowgen" ]; then
    if "$flowgen" double-gyre | cmp -s - "$gyre" && "$flowgen" lorenz | cmp -s - "$lorenz"; then
        pass "examples are what vortan-flowgen writes"
    else
        fail "examples are what vortan-flowgen writes" "generator output differs from examples/"
    fi
fi

# The picture is drawn: many distinct indices, and cleared pixels (the corner
# outside both gyres is never reached) show an entry that is black.
if [ -f "$work/gyre.bmp" ]; then
    distinct=$(tail -c +1079 "$work/gyre.bmp" | od -An -v -tu1 | tr -s ' ' '\n' | sed '/^$/d' | sort -u | wc -l)
    if [ "$distinct" -ge 100 ]; then pass "double gyre uses $distinct palette indices"; else
        fail "double gyre picture" "only $distinct distinct indices"; fi
    lorenz_corner=$(u8 "$work/lorenz-xz.bmp" 1078)  # bottom-left pixel of the Lorenz picture
    entry=$((54 + 4 * lorenz_corner))
    if [ "$(u8 "$work/lorenz-xz.bmp" "$entry")$(u8 "$work/lorenz-xz.bmp" $((entry + 1)))$(u8 "$work/lorenz-xz.bmp" $((entry + 2)))" = "000" ]; then
        pass "cleared pixel is a black entry ($lorenz_corner)"
    else
        fail "cleared pixel is a black entry" "index $lorenz_corner is not black"
    fi
fi

# Two runs give the same bytes; an existing output is replaced.
printf 'old' >"$work/gyre2.bmp"
if run "same picture twice" 0 "$gyre" -o "$work/gyre2.bmp" && cmp -s "$work/gyre.bmp" "$work/gyre2.bmp"; then
    pass "same picture twice, replacing an existing file"
elif [ -f "$work/gyre2.bmp" ]; then
    fail "same picture twice" "pictures differ"
fi

# --- ticks ------------------------------------------------------------------
# Seven tables of 32 entries with intensity dimming: after the first tick the
# palette repeats every 32 ticks.
run "ticks 0" 0 "$lorenz" --axes xz -o "$work/t0.bmp"
run "ticks 1" 0 "$lorenz" --axes xz --ticks 1 -o "$work/t1.bmp"
run "ticks 33" 0 "$lorenz" --axes xz --ticks=33 -o "$work/t33.bmp"
run "ticks 16" 0 "$lorenz" --axes xz --ticks 16 -o "$work/t16.bmp"
run "ticks huge" 0 "$lorenz" --axes xz --ticks 9999999999999999969 -o "$work/thuge.bmp"
if cmp -s "$work/t1.bmp" "$work/t33.bmp" && ! cmp -s "$work/t0.bmp" "$work/t1.bmp" &&
   ! cmp -s "$work/t1.bmp" "$work/t16.bmp" && cmp -s "$work/t1.bmp" "$work/thuge.bmp"; then
    pass "ticks move the colour table with period 32"
else
    fail "ticks" "colour tables after 0/1/16/33/huge ticks not as expected"
fi
# Cleared pixels (the Lorenz picture's corner) stay black whatever the ticks
# did to the entry they had at first.
black_after_ticks=ok
for f in t0 t1 t16 thuge; do
    i=$(u8 "$work/$f.bmp" 1078)
    e=$((54 + 4 * i))
    [ "$(u8 "$work/$f.bmp" $e)$(u8 "$work/$f.bmp" $((e + 1)))$(u8 "$work/$f.bmp" $((e + 2)))" = "000" ] || black_after_ticks="$f: index $i"
done
[ "$black_after_ticks" = ok ] && pass "cleared pixels black after ticks" || fail "cleared pixels black after ticks" "$black_after_ticks"
# After one tick, table 0 with dimming: entry 0 holds level 248 dimmed to 1/40 -> 6.
if [ "$(u8 "$work/t1.bmp" 54)" = 6 ] && [ "$(u8 "$work/t1.bmp" 58)" = 0 ] && [ "$(u8 "$work/t0.bmp" 58)" = 8 ]; then
    pass "colour table after one tick"
else
    fail "colour table after one tick" "entries 0/1: $(u8 "$work/t1.bmp" 54)/$(u8 "$work/t1.bmp" 58)"
fi

# --- settings ---------------------------------------------------------------
printf '%s\n' 4 0 7 0 0 1 0 1 1 0 1 0 >"$work/without64.dat"
if run "settings: without orientation, 64 colours" 0 -s "$work/without64.dat" "$gyre" -o "$work/w64.bmp" &&
   is_bmp "settings: without orientation" "$work/w64.bmp" 640 320; then
    # The 64-level ramp: entry 1 is level 4, entry 255 is 28.
    if [ "$(u8 "$work/w64.bmp" 58)" = 4 ] && [ "$(u8 "$work/w64.bmp" $((54 + 4 * 255)))" = 28 ]; then
        pass "settings: without orientation, 64 colours"
    else
        fail "settings: without orientation, 64 colours" "colour table is not the 64-level ramp"
    fi
fi
printf '%s\n' 1.5 -1 0.5 0 1 0 1 0 0 0 1 0 >"$work/bad.dat"
if run "settings: every check fails" 2 --settings "$work/bad.dat" "$gyre" -o "$work/bad.bmp"; then
    printf '%s\n' \
        "Info: Timer must be an Integer and greater or equal than 0" \
        "Info: Disk-diameter must be an Integer" \
        "vortan: Colortables must be an Integer" \
        "vortan: Colortables must be greater or equal than 1!" \
        "Info: Colortable - Step must be greater than 0 and an Integer!" >"$work/want"
    if cmp -s "$work/want" "$work/err" && [ ! -e "$work/bad.bmp" ]; then
        pass "settings: every check fails, five messages in order"
    else
        fail "settings: every check fails" "stderr was: $(cat "$work/err")"
    fi
fi
printf '%s\n' 2 0 8 >"$work/count8.dat"
if run "settings: count 8" 2 -s "$work/count8.dat" "$gyre" -o "$work/c8.bmp" &&
   has_line "settings: count 8" "$work/err" "vortan: Colortables must be smaller or equal than 7!"; then
    pass "settings: count 8"
fi
if run "settings: missing file" 2 -s "$work/nothing.dat" "$gyre" -o "$work/m.bmp" &&
   has_line "settings: missing file" "$work/err" "Error: Unable to open $work/nothing.dat"; then
    pass "settings: missing file"
fi

# --- unreadable or unusable input --------------------------------------------
if run "missing input" 1 "$work/none.math" -o "$work/x.bmp" &&
   has_line "missing input" "$work/err" "vortan-render: cannot read $work/none.math: No such file or directory"; then
    [ ! -e "$work/x.bmp" ] && pass "missing input" || fail "missing input" "an output was written"
fi
mkdir "$work/folder.math"
if run "input is a folder" 1 "$work/folder.math" -o "$work/x.bmp" &&
   has_line "input is a folder" "$work/err" "vortan-render: cannot read $work/folder.math: Is a directory"; then
    pass "input is a folder"
fi
head -c 3000 /dev/urandom >"$work/noise.math"
printf '\001\002garbage' | cat - "$work/noise.math" >"$work/binary.math"
if run "binary input" 1 "$work/binary.math" -o "$work/x.bmp" && grep -q "header holds 0 numbers" "$work/err"; then
    pass "binary input"
fi
printf '640\n480\n2\n{{x -> nothing}}\n' >"$work/short-header.math"
if run "short header" 1 "$work/short-header.math" -o "$work/x.bmp" && grep -q "header holds 3 numbers, a 2-D file needs 9" "$work/err"; then
    pass "short header"
fi
printf '640\n480\n3\n1\n1\n0\n1\n0\n1\n' >"$work/short3d.math"
if run "3-D header without z range" 1 "$work/short3d.math" -o "$work/x.bmp" && grep -q "a 3-D file needs 11" "$work/err"; then
    pass "3-D header without z range"
fi
for sz in "0 480" "640 0.5" "16385 480" "640 -3" "1e39 480" "640 16384.5"; do
    set -- $sz
    { header "$1" "$2"; first_record; } >"$work/size.math"
    if run "picture size $1 x $2" 1 "$work/size.math" -o "$work/x.bmp" &&
       grep -q "cannot be drawn (each side must be a finite number from 1 to 16384)" "$work/err"; then
        [ ! -e "$work/x.bmp" ] && pass "picture size $1 x $2 refused" || fail "picture size $1 x $2" "output written"
    fi
done
{ header 640.9 320.7; first_record; } >"$work/fraction.math"
if run "fractional size" 0 "$work/fraction.math" -o "$work/fraction.bmp" && is_bmp "fractional size" "$work/fraction.bmp" 640 320; then
    pass "fractional picture size truncated to 640 x 320"
fi
{ header 641 3; first_record; } >"$work/odd.math"
if run "width 641" 0 "$work/odd.math" -o "$work/odd.bmp" && is_bmp "width 641" "$work/odd.bmp" 641 3; then
    pass "width 641 gives rows of 644 bytes"
fi
{ header 640 320; echo "{{x -> InterpolatingFunction[{{0., 1.}}, <>]}}"; echo "{{y}}]}}"; first_record; } >"$work/skips.math"
if run "skipped records" 0 "$work/skips.math" -o "$work/skips.bmp" &&
   grep -q "^vortan-render: skipped 2 records: " "$work/err" &&
   has_line "skipped records" "$work/err" "vortan-render: hint: write each NDSolve solution with ToString[InputForm[sol]]; see README"; then
    pass "skipped records counted with the hint"
fi
{ header 640 320; } >"$work/empty.math"
if run "no records" 0 "$work/empty.math" -o "$work/empty.bmp" && is_bmp "no records" "$work/empty.bmp" 640 320 &&
   grep -q "no streamline was drawn" "$work/err"; then
    if [ "$(tail -c +1079 "$work/empty.bmp" | od -An -v -tu1 | tr -s ' ' '\n' | sed '/^$/d' | sort -u | wc -l)" -eq 1 ]; then
        pass "no records: a black picture"
    else
        fail "no records" "picture is not uniform"
    fi
fi
if run "2-D file with --axes yz" 0 "$gyre" --axes yz -o "$work/axes2d.bmp" && cmp -s "$work/axes2d.bmp" "$work/gyre.bmp" &&
   grep -q "two-dimensional; --axes yz is ignored" "$work/err"; then
    pass "2-D file with --axes yz draws x, y"
fi

# --- output that cannot be written ---------------------------------------------
if run "output folder missing" 1 "$gyre" -o "$work/no/such/out.bmp" &&
   grep -q "^vortan-render: cannot write $work/no/such/out.bmp" "$work/err"; then
    pass "output folder missing"
fi
mkdir -p "$work/taken.bmp/inside"
if run "output is a folder" 1 "$gyre" -o "$work/taken.bmp" && [ -d "$work/taken.bmp/inside" ] &&
   [ "$(ls -A "$work" | grep -c '\.tmp$')" -eq 0 ]; then
    pass "output is a folder: left intact, no temporary file"
fi

# --- arguments ----------------------------------------------------------------
usage() {
    name=$1; shift
    if run "$name" 2 "$@" && grep -q "^vortan-render: " "$work/err" && grep -q -- "--help" "$work/err"; then
        pass "$name"
    fi
}
usage "no input" -o "$work/x.bmp"
usage "no output" "$gyre"
usage "two inputs" "$gyre" "$lorenz" -o "$work/x.bmp"
usage "unknown option" --colour "$gyre" -o "$work/x.bmp"
usage "bad axes" --axes zx "$gyre" -o "$work/x.bmp"
usage "negative ticks" --ticks -1 "$gyre" -o "$work/x.bmp"
usage "ticks not a number" --ticks 1x "$gyre" -o "$work/x.bmp"
usage "ticks too large" --ticks 99999999999999999999 "$gyre" -o "$work/x.bmp"
usage "unknown output type" "$gyre" -o "$work/x.jpg"
usage "frames with a bitmap" --frames 3 "$gyre" -o "$work/x.bmp"
usage "option without value" "$gyre" -o
[ ! -e "$work/x.bmp" ] && pass "refused arguments write nothing" || fail "refused arguments" "x.bmp written"

# --- PNG and GIF ---------------------------------------------------------------
"$render" "$gyre" -o "$work/gyre.png" >"$work/out" 2>"$work/err"
status=$?
if [ "$status" -eq 2 ] && grep -q "writes no .png files" "$work/err"; then
    echo "skip PNG and GIF: built without giflib/libpng"
elif [ "$status" -eq 0 ] && [ "$(od -An -c -j1 -N3 "$work/gyre.png" | tr -d ' ')" = "PNG" ]; then
    pass "PNG written"
    if run "GIF" 0 "$gyre" --frames 3 --quiet -o "$work/gyre.gif" && [ "$(head -c 6 "$work/gyre.gif")" = "GIF89a" ]; then
        pass "GIF written"
    fi
    usage "frames 0" --frames 0 "$gyre" -o "$work/x.gif"
else
    fail "PNG" "exit status $status: $(cat "$work/err")"
fi

echo "$cases cases, $failures failed"
[ "$failures" -eq 0 ]
