#!/bin/sh
# Installs the build into temporary prefixes and checks that every file is in
# its place and that the program looks for its help where it is installed.
# Usage: install.sh BUILD_DIR SOURCE_DIR
build=$1
src=$2
failures=0
root=$(mktemp -d) || exit 1
trap 'rm -rf "$root"' EXIT INT TERM

pass() { echo "ok:   $1"; }
fail() { echo "FAIL: $1"; failures=$((failures + 1)); }
check() { # description, test arguments...
    what=$1
    shift
    if "$@"; then pass "$what"; else fail "$what"; fi
}

prefix=$root/prefix
if ! cmake --install "$build" --prefix "$prefix" >"$root/install.log" 2>&1; then
    cat "$root/install.log"
    fail "cmake --install into a temporary prefix"
    exit 1
fi
pass "cmake --install into a temporary prefix"

# What this build holds decides what must be installed.
built() { [ -x "$build/$1" ]; }

if [ -f "$src/tools/vortan_render.cpp" ]; then
    check "bin/vortan-render" test -x "$prefix/bin/vortan-render"
    check "share/man/man1/vortan-render.1" test -s "$prefix/share/man/man1/vortan-render.1"
    check "installed vortan-render runs" sh -c "'$prefix/bin/vortan-render' --help >/dev/null"
fi
if built vortan-convert; then
    check "bin/vortan-convert" test -x "$prefix/bin/vortan-convert"
    check "share/man/man1/vortan-convert.1" test -s "$prefix/share/man/man1/vortan-convert.1"
fi
if built vortan; then
    check "bin/vortan" test -x "$prefix/bin/vortan"
    check "share/man/man1/vortan.1" test -s "$prefix/share/man/man1/vortan.1"
    desktop=$prefix/share/applications/vortan.desktop
    check "share/applications/vortan.desktop" test -s "$desktop"
    check "desktop entry starts vortan" grep -qx 'Exec=vortan' "$desktop"
    check "desktop entry names the icon" grep -qx 'Icon=vortan' "$desktop"
    icon=$prefix/share/icons/hicolor/48x48/apps/vortan.png
    check "share/icons/hicolor/48x48/apps/vortan.png" test -s "$icon"
    # PNG signature, then IHDR with width and height 48.
    head=$(od -A n -t x1 -N 24 "$icon" 2>/dev/null | tr -d ' \n')
    check "icon is a 48 x 48 PNG" test "$head" = "89504e470d0a1a0a0000000d494844520000003000000030"
fi
if [ -f "$src/vortan.hlp" ]; then
    check "share/vortan/vortan.hlp" cmp -s "$src/vortan.hlp" "$prefix/share/vortan/vortan.hlp"
fi
for page in "$prefix"/share/man/man1/*.1; do
    [ -f "$page" ] || continue
    if command -v groff >/dev/null 2>&1; then
        out=$(groff -man -Tutf8 -ww -z "$page" 2>&1)
        check "$(basename "$page") formats without warnings" test -z "$out"
    fi
done

# Installed where it was configured to go (DESTDIR keeps it in the temporary
# folder), the help file lies where the program looks for it.
configured=$(sed -n 's/^CMAKE_INSTALL_PREFIX:[A-Z]*=//p' "$build/CMakeCache.txt")
stage=$root/stage
if DESTDIR=$stage cmake --install "$build" >"$root/stage.log" 2>&1; then
    pass "DESTDIR install of prefix $configured"
    if built vortan && [ -f "$src/vortan.hlp" ]; then
        help=$configured/share/vortan/vortan.hlp
        check "help file at $help" test -s "$stage$help"
        # The path may be stored as UTF-16 (a Qt string literal).
        if command -v strings >/dev/null 2>&1; then
            bin=$stage$configured/bin/vortan
            check "vortan looks for $help" \
                sh -c "{ strings -a '$bin'; strings -a -el '$bin'; } | grep -qxF '$help'"
        fi
    fi
else
    cat "$root/stage.log"
    fail "DESTDIR install of prefix $configured"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all install checks passed"
