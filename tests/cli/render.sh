#!/bin/sh
# Drives vortan-render on the examples and on malformed input: exit status,
# messages, and the bytes of the pictures written.
# Usage: sh render.sh BUILD_DIR SOURCE_DIR
render="$1/vortan-render"
gyre="$2/examples/double-gyre.math"
lorenz="$2/examples/lorenz.math"
work=$(mktemp -d "${TMPDIR:-/tmp}/vortan-render-test.XXXXXX") || exit 1
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
failures=0
cases=0
[ -x "$render" ] || { echo "FAIL vortan-render not built at $render"; exit 1; }

fail() { cases=$((cases + 1)); failures=$((failures + 1)); echo "FAIL $1: $2"; }
# run NAME STATUS ARGS...: runs the renderer; a failure if it exits otherwise.
run() {
    name=$1; want=$2; shift 2
    "$render" "$@" >"$work/out" 2>"$work/err"
    got=$?
    [ "$got" -eq "$want" ] || { fail "$name" "exit status $got, expected $want: $(cat "$work/err")"; return 1; }
}
# expect NAME CONDITION: one case, passed when the shell condition holds.
expect() {
    if eval "$2"; then cases=$((cases + 1)); echo "ok   $1"; else fail "$1" "stderr: $(cat "$work/err")"; fi
}
err_has() { grep -qF -- "$1" "$work/err"; }
u8() { od -An -tu1 -j "$2" -N1 "$1" | tr -d ' '; }
u32() { od -An -tu4 -j "$2" -N4 "$1" | tr -d ' '; }
# is_bmp FILE WIDTH HEIGHT SIZE: an 8-bit bitmap of 256 colours, pixels at 1078.
is_bmp() {
    [ "$(head -c 2 "$1")" = BM ] && [ "$(wc -c <"$1")" -eq "$4" ] && [ "$(u32 "$1" 2)" -eq "$4" ] &&
        [ "$(u32 "$1" 10)" -eq 1078 ] && [ "$(u32 "$1" 18)" -eq "$2" ] &&
        [ "$(u32 "$1" 22)" -eq "$3" ] && [ "$(u32 "$1" 46)" -eq 256 ]
}
# The colour table entry of the file's first (bottom-left) pixel is black.
corner_black() { e=$((54 + 4 * $(u8 "$1" 1078))); [ "$(u8 "$1" $e)$(u8 "$1" $((e + 1)))$(u8 "$1" $((e + 2)))" = 000 ]; }
indices() { tail -c +1079 "$1" | od -An -v -tu1 | tr -s ' ' '\n' | sed '/^$/d' | sort -u | wc -l; }
# A header of eleven numbers with the given width and height, and one record.
input() { printf '%s\n%s\n2.\n1.6\n1.\n0.\n2.\n0.\n1.\n0.\n0.\n' "$1" "$2"; [ -z "$3" ] || sed -n 12p "$gyre"; }

run "help" 0 --help && expect "help" 'grep -q "^Usage: vortan-render" "$work/out" &&
    grep -q -- "--ticks N" "$work/out" && grep -q -- "--axes xy|xz|yz" "$work/out" &&
    grep -q -- "--settings FILE" "$work/out" && grep -q "Exit status" "$work/out" && [ ! -s "$work/err" ]'

# --- the examples: drawn, cleared pixels black, the same bytes twice ---------------
run "double gyre" 0 "$gyre" -o "$work/gyre.bmp" &&
    expect "double gyre: 640 x 320, many indices" 'is_bmp "$work/gyre.bmp" 640 320 205878 && [ "$(indices "$work/gyre.bmp")" -ge 100 ]'
run "lorenz xz" 0 "$lorenz" --axes xz -o "$work/xz.bmp" && run "lorenz xy" 0 "$lorenz" -o "$work/xy.bmp" &&
    expect "lorenz: 640 x 480, xy is not xz, the corner black" 'is_bmp "$work/xz.bmp" 640 480 308278 &&
        is_bmp "$work/xy.bmp" 640 480 308278 && ! cmp -s "$work/xy.bmp" "$work/xz.bmp" && corner_black "$work/xz.bmp"'
printf 'old' >"$work/gyre2.bmp"
run "same picture twice" 0 "$gyre" -o "$work/gyre2.bmp" &&
    expect "same picture twice, replacing an existing file" 'cmp -s "$work/gyre.bmp" "$work/gyre2.bmp"'

