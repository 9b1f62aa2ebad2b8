#!/bin/sh
# Installs what `make bench` needs beyond the build: matplotlib for the
# peer benchmark (bench/streamplot_peer.py). Idempotent.
set -e
if /usr/bin/python3 -c "import matplotlib, numpy" 2>/dev/null; then exit 0; fi
echo "Installing: python3-matplotlib"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends python3-matplotlib python3-numpy
