#!/bin/sh
# Installs the Debian packages Vortan needs to build, test and run.
# Idempotent: when every package is present it does nothing.
set -e
PKGS="cmake make g++ clang libclang-rt-14-dev googletest libgtest-dev libgmock-dev \
libbenchmark-dev qt6-base-dev libgif-dev libpng-dev zlib1g-dev pkg-config \
xvfb xauth libgl1-mesa-dri libqt6opengl6-dev clang-format dpkg-dev \
libcli11-dev libnetcdf-dev netcdf-bin libmuparser-dev libexpat1-dev \
libavformat-dev libavcodec-dev libavutil-dev libswscale-dev ffmpeg chromium libdeflate-dev"
missing=""
for p in $PKGS; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends $missing
