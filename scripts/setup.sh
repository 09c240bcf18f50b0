#!/usr/bin/env bash
# Installs the Debian packages Scoutwell needs to build, run and test, when any is missing.
set -euo pipefail

packages=(cmake g++ make qt6-base-dev qt6-webengine-dev libgl-dev
          xvfb xauth xdotool xclip imagemagick clang-format fonts-dejavu-core ccache
          desktop-file-utils appstream dpkg-dev libssl-dev
          clang libclang-rt-dev)

# The Guard's default filter lists, as Debian ships them; installed without the package's
# Recommends, which would bring a whole second browser.
lists=(webext-ublock-origin-chromium)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

missing=()
missingLists=()
for p in "${lists[@]}"; do
    if ! installed "$p"; then missingLists+=("$p"); fi
done
for p in "${packages[@]}"; do
    if ! installed "$p"; then missing+=("$p"); fi
done
[ ${#missing[@]} -eq 0 ] && [ ${#missingLists[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]} ${missingLists[*]}"
$sudo apt-get update -q
if [ ${#missing[@]} -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
fi
if [ ${#missingLists[@]} -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends \
        "${missingLists[@]}"
fi