# --- ticks: seven tables, intensity dimming; after the first tick period 32 ----
run "ticks 0" 0 "$lorenz" --axes xz -o "$work/t0.bmp"
run "ticks=33" 0 "$lorenz" --axes xz --ticks=33 -o "$work/t33.bmp"
for t in 1 16 9999999999999999969; do run "ticks $t" 0 "$lorenz" --axes xz --ticks "$t" -o "$work/t$t.bmp"; done
expect "ticks move the colour table with period 32" 'cmp -s "$work/t1.bmp" "$work/t33.bmp" &&
    cmp -s "$work/t1.bmp" "$work/t9999999999999999969.bmp" && ! cmp -s "$work/t0.bmp" "$work/t1.bmp" &&
    ! cmp -s "$work/t1.bmp" "$work/t16.bmp"'
expect "cleared pixels black after ticks" 'corner_black "$work/t0.bmp" && corner_black "$work/t1.bmp" &&
    corner_black "$work/t16.bmp" && corner_black "$work/t9999999999999999969.bmp"'
# After one tick entry 0 of table 0 holds level 248 dimmed to 1/40.
expect "colour table after one tick" '[ "$(u8 "$work/t1.bmp" 54)" = 6 ] && [ "$(u8 "$work/t1.bmp" 58)" = 0 ] && [ "$(u8 "$work/t0.bmp" 58)" = 8 ]'

# --- settings -----------------------------------------------------------------
printf '%s\n' 4 0 7 0 0 1 0 1 1 0 1 0 >"$work/without64.dat"
run "settings: without orientation, 64 colours" 0 -s "$work/without64.dat" "$gyre" -o "$work/w64.bmp" &&
    expect "settings: the 64-level ramp (entry 1 level 4, 255 level 28)" 'is_bmp "$work/w64.bmp" 640 320 205878 &&
        [ "$(u8 "$work/w64.bmp" 58)" = 4 ] && [ "$(u8 "$work/w64.bmp" $((54 + 4 * 255)))" = 28 ]'
printf '%s\n' 1.5 -1 0.5 0 1 0 1 0 0 0 1 0 >"$work/bad.dat"
in="settings file $work/bad.dat:"
printf '%s\n' "Info: $in Timer must be an Integer and greater or equal than 0" "Info: $in Disk-diameter must be an Integer" \
    "vortan: $in Colortables must be an Integer" "vortan: $in Colortables must be greater or equal than 1!" \
    "Info: $in Colortable - Step must be greater than 0 and an Integer!" >"$work/want"
run "settings: every check fails" 2 --settings "$work/bad.dat" "$gyre" -o "$work/bad.bmp" &&
    expect "settings: every check fails, five messages in order" 'cmp -s "$work/want" "$work/err" && [ ! -e "$work/bad.bmp" ]'
mkdir "$work/folder.dat"
for c in "nothing.dat|No such file or directory" "folder.dat|Is a directory"; do
    f=${c%%|*}
    run "settings: $f" 2 -s "$work/$f" "$gyre" -o "$work/m.bmp" && expect "settings: $f named with the reason" \
        "grep -qxF 'vortan-render: cannot read settings file $work/$f: ${c#*|}' '$work/err'"
done

# --- input that cannot be read or drawn (status 1, no picture) -----------------
mkdir "$work/folder.math"
printf '\001\002garbage' >"$work/binary.math"
head -c 3000 /dev/urandom >>"$work/binary.math"
printf '640\n480\n2\n{{x -> nothing}}\n' >"$work/short.math"
printf '640\n480\n3\n1\n1\n0\n1\n0\n1\n' >"$work/short3d.math"
for c in "none|vortan-render: cannot read $work/none.math: No such file or directory" \
    "folder|vortan-render: cannot read $work/folder.math: Is a directory" "binary|header holds 0 numbers" \
    "short|header holds 3 numbers, a 2-D file needs 9" "short3d|a 3-D file needs 11"; do
    f=${c%%|*}
    run "input $f" 1 "$work/$f.math" -o "$work/x.bmp" && expect "input $f" 'err_has "${c#*|}" && [ ! -e "$work/x.bmp" ]'
done
# The header's size, and how the message shows it.
for sz in "0 480|0 x 480" "640 0.5|640 x 0.5" "16385 480|16385 x 480" "640 -3|640 x -3" \
    "1e39 480|inf x 480" "640 16384.5|640 x 16384.5" "20000 20000|20000 x 20000"; do
    set -- ${sz%|*}
    input "$1" "$2" 1 >"$work/size.math"
    run "picture size $1 x $2" 1 "$work/size.math" -o "$work/x.bmp" && expect "picture size $1 x $2 refused, said as such" \
        'grep -qxF "vortan-render: $work/size.math: picture size ${sz#*|} is out of range: each side must be 1 to 16384" "$work/err" && [ ! -e "$work/x.bmp" ]'
