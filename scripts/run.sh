#!/bin/sh
# Starts the desktop program; where it is not built, renders an example instead.
build=$1
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$build" && pwd)
if [ -x "$build/vortan" ]; then
  # From the source folder, so that ./vortan.hlp is found.
  cd "$root" || exit 1
  if [ -z "$DISPLAY" ] && [ -z "$WAYLAND_DISPLAY" ]; then
    echo "No display found: starting Vortan under a virtual X server (xvfb-run)."
    exec xvfb-run -a "$build/vortan"
  fi
  exec "$build/vortan"
fi
out="$build/double-gyre.bmp"
"$build/vortan-render" "$root/examples/double-gyre.math" -o "$out" && echo "Wrote $out"
