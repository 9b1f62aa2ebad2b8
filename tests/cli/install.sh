#!/bin/sh
# Installs the build into temporary prefixes and checks that every file is in
# its place and that the program looks for its help where it is installed.
# Usage: install.sh BUILD_DIR SOURCE_DIR
build=$1
src=$2
failures=0
root=$(mktemp -d) || exit 1
trap 'rm -rf "$root"' EXIT INT TERM

check() { # description, command...
    what=$1
    shift
    if "$@"; then echo "ok:   $what"; return 0; fi
    echo "FAIL: $what"
    failures=$((failures + 1))
    return 1
}
built() { [ -x "$build/$1" ]; }
# What this build holds decides what must be installed (vortan-render: always).
wanted() { built "$1" || { [ "$1" = vortan-render ] && [ -f "$src/tools/vortan_render.cpp" ]; }; }

prefix=$root/prefix
cmake --install "$build" --prefix "$prefix" >"$root/install.log" 2>&1 ||
    { cat "$root/install.log"; echo "FAIL: cmake --install into a temporary prefix"; exit 1; }
for tool in vortan-render vortan-convert vortan-trace vortan; do
    wanted "$tool" || continue
    check "bin/$tool" test -x "$prefix/bin/$tool"
    check "share/man/man1/$tool.1" test -s "$prefix/share/man/man1/$tool.1"
done
wanted vortan-render && check "installed vortan-render runs" sh -c "'$prefix/bin/vortan-render' --help >/dev/null"
if built vortan; then
    desktop=$prefix/share/applications/vortan.desktop
    check "desktop entry starts vortan" grep -qx 'Exec=vortan' "$desktop"
    check "desktop entry names the icon" grep -qx 'Icon=vortan' "$desktop"
    # PNG signature, then IHDR with width and height 48.
    head=$(od -A n -t x1 -N 24 "$prefix/share/icons/hicolor/48x48/apps/vortan.png" 2>/dev/null | tr -d ' \n')
    check "48 x 48 PNG icon" test "$head" = "89504e470d0a1a0a0000000d494844520000003000000030"
fi
[ -f "$src/vortan.hlp" ] && check "share/vortan/vortan.hlp" cmp -s "$src/vortan.hlp" "$prefix/share/vortan/vortan.hlp"
for page in "$prefix"/share/man/man1/*.1; do
    [ -f "$page" ] && command -v groff >/dev/null 2>&1 &&
        check "$(basename "$page") formats without warnings" test -z "$(groff -man -Tutf8 -ww -z "$page" 2>&1)"
done

# Installed where it was configured to go (DESTDIR keeps it in the temporary
# folder), the help file lies where the program looks for it (the path may be
# stored as UTF-16, a Qt string literal).
configured=$(sed -n 's/^CMAKE_INSTALL_PREFIX:[A-Z]*=//p' "$build/CMakeCache.txt")
stage=$root/stage
check "DESTDIR install of prefix $configured" sh -c "DESTDIR='$stage' cmake --install '$build' >'$root/stage.log' 2>&1" ||
    cat "$root/stage.log"
datadir=$configured/share/vortan
help=$datadir/vortan.hlp
if built vortan && [ -f "$src/vortan.hlp" ]; then
    check "help file at $help" test -s "$stage$help"
    bin=$stage$configured/bin/vortan
    command -v strings >/dev/null 2>&1 &&
        check "vortan looks for its help in $datadir" sh -c "{ strings -a '$bin'; strings -a -el '$bin'; } | grep -qxF '$datadir'"
fi

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "all install checks passed"