done
input 641 3 1 >"$work/odd.math"
run "width 641" 0 "$work/odd.math" -o "$work/odd.bmp" &&
    expect "width 641 gives rows of 644 bytes" 'is_bmp "$work/odd.bmp" 641 3 3010'
{ input 640 320; echo "{{x -> InterpolatingFunction[{{0., 1.}}, <>]}}"; echo "{{y}}]}}"; sed -n 12p "$gyre"; } >"$work/skips.math"
run "skipped records" 0 "$work/skips.math" -o "$work/skips.bmp" && expect "skipped records counted by reason and named by place, with the hint" \
    'grep -qxF "vortan-render: skipped 1 record: function printed without its data: record 1 (line 12)" "$work/err" &&
     grep -qxF "vortan-render: skipped 1 record: 200 characters or fewer: record 2 (line 13)" "$work/err" &&
     grep -qxF "vortan-render: hint: write each NDSolve solution with ToString[InputForm[sol]]; see README" "$work/err"'
input 640 320 >"$work/empty.math"
run "no records" 0 "$work/empty.math" -o "$work/empty.bmp" && expect "no records: a black picture" \
    'is_bmp "$work/empty.bmp" 640 320 205878 && err_has "no streamline was drawn" && [ "$(indices "$work/empty.bmp")" -eq 1 ]'

# --- output that cannot be written ---------------------------------------------
run "output folder missing" 1 "$gyre" -o "$work/no/such/out.bmp" &&
    expect "output folder missing, with the reason" 'grep -qxF "vortan-render: cannot write $work/no/such/out.bmp: No such file or directory" "$work/err"'
mkdir -p "$work/taken.bmp/inside"
run "output is a folder" 1 "$gyre" -o "$work/taken.bmp" && expect "output is a folder: said, left intact, no temporary file" \
    'err_has "cannot write $work/taken.bmp: Is a directory" && [ -d "$work/taken.bmp/inside" ] && [ "$(ls -A "$work" | grep -c "\.tmp$")" -eq 0 ]'

# --- arguments refused (status 2, a message pointing to --help) ------------------
usage() { n=$1; shift; run "$n" 2 "$@" && expect "$n" 'grep -q "^vortan-render: " "$work/err" && err_has --help'; }
x="$work/x.bmp"
for args in "-o $x" "$gyre" "--colour $gyre -o $x" "--axes zx $gyre -o $x" "--ticks -1 $gyre -o $x" \
    "--ticks 99999999999999999999 $gyre -o $x" "$gyre -o $work/x.jpg" "--frames 3 $gyre -o $x" "$gyre -o"; do
    usage "refused: $args" $args
done
expect "refused arguments write nothing" '[ ! -e "$work/x.bmp" ]'

# --- PNG and GIF ---------------------------------------------------------------
"$render" "$gyre" -o "$work/gyre.png" >"$work/out" 2>"$work/err"
status=$?
if [ "$status" -eq 2 ] && err_has "writes no .png files"; then
    echo "skip PNG and GIF: built without giflib/libpng"
