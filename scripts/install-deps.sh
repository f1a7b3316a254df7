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
  libxcb-xinerama0-dev libglib2.0-dev
  libgtest-dev libgmock-dev googletest
  # run
  libxcb-cursor0 fonts-dejavu-core
  # end-to-end tests, demo session and screenshots
  xserver-xorg-core xserver-xorg-video-dummy xauth
  xvfb openbox icewm fluxbox metacity gtk-3-examples xdotool xterm x11-xserver-utils x11-utils x11-apps trayer imagemagick
  xcvt xtrace
  # unit tests: the desktop's own launcher runs the autostart entry, the
  # reference validator reads it
  libglib2.0-bin desktop-file-utils
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

# sudo resets the environment: the variable goes through env, or a package
# such as keyboard-configuration stops at a question on the terminal.
apt=(env DEBIAN_FRONTEND=noninteractive apt-get -y -q -o Dpkg::Use-Pty=0
  -o Dpkg::Options::=--force-confdef -o Dpkg::Options::=--force-confold)
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "install-deps: missing ${missing[*]}; run as root" >&2; exit 1; }
  # Asks for the password now, while the terminal is still ours.
  sudo -v
  apt=(sudo "${apt[@]}")
fi

# The full apt and dpkg output goes to a file in the caller's own home, shown only on failure.
home=$(getent passwd "$(id -u)" | cut -d: -f6)
log=${home:-/root}/.cache/tarnwick/install-deps.log
mkdir -p "$(dirname "$log")"
n=${#missing[@]}
echo "install-deps: installing $n package$( ((n == 1)) || echo s), log in $log"
if ! { "${apt[@]}" update && "${apt[@]}" install --no-install-recommends "${missing[@]}"; } \
  </dev/null >"$log" 2>&1; then
  echo "install-deps: FAILED; the log $log follows" >&2
  cat "$log" >&2
  exit 1
fi
