#!/bin/sh
# Usage: convert.sh BUILD_DIR SOURCE_DIR. Drives vortan-convert: exit codes and
# messages, the file kept on failure, a round trip of its output through vortan-render.
convert=$1/vortan-convert render=$1/vortan-render failures=0
dir=$(mktemp -d) || exit 1
trap 'chmod -R u+w "$dir" 2>/dev/null; rm -rf "$dir"' EXIT INT TERM
[ -x "$convert" ] || { echo "FAIL: $convert not built"; exit 1; }

check() { # description, command...
    if (shift; "$@"); then echo "ok:   $1"; else echo "FAIL: $1"; failures=$((failures + 1)); fi
}
# expect STATUS TEXT-ON-STDERR ARGUMENTS...: runs the converter, checks both.
expect() {
    want=$1 text=$2
    shift 2
    "$convert" "$@" >"$dir/out" 2>"$dir/err"; status=$?
    check "$* exits $want (got $status)" [ "$status" -eq "$want" ]
    [ -z "$text" ] || check "$* says: $text" grep -qF -- "$text" "$dir/err"
}

printf 'id,t,x,y\na,0,0,0\na,0.5,0.4,0.3\na,1,0.8,0.9\nb,10,-1,2\nb,12,-0.5,1\n' >"$dir/flow.csv"
printf '1 0 0 0 1\n1 1 1 1 2\n1 2 2 0 3\n2 0 5 5 5\n2 3 4 4 4\n' >"$dir/flow3.txt"
echo "the previous picture file" >"$dir/keep.math"

expect 0 "" --help && check "--help shows the usage" grep -q "^Usage: vortan-convert" "$dir/out"
expect 2 "vortan-convert: --output is required" "$dir/flow.csv"
expect 2 "vortan-convert: The following argument was not expected: --colour" --colour "$dir/flow.csv" -o "$dir/x.math"
for bad in "--size 0x600" "--size 16385x10" "--size 800" "--margin 11" "--margin nan" \
    "--dimension 4" "--tmax 0" "--tmax inf"; do
    expect 2 "" $bad "$dir/flow.csv" -o "$dir/x.math"
done
check "refused arguments write nothing" test ! -e "$dir/x.math"
expect 1 "cannot read $dir/none.csv: No such file or directory" "$dir/none.csv" -o "$dir/x.math"
mkdir "$dir/folder.csv"
expect 1 "cannot read $dir/folder.csv: Is a directory" "$dir/folder.csv" -o "$dir/x.math"
printf 'id,t,x,y\n1,0,0,0\n1,zero,1,1\n' >"$dir/bad.csv"
expect 1 "$dir/bad.csv:3: column 2 (t): \"zero\" is not a finite number" "$dir/bad.csv" -o "$dir/keep.math"
expect 1 "three dimensions need a z column" --dimension 3 "$dir/flow.csv" -o "$dir/keep.math"
check "failed conversions keep the previous file" grep -qx "the previous picture file" "$dir/keep.math"
check "no temporary file left behind" sh -c "! ls -A '$dir' | grep -q tmp"
expect 1 "Cannot write $dir/no/such/x.math: No such file or directory." "$dir/flow.csv" -o "$dir/no/such/x.math"

expect 0 "" --size 320x200 "$dir/flow.csv" -o "$dir/flow.math"
check "header: size, dimension, tMax, progress, x range" \
    test "$(head -7 "$dir/flow.math" | tr '\n' ' ')" = "320. 200. 2. 2. 50. -1.09 0.89 "
check "two records, each over 200 characters with its line end" sh -c "tail -n +12 '$dir/flow.math' |
    awk '/^[{][{]/ { n++ } length(\$0) < 200 { bad = 1 } END { exit bad || n != 2 }'"
"$convert" --size 320x200 - -o "$dir/keep.math" <"$dir/flow.csv" 2>/dev/null
check "standard input replaces the previous file" cmp -s "$dir/flow.math" "$dir/keep.math"
expect 0 "" "$dir/flow3.txt" -o "$dir/flow3.math"
check "3-D: two records with z" [ "$(grep -c 'z -> Interp' "$dir/flow3.math")" -eq 2 ]

# A spreadsheet's "CSV UTF-8" with old Mac line ends and a quoted id holding a comma.
printf '\357\273\277a,0,0,0\ra,0.5,0.4,0.3\ra,1,0.8,0.9\r"b,2",10,-1,2\r"b,2",12,-0.5,1\r' >"$dir/excel.csv"
expect 0 "" --size 320x200 "$dir/excel.csv" -o "$dir/excel.math"
check "BOM, CR line ends and a quoted id give the same picture file" cmp -s "$dir/flow.math" "$dir/excel.math"

# Targets that are not plain files: written into or followed, never replaced.
if mknod "$dir/full" c 1 7 2>/dev/null && mknod "$dir/null" c 1 3 2>/dev/null; then
    expect 1 "Cannot write $dir/full: No space left on device." --size 320x200 "$dir/flow.csv" -o "$dir/full"
    expect 0 "" --size 320x200 "$dir/flow.csv" -o "$dir/null"
    check "the device nodes are still devices" test -c "$dir/full" -a -c "$dir/null"
else
    echo "skip: mknod is not allowed here, no device targets"
fi
mkfifo "$dir/fifo" && { timeout 60 cat "$dir/fifo" >"$dir/from-fifo" & }
expect 0 "" --size 320x200 "$dir/flow.csv" -o "$dir/fifo"
wait
check "a FIFO passes the picture to its reader and stays a FIFO" \
    sh -c "cmp -s '$dir/flow.math' '$dir/from-fifo' && test -p '$dir/fifo'"
mkdir "$dir/real" && ln -s real/linked.math "$dir/link"
expect 0 "" --size 320x200 "$dir/flow.csv" -o "$dir/link"
check "a dangling link gets its file and stays a link" \
    sh -c "test -L '$dir/link' && cmp -s '$dir/flow.math' '$dir/real/linked.math'"

if [ -x "$render" ]; then
    for f in flow flow3; do
        check "vortan-render draws $f.math, nothing skipped" sh -c "'$render' '$dir/$f.math' \
            -o '$dir/$f.bmp' 2>&1 | { ! grep -q skipped; } && [ \"\$(head -c 2 '$dir/$f.bmp')\" = BM ]"
    done
    fixtures=$2/tests/fixtures/modern
    "$render" "$fixtures/circle_classic.math" -o "$dir/classic.bmp" >/dev/null 2>&1
    for f in circle_v8 circle_v10_backslash_crlf; do
        "$render" "$fixtures/$f.math" -o "$dir/$f.bmp" >/dev/null 2>&1
        check "$f.math draws the classic picture" cmp -s "$dir/classic.bmp" "$dir/$f.bmp"
    done
else
    echo "skip: $render not built, no render round trip"
fi
[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
