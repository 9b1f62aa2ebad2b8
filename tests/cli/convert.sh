#!/bin/sh
# Drives vortan-convert: arguments and exit codes, messages, files kept on
# failure, and a round trip of its output through vortan-render.
# Usage: convert.sh BUILD_DIR SOURCE_DIR
build=$1
src=$2
convert=$build/vortan-convert
render=$build/vortan-render
failures=0
dir=$(mktemp -d) || exit 1
trap 'chmod -R u+w "$dir" 2>/dev/null; rm -rf "$dir"' EXIT INT TERM

pass() { echo "ok:   $1"; }
fail() { echo "FAIL: $1"; failures=$((failures + 1)); }
check() { # description, test arguments...
    what=$1
    shift
    if "$@"; then pass "$what"; else fail "$what"; fi
}
# Runs the converter; its exit status lands in $status, stderr in $dir/err.
run() {
    "$convert" "$@" >"$dir/out" 2>"$dir/err"
    status=$?
}
expect_status() { # description, status, arguments...
    what=$1
    want=$2
    shift 2
    run "$@"
    if [ "$status" -eq "$want" ]; then
        pass "$what (exit $want)"
    else
        fail "$what: exit $status, expected $want"
        sed 's/^/      /' "$dir/err"
    fi
}
stderr_has() { grep -qF -- "$1" "$dir/err"; }

if [ ! -x "$convert" ]; then
    echo "FAIL: $convert not built"
    exit 1
fi

cat >"$dir/flow.csv" <<'EOF'
id,t,x,y
a,0,0,0
a,0.5,0.4,0.3
a,1,0.8,0.9
b,10,-1,2
b,12,-0.5,1
c,0,3,3
c,0.2,3.1,2.9
c,0.4,3.3,2.5
EOF
printf '1 0 0 0 1\n1 1 1 1 2\n1 2 2 0 3\n2 0 5 5 5\n2 3 4 4 4\n' >"$dir/flow3.txt"

# Help and arguments.
expect_status "--help" 0 --help
check "--help shows the usage" grep -q "usage: vortan-convert" "$dir/out"
check "--help names every option" sh -c "grep -q -- --size '$dir/out' && grep -q -- --margin '$dir/out' &&
    grep -q -- --dimension '$dir/out' && grep -q -- --tmax '$dir/out'"
expect_status "no arguments" 2
expect_status "no output" 2 "$dir/flow.csv"
check "no output is explained" stderr_has "no output file"
expect_status "unknown option" 2 --colour "$dir/flow.csv" -o "$dir/x.math"
check "unknown option is named" stderr_has "unknown option --colour"
expect_status "two inputs" 2 "$dir/flow.csv" "$dir/flow3.txt" -o "$dir/x.math"
for bad in 0x600 800x0 16385x10 800 800x600x2 ax600 -3x600; do
    expect_status "--size $bad" 2 --size "$bad" "$dir/flow.csv" -o "$dir/x.math"
done
for bad in -0.1 11 nan abc; do
    expect_status "--margin $bad" 2 --margin "$bad" "$dir/flow.csv" -o "$dir/x.math"
done
expect_status "--dimension 4" 2 --dimension 4 "$dir/flow.csv" -o "$dir/x.math"
for bad in 0 -1 inf x; do
    expect_status "--tmax $bad" 2 --tmax "$bad" "$dir/flow.csv" -o "$dir/x.math"
done
check "refused arguments write nothing" test ! -e "$dir/x.math"

# Input that cannot be used.
expect_status "missing input" 1 "$dir/none.csv" -o "$dir/x.math"
check "missing input is named" stderr_has "cannot read $dir/none.csv"
printf 'id,t,x,y\n1,0,0,0\n1,zero,1,1\n' >"$dir/bad.csv"
echo "the previous picture file" >"$dir/keep.math"
expect_status "malformed table" 1 "$dir/bad.csv" -o "$dir/keep.math"
check "malformed table names file, line and column" \
    stderr_has "$dir/bad.csv:3: column 2 (t): \"zero\" is not a finite number"
check "failed conversion keeps the previous file" \
    grep -qx "the previous picture file" "$dir/keep.math"
