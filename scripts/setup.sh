#!/usr/bin/env bash
# Installs the Debian packages Scoutwell needs to build, run and test, when any is missing.
set -euo pipefail

packages=(cmake g++ make qt6-base-dev qt6-webengine-dev libgl-dev
          xvfb xauth xdotool xclip imagemagick clang-format fonts-dejavu-core ccache
          desktop-file-utils appstream dpkg-dev libssl-dev
          clang libclang-rt-dev)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
