#!/usr/bin/env bash
# Installs every Debian package the build, the program and the tests need.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  libhidapi-dev libudev-dev
  libx11-dev libxext-dev libxfixes-dev libxrender-dev libxcomposite-dev
  libcairo2-dev libpango1.0-dev libgdk-pixbuf-2.0-dev libfontconfig-dev
  zlib1g-dev libminizip-dev libcurl4-openssl-dev libdbus-1-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-open-sans fonts-dejavu-core fonts-liberation2 librsvg2-bin
  xvfb xdotool x11-utils x11-apps dbus python3
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
