#!/usr/bin/env bash
# Installs every Debian package Tarnwick needs to build, test and run.
# Idempotent: when everything is present it only checks and exits.
set -euo pipefail

PACKAGES=(
  # build
  build-essential cmake pkg-config git clang-format
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
  qt6-svg-dev libqt6svg6
  libxcb1-dev libxcb-randr0-dev libxcb-res0-dev libxcb-icccm4-dev
  libxcb-xinerama0-dev
  libgtest-dev libgmock-dev googletest
  # run
  libxcb-cursor0 fonts-dejavu-core
  # end-to-end tests, demo session and screenshots
  xserver-xorg-core xserver-xorg-video-dummy xauth
  openbox xdotool xterm x11-xserver-utils x11-utils x11-apps trayer imagemagick
  xcvt xtrace
  # packaging
  dpkg-dev file
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all ${#PACKAGES[@]} packages present"
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null; then SUDO=sudo; else
    echo "install-deps: missing ${missing[*]}; run as root" >&2; exit 1
  fi
else
  SUDO=
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
