#!/bin/sh
# The animation window under Xvfb: ticks per second and CPU share of the
# window's process and of the X server, for the cases README reports.
# Usage: sh bench/window_load.sh BUILD_DIR [SECONDS]
set -e
build=${1:-build}
seconds=${2:-10}
tool="$build/bench/vortan-window-load"
display=:97
Xvfb $display -screen 0 1920x1200x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null' EXIT
sleep 1
for args in "640 320 1 50" "640 320 7 50" "1600 1000 1 10" "1600 1000 7 10"; do
    # shellcheck disable=SC2086
    DISPLAY=$display QT_QPA_PLATFORM=xcb VORTAN_X_SERVER_PID=$xvfb "$tool" $args "$seconds"
done
