#!/bin/sh
# Starts the desktop program; where it is not built, renders an example instead.
build=$1
root=$(cd "$(dirname "$0")/.." && pwd)
if [ -x "$build/vortan" ]; then
  if [ -z "$DISPLAY" ] && [ -z "$WAYLAND_DISPLAY" ]; then
    echo "No display found: starting Vortan under a virtual X server (xvfb-run)."
    exec xvfb-run -a "$build/vortan"
  fi
  cd "$root" && exec "$build/vortan"
fi
out="$build/double-gyre.bmp"
"$build/vortan-render" "$root/examples/double-gyre.math" -o "$out" && echo "Wrote $out"
