#!/usr/bin/env bash
# Installs the Debian packages Scoutwell needs to build, run and test, when any is missing.
set -euo pipefail

packages=(cmake g++ make qt6-base-dev qt6-webengine-dev libgl-dev
          xvfb xauth xdotool xclip imagemagick clang-format fonts-dejavu-core ccache
          desktop-file-utils appstream dpkg-dev libssl-dev
          clang libclang-rt-dev libpsl-dev publicsuffix libpcre2-dev pkgconf
          openbox poppler-utils xdg-utils clamav-daemon clamav-freshclam)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
# The filter lists the guard's tests and bench read: Debian's copies, installed without their
# package's Recommends, which would bring a whole second browser.
lists=webext-ublock-origin-chromium
if dpkg-query -W -f='${Status}' $lists 2>/dev/null | grep -q "install ok installed"; then lists=""; fi
[ ${#missing[@]} -eq 0 ] && [ -z "$lists" ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]} $lists"
$sudo apt-get update -q
if [ ${#missing[@]} -ne 0 ]; then
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
fi
if [ -n "$lists" ]; then
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends $lists
fi