expect_status "3-D without a z column" 1 --dimension 3 "$dir/flow.csv" -o "$dir/keep.math"
check "3-D without z is explained" stderr_has "three dimensions need a z column"
check "previous file still kept" grep -qx "the previous picture file" "$dir/keep.math"
check "no temporary file left behind" sh -c "[ \$(ls -A '$dir' | grep -c tmp) -eq 0 ]"
mkdir "$dir/locked"
chmod a-w "$dir/locked"
if [ "$(id -u)" != 0 ]; then
    expect_status "unwritable output folder" 1 "$dir/flow.csv" -o "$dir/locked/x.math"
    check "unwritable output is named" stderr_has "cannot write $dir/locked/x.math"
fi
expect_status "output in a missing folder" 1 "$dir/flow.csv" -o "$dir/no/such/x.math"
check "missing folder is named" stderr_has "cannot write $dir/no/such/x.math"

# A 2-D table.
expect_status "2-D table" 0 --size 320x200 "$dir/flow.csv" -o "$dir/flow.math"
check "header: size, dimension, tMax, progress" \
    test "$(head -5 "$dir/flow.math" | tr '\n' ' ')" = "320. 200. 2. 2. 33.333332 "
check "header: x range with 5 % margin" \
    test "$(sed -n 6,7p "$dir/flow.math" | tr '\n' ' ')" = "-1.215 3.515 "
check "three records" test "$(tail -n +12 "$dir/flow.math" | grep -c '^{{')" -eq 3
check "every record over 200 characters" \
    sh -c "tail -n +12 '$dir/flow.math' | awk 'length(\$0) < 200 { bad = 1 } END { exit bad }'"
check "no z function in 2-D" sh -c "! grep -q 'z ->' '$dir/flow.math'"

# The same table replaces an existing file, also from standard input.
run - -o "$dir/keep.math" <"$dir/flow.csv"
check "standard input replaces the previous file" sh -c "[ $status -eq 0 ] &&
    ! grep -q previous '$dir/keep.math' && tail -n +12 '$dir/keep.math' | grep -q '^{{'"

# A 3-D table of blank-separated columns.
expect_status "3-D table" 0 "$dir/flow3.txt" -o "$dir/flow3.math"
check "header says 3 dimensions" test "$(sed -n 3p "$dir/flow3.math")" = "3."
check "records carry z" test "$(grep -c 'z -> InterpolatingFunction' "$dir/flow3.math")" -eq 2
run --dimension 2 "$dir/flow3.txt" -o "$dir/flow3as2.math"
check "--dimension 2 leaves z out" sh -c "[ $status -eq 0 ] && [ \"\$(sed -n 3p '$dir/flow3as2.math')\" = 2. ] &&
    ! grep -q 'z ->' '$dir/flow3as2.math'"

# A single-point streamline is left out with a warning.
printf '1 0 0 0\n1 1 1 1\nlonely 0 3 3\n' >"$dir/lonely.txt"
expect_status "single-point streamline" 0 "$dir/lonely.txt" -o "$dir/lonely.math"
check "single point is reported" stderr_has "streamline lonely has a single point and is left out"

# Round trip: the written files draw without a skipped record.
if [ -x "$render" ]; then
    for f in flow flow3; do
        if "$render" "$dir/$f.math" -o "$dir/$f.bmp" >"$dir/rout" 2>"$dir/rerr"; then
            pass "vortan-render draws $f.math"
        else
            fail "vortan-render draws $f.math"
            sed 's/^/      /' "$dir/rerr"
        fi
        check "$f.bmp is a bitmap" test "$(head -c 2 "$dir/$f.bmp" 2>/dev/null)" = BM
        check "no record of $f.math skipped" sh -c "! grep -q skipped '$dir/rerr'"
    done
    # Newer Mathematica layouts draw the picture of their classic twin.
    fixtures=$src/tests/fixtures/modern
    "$render" "$fixtures/circle_classic.math" -o "$dir/classic.bmp" >/dev/null 2>&1
    for f in circle_v8 circle_v10_cellcontext circle_v10_put circle_v10_backslash_crlf; do
        "$render" "$fixtures/$f.math" -o "$dir/$f.bmp" >/dev/null 2>"$dir/rerr"
        check "$f.math draws the classic picture" cmp -s "$dir/classic.bmp" "$dir/$f.bmp"
    done
else
    echo "skip: $render not built, no render round trip"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all checks passed"
