#!/usr/bin/env bash
# Sets up and runs Tarnwick on a Debian 12 machine: installs the packages it
# needs, builds it (Release, in ./build), then runs it on your desktop when
# $DISPLAY answers, or else shows the demo session on a virtual desktop.
# Extra arguments go to demo.sh when there is no desktop.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)" --target tarnwick

program=$PWD/build/src/ui/tarnwick
if [[ -n ${DISPLAY:-} ]] && xset q >/dev/null 2>&1; then
  # Under sudo, the program belongs to the user whose desktop it is.
  if [[ $(id -u) -eq 0 && -n ${SUDO_USER:-} && $SUDO_USER != root ]]; then
    echo "run: starting Tarnwick on $DISPLAY as $SUDO_USER (quit it from its tray menu)"
    exec sudo -u "$SUDO_USER" env DISPLAY="$DISPLAY" ${XAUTHORITY:+XAUTHORITY="$XAUTHORITY"} \
      "$program"
  fi
  echo "run: starting Tarnwick on $DISPLAY (quit it from its tray menu)"
  exec "$program"
fi

echo "run: no desktop answers on DISPLAY='${DISPLAY:-}'; showing the demo session instead"
exec bash scripts/demo.sh --program "$program" "$@"