else
    expect "PNG written" '[ "$status" -eq 0 ] && [ "$(od -An -c -j1 -N3 "$work/gyre.png" | tr -d " ")" = PNG ]'
    run "GIF" 0 "$gyre" --frames 3 --quiet -o "$work/gyre.gif" && expect "GIF written" '[ "$(head -c 6 "$work/gyre.gif")" = GIF89a ]'
    usage "frames 0" --frames 0 "$gyre" -o "$work/x.gif"
    run "page" 0 "$gyre" --quiet -o "$work/gyre.html" &&
        expect "page written: one document, the index picture once" '[ "$(head -c 15 "$work/gyre.html")" = "<!DOCTYPE html>" ] &&
            [ "$(grep -o "data:image/png;base64," "$work/gyre.html" | wc -l)" -eq 2 ] && grep -q "data-period=\"32\"" "$work/gyre.html"'
    usage "frames with a page" --frames 3 "$gyre" -o "$work/x.html"
    run "page into a missing folder" 1 "$gyre" --quiet -o "$work/none/x.html" &&
        expect "page into a missing folder: the reason" 'err_has "Error: Unable to create $work/none/x.html: No such file or directory"'

    # A GIF of some 12 GiB: announced before writing; a full disk stops it
    # cleanly; a signal mid-write leaves no temporary file.
    { input 4096 4096; sed -n '12,$p' "$gyre"; } >"$work/big.math"
    mkdir "$work/small"
    if unshare -m true 2>/dev/null; then
        unshare -m sh -c "mount --make-rprivate / && mount -t tmpfs -o size=1m tmpfs '$work/small' &&
            '$render' '$work/big.math' --frames 10000 --quiet -o '$work/small/big.gif'
            echo \"status \$?\" >&2; ls -A '$work/small' >&2" >"$work/out" 2>"$work/err"
        expect "huge GIF on a full disk: size said first, the reason, no file left" \
            '[ "$(sed -n 1p "$work/err")" = "vortan-render: writing about 12.0 GiB to $work/small/big.gif" ] &&
             [ "$(sed -n 2,3p "$work/err")" = "Error: Unable to write $work/small/big.gif: No space left on device
status 1" ] && [ "$(wc -l <"$work/err")" -eq 3 ]'
    else
        echo "skip: no mount namespace here for a small full filesystem"
    fi
    # A background job starts with SIGINT ignored; env gives it back its
    # default. The file size limit (1 GiB in 512-byte blocks) bounds a run no
    # signal stops: on a quiet machine the page cache takes a few GB a second,
    # so the signal follows the first write within 10 ms; the wait for that
    # write allows a minute on a loaded machine.
    for signal in INT:2 TERM:15 HUP:1; do
        sig=${signal%:*} number=${signal#*:} folder="$work/sig$sig"
        mkdir "$folder"
        (ulimit -f 2097152; exec env --default-signal=INT "$render" "$work/big.math" --frames 10000 --quiet \
            -o "$folder/big.gif") 2>"$work/err" &
        pid=$!
        tries=0
        while [ -z "$(ls -A "$folder")" ] && [ $tries -lt 6000 ]; do sleep 0.01; tries=$((tries + 1)); done
        kill -$sig $pid
        wait $pid
        status=$?
        expect "SIG$sig mid-write: ended by it, no temporary file left" \
            '[ $tries -lt 6000 ] && [ "$status" -eq $((128 + number)) ] && [ -z "$(ls -A "$folder")" ]'
    done
fi

# --- video ----------------------------------------------------------------------
# probe FILE: ffprobe's codec, size, pixel format, frames, rate and duration on one line.
probe() {
    ffprobe -v error -count_frames -select_streams v:0 -show_entries \
        stream=codec_name,width,height,pix_fmt,nb_read_frames,avg_frame_rate:format=duration \
        -of default=noprint_wrappers=1:nokey=1 "$1" | tr '\n' ' '
}
"$render" "$gyre" --quiet --loops 1 --fps 25 -o "$work/gyre.mp4" >"$work/out" 2>"$work/err"
status=$?
if [ "$status" -eq 2 ] && err_has "writes no .mp4 files"; then
    echo "skip video: built without FFmpeg"
else
    expect "MP4: one period at 25 frames a second" '[ "$status" -eq 0 ] &&
        [ "$(probe "$work/gyre.mp4")" = "h264 640 320 yuv420p 25/1 32 1.280000 " ]'
    run "WebM" 0 "$gyre" --quiet --loops 2 --fps 50 --crf 40 -o "$work/gyre.webm" &&
        expect "WebM: two periods at 50 frames a second" '[ "$(probe "$work/gyre.webm")" = "vp9 640 320 yuv420p 50/1 64 1.280000 " ]'
    input 33 17 record >"$work/odd.math"
    printf '%s\n' 2 40 7 0 1 0 1 0 1 0 1 0 >"$work/slow.dat"
    run "odd picture" 0 "$work/odd.math" -s "$work/slow.dat" --quiet -o "$work/odd.mp4" &&
        expect "odd picture: padded to 34 x 18, 25 frames a second from the 40 ms delay, 8 loops for 10.24 s" \
            '[ "$(probe "$work/odd.mp4")" = "h264 34 18 yuv420p 25/1 256 10.240000 " ]'
    for args in "--loops 0" "--loops 10001" "--fps 0" "--fps 241" "--crf 52" "--crf=-1" "--loops"; do
        usage "video: refused $args" $args "$gyre" -o "$work/bad.mp4"
    done
    usage "video: --crf 64 for WebM" --crf 64 "$gyre" -o "$work/bad.webm"
    usage "video: --loops with a GIF" --loops 2 "$gyre" -o "$work/bad.gif"
    expect "video: refused arguments write nothing" '[ ! -e "$work/bad.mp4" ] && [ ! -e "$work/bad.webm" ] && [ ! -e "$work/bad.gif" ]'
    input 16384 16384 >"$work/huge.math"
    printf 'old' >"$work/huge.mp4"
    run "video: too large for H.264" 1 "$work/huge.math" -o "$work/huge.mp4" &&
        expect "video: too large for H.264: the reason, the old file kept" \
            'err_has "Error: Unable to write $work/huge.mp4: a 16384 × 16384 picture is larger than H.264 allows" &&
             [ "$(cat "$work/huge.mp4")" = old ]'
    run "video: missing folder" 1 "$gyre" --quiet --loops 1 -o "$work/none/x.webm" &&
        expect "video: missing folder" 'err_has "Error: Unable to create $work/none/x.webm: No such file or directory"'
fi

echo "$cases cases, $failures failed"
[ "$failures" -eq 0 ]
