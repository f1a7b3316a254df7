#!/usr/bin/env bash
# Makes every picture in docs/ (placement.svg is drawn by hand):
#   menu.png, settings-general.png, settings-help.png, about.png: the menu and
#     windows rendered offscreen with a fixed font, style and size by
#     tarnwick-pictures; the test docs_pictures fails when they are out of date.
#   demo.png: the demo session's desktop (scripts/demo.sh).
#
#   scripts/pictures.sh [--widgets] [BUILD_DIR]
#     --widgets   only the menu and windows: seconds, no root, no X server
#     BUILD_DIR   the build folder (default: build); the programs needed are built there
#
# The desktop pictures take root (a private Xorg server); it re-runs itself with sudo.
set -euo pipefail
cd "$(dirname "$0")/.."

widgets=0
[[ ${1:-} == --widgets ]] && { widgets=1; shift; }
build=${1:-build}

if ((!widgets)) && [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || { echo "pictures: the desktop pictures need root" >&2; exit 1; }
  exec sudo -- bash scripts/pictures.sh "$@"
fi

[[ -f $build/CMakeCache.txt ]] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=(tarnwick-pictures)
((widgets)) || targets+=(tarnwick)
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"

made=(docs/menu.png docs/settings-general.png docs/settings-help.png docs/about.png)
# The offscreen platform warns about every window feature it lacks.
"$build/tests/docs/tarnwick-pictures" write docs 2> >(grep -v '^This plugin does not support' >&2)
if ((!widgets)); then
  bash scripts/demo.sh --program "$build/src/ui/tarnwick" --screenshot docs/demo.png
  made+=(docs/demo.png)
  # Under sudo, the pictures stay the calling user's.
  [[ -z ${SUDO_UID:-} ]] || chown "$SUDO_UID:$SUDO_GID" "${made[@]}"
fi
echo "pictures: wrote ${made[*]}"
