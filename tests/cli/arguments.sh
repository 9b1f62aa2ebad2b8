#!/bin/sh
# Argument handling shared by every command-line tool: one table of refused
# arguments run against each tool (the same two-line message, exit status 2,
# nothing written), then --help and --version.
# Usage: sh arguments.sh BUILD_DIR SOURCE_DIR
build=$1 source=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/vortan-arguments.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
failures=0 cases=0
version=$(sed -n 's/^project(vortan VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")

check() { # description, condition
    cases=$((cases + 1))
    if eval "$2"; then echo "ok   $1"; else failures=$((failures + 1)); echo "FAIL $1: $(cat "$work/err")"; fi
}

printf 'id,t,x,y\na,0,0,0\na,1,1,1\n' >"$work/in.csv"
# Each tool with arguments it accepts: the input and output, then the flow.
valid_vortan_render="$source/examples/double-gyre.math -o $work/out.bmp"
valid_vortan_convert="$work/in.csv -o $work/out.math"
valid_vortan_flowgen="double-gyre -o $work/out.math"
valid_vortan_trace="$source/tests/fixtures/fields/gyre_ascii.vti -o $work/out.math"

# name | arguments (VALID stands for the tool's valid ones) | text the message must hold
refused='unknown option|--bogus VALID|--bogus
unknown option alone|--bogus|--bogus
unknown option and nothing required|--bogus --quiet|--bogus
unknown short option|-Z VALID|-Z
repeated output|-o $work/a -o $work/b VALID|--output given more than once
repeated output, joined forms|-o$work/a --output=$work/b VALID|--output given more than once
output without its value|VALID -o|--output
extra positional|VALID surplus|surplus
nothing at all||is required
only an option|--quiet|'

for tool in vortan-render vortan-convert vortan-flowgen vortan-trace; do
    exe="$build/$tool"
    [ -x "$exe" ] || { echo "FAIL $tool not built"; failures=$((failures + 1)); continue; }
    eval "valid=\$valid_$(echo "$tool" | tr - _)"
    echo "$refused" | while IFS='|' read -r name args text; do
        line=$(eval "echo $args" | sed "s|VALID|$valid|")
        # shellcheck disable=SC2086
        "$exe" $line >"$work/out" 2>"$work/err"
        status=$?
        first=$(sed -n 1p "$work/err") second=$(sed -n 2p "$work/err")
        ok=1
        [ "$status" -eq 2 ] || ok=0
        case $first in "$tool: "*"$text"*) ;; *) ok=0 ;; esac
        [ "$second" = "Try '$tool --help'." ] || ok=0
        [ "$(wc -l <"$work/err")" -eq 2 ] || ok=0
        [ -s "$work/out" ] && ok=0
        [ -e "$work/out.bmp" ] || [ -e "$work/out.math" ] || [ -e "$work/a" ] || [ -e "$work/b" ] && ok=0
        if [ $ok -eq 1 ]; then
            echo "ok   $tool: $name"
        else
            echo "FAIL $tool: $name (exit $status): $(cat "$work/err")"
            echo x >>"$work/failed"
        fi
    done
    "$exe" --help >"$work/out" 2>"$work/err"
    status=$?
    check "$tool --help: exit 0, usage on stdout, nothing on stderr" \
        '[ $status -eq 0 ] && grep -q "^Usage: $tool" "$work/out" && grep -q -- "--version" "$work/out" && [ ! -s "$work/err" ]'
    "$exe" --version >"$work/out" 2>"$work/err"
    status=$?
    check "$tool --version: exit 0, the project version" \
        '[ $status -eq 0 ] && [ "$(cat "$work/out")" = "$tool $version" ] && [ ! -s "$work/err" ]'
    # shellcheck disable=SC2086
    "$exe" $valid >"$work/out" 2>"$work/err"
    status=$?
    check "$tool: the valid arguments are taken" '[ $status -eq 0 ] && [ -s "$work/out.bmp" -o -s "$work/out.math" ]'
    rm -f "$work/out.bmp" "$work/out.math"
done
[ -e "$work/failed" ] && failures=$((failures + $(wc -l <"$work/failed")))
echo "$cases checks and the refused-argument table, $failures failed"
[ "$failures" -eq 0 ]
