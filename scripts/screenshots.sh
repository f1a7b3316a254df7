#!/usr/bin/env bash
# Takes the pictures of the user interface in docs/: the tray menu, both
# settings tabs and the About window, from the built program on a throw-away
# X desktop (Xorg dummy driver, openbox, trayer as the system tray).
#
#   scripts/screenshots.sh [BUILD_DIR]     (default: build; run as root)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build}
program=$root/$build/src/ui/tarnwick
docs=$root/docs
[[ -x $program ]] || { echo "screenshots: no program at $program; build first" >&2; exit 1; }
for tool in xdotool trayer import xwininfo; do
  command -v "$tool" >/dev/null || { echo "screenshots: $tool missing (scripts/install-deps.sh)" >&2; exit 1; }
done

work=$(mktemp -d /tmp/tarnwick-shots.XXXXXX)
state=$work/desktop.state
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  [[ -f $state ]] && bash scripts/virtual-desktop.sh stop --state "$state" || true
  rm -rf "$work"
}
trap cleanup EXIT

display=
for n in $(seq 70 79); do
  if display=$(bash scripts/virtual-desktop.sh start --display "$n" --wm --state "$state" \
    '1280x720+0+0*' 2>"$work/desktop.err"); then
    break
  fi
  display=
done
[[ -n $display ]] || { cat "$work/desktop.err" >&2; exit 1; }
export DISPLAY=$display

# A fresh home: no preferences, no autostart entry, no session bus.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset DBUS_SESSION_BUS_ADDRESS SESSION_MANAGER
export QT_QPA_PLATFORM=xcb QT_STYLE_OVERRIDE=Fusion QT_SCALE_FACTOR=1
xsetroot -solid '#5b7a99'

# Two running applications for the list, one of them switched off.
mkdir -p "$XDG_CONFIG_HOME/tarnwick"
echo '{"excludedBundleIdentifiers": ["UXTerm"]}' >"$XDG_CONFIG_HOME/tarnwick/defaults.json"
xterm -geometry 60x10+700+420 >/dev/null 2>&1 &
pids+=($!)
xterm -class UXTerm -geometry 60x10+700+580 >/dev/null 2>&1 &
pids+=($!)

trayer --edge top --align right --widthtype request --height 28 --SetDockType true \
  --SetPartialStrut true --transparent false --tint 0xe8e8e8 --distance 0 \
  >"$work/trayer.log" 2>&1 &
pids+=($!)
"$program" >"$work/tarnwick.log" 2>&1 &
pids+=($!)

wait_for() {
  local deadline=$((SECONDS + 15))
  until "$@" >/dev/null 2>&1; do
    ((SECONDS < deadline)) || { echo "screenshots: timed out waiting for: $*" >&2; cat "$work/tarnwick.log" >&2; exit 1; }
    sleep 0.1
  done
}
visible_window() { xdotool search --onlyvisible --name "$1" | head -1 | grep .; }
# Geometry of a window as X Y W H in root coordinates.
geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF}
    /Width:/{w=$NF} /Height:/{h=$NF} END{print x, y, w, h}'
}
# The tray icon: the docked window trayer holds, found under the pointer's strip.
tray_icon() { xdotool search --onlyvisible --class '^tarnwick$' 2>/dev/null | while read -r id; do
  read -r x y w h < <(geometry "$id"); ((w <= 64 && h <= 64 && y < 40)) && { echo "$id"; break; }
done | grep .; }
# The open menu: an override-redirect window of ours that is not the tray icon.
menu_window() { xwininfo -root -children | awk '/"tarnwick"/{print $1}' | while read -r id; do
  xwininfo -id "$id" | grep -q 'Map State: IsViewable' || continue
  read -r x y w h < <(geometry "$id"); ((h > 100 && w < 600)) && { echo "$id"; break; }
done | grep .; }
shoot() { # window file [padding]
  local pad=${3:-0} x y w h
  read -r x y w h < <(geometry "$1")
  import -silent -window root -crop "$((w + 2 * pad))x$((h + 2 * pad))+$((x - pad))+$((y - pad))" \
    +repage "$2"
}
open_menu() {
  local icon=$1 x y w h
  read -r x y w h < <(geometry "$icon")
  xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1
  wait_for menu_window
  sleep 0.4
}

wait_for tray_icon
icon=$(tray_icon)
sleep 2.5

# The menu, with the tray above it.
open_menu "$icon"
menu=$(menu_window)
read -r mx my mw mh < <(geometry "$menu")
read -r ix iy iw ih < <(geometry "$icon")
left=$((mx < ix ? mx : ix)); left=$((left - 12)); ((left < 0)) && left=0
right=$((mx + mw > ix + iw ? mx + mw : ix + iw)); right=$((right + 12)); ((right > 1280)) && right=1280
import -silent -window root -crop "$((right - left))x$((my + mh + 12))+${left}+0" +repage "$docs/menu.png"

# Settings, second entry from the bottom; About, third.
xdotool key Up Up Return
wait_for visible_window '^Tarnwick$'
settings=$(visible_window '^Tarnwick$')
xdotool windowmove "$settings" 120 80
sleep 0.8
shoot "$settings" "$docs/settings-general.png"
xdotool windowactivate --sync "$settings" key ctrl+Tab
wait_for visible_window '^Help$'
sleep 0.5
shoot "$settings" "$docs/settings-help.png"

open_menu "$icon"
xdotool key Up Up Up Return
wait_for visible_window '^About Tarnwick$'
about=$(visible_window '^About Tarnwick$')
xdotool windowmove "$about" 760 80
sleep 0.8
shoot "$about" "$docs/about.png"

echo "screenshots: wrote docs/menu.png docs/settings-general.png docs/settings-help.png docs/about.png"
