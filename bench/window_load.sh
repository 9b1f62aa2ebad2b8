#!/bin/sh
# The animation window under Xvfb: ticks per second and CPU share of the
# window's process and of the X server, for the cases README reports.
# The last case also times the dense picture's paint against a copy of its
# size painted beside it, so the screen holds two 1920 x 1080 windows.
# Usage: sh bench/window_load.sh BUILD_DIR [SECONDS]
set -e
build=${1:-build}
seconds=${2:-10}
tool="$build/bench/vortan-window-load"
display=:97
Xvfb $display -screen 0 3860x1200x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null' EXIT
sleep 1
for args in "640 320 1 50" "640 320 7 50" "1600 1000 1 10" "1600 1000 7 10"; do
    # shellcheck disable=SC2086
    DISPLAY=$display QT_QPA_PLATFORM=xcb VORTAN_X_SERVER_PID=$xvfb "$tool" $args "$seconds"
done
DISPLAY=$display QT_QPA_PLATFORM=xcb VORTAN_X_SERVER_PID=$xvfb \
    "$tool" --against-copy 1920 1080 7 10 "$seconds" 2000
