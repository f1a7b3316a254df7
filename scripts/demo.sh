#!/usr/bin/env bash
# A demonstration of Tarnwick on a virtual two-monitor desktop of its own:
# Xorg with the dummy driver, openbox and trayer as the tray host. It starts
# tarnwick with throw-away preferences, puts the pointer on the right-hand
# monitor, opens an xterm on the left-hand one and shows that the window was
# moved under the pointer. Everything it started is ended when it exits.
#
#   demo.sh [--check] [--program PATH] [--screenshot FILE] [--base N]
#     --check       for the tests: no screenshot unless --screenshot is given;
#                   the exit status is 1 when the window was not moved
#     --program     the tarnwick executable (default: build/src/ui/tarnwick, then $PATH)
#     --screenshot  where the picture of the desktop goes (default: a file in /tmp)
#     --base        first X display number to try (default 80)
#
# Runs as root (the private Xorg server needs it); re-runs itself with sudo otherwise.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")

args=("$@")
check=0 program= screenshot= base=80
while (($#)); do
  case $1 in
    --check) check=1; shift ;;
    --program) program=$2; shift 2 ;;
    --screenshot) screenshot=$2; shift 2 ;;
    --base) base=$2; shift 2 ;;
    -h | --help) sed -n '2,14p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "demo: unknown option $1" >&2; exit 2 ;;
  esac
done

if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || { echo "demo: must run as root (Xorg)" >&2; exit 2; }
  exec sudo "$0" "${args[@]}"
fi

say() { echo "demo: $*"; }
fail() {
  echo "demo: FAILED: $*" >&2
  exit 1
}

if [[ -z $program ]]; then
  if [[ -x $root/build/src/ui/tarnwick ]]; then program=$root/build/src/ui/tarnwick
  else program=$(command -v tarnwick || true); fi
fi
[[ -n $program && -x $program ]] || fail "no tarnwick program found; build it first (scripts/run.sh) or pass --program"
for tool in Xorg openbox trayer xterm xdotool xrandr import; do
  command -v "$tool" >/dev/null || fail "$tool is missing; run scripts/install-deps.sh"
done

# shellcheck source=wait-for.sh
source "$(dirname "${BASH_SOURCE[0]}")/wait-for.sh"

work=$(mktemp -d /tmp/tarnwick-demo.XXXXXX)
# What the programs started here keep for the session stays in $work, which goes at the end.
mkdir -m 700 "$work/run" "$work/cache"
export XDG_RUNTIME_DIR=$work/run XDG_CACHE_HOME=$work/cache
pgroups=()
desktop_started=0

# Ends what this script started, newest first, then the X server.
tidy() {
  local status=$? pg deadline
  trap - EXIT INT TERM
  for pg in "${pgroups[@]}"; do kill -TERM -- "-$pg" 2>/dev/null || true; done
  deadline=$((SECONDS + 5))
  for pg in "${pgroups[@]}"; do
    while kill -0 -- "-$pg" 2>/dev/null && ((SECONDS < deadline)); do sleep 0.05; done
    kill -KILL -- "-$pg" 2>/dev/null || true
  done
  if ((desktop_started)); then
    bash "$here/virtual-desktop.sh" stop --state "$work/desktop" || true
  fi
  if ((status != 0)) && [[ -f $work/tarnwick.log ]]; then
    echo "demo: tarnwick's output:" >&2
    sed 's/^/  /' "$work/tarnwick.log" >&2
  fi
  rm -rf "$work"
  exit "$status"
}
trap tidy EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Starts a program in a process group of its own, so that tidy() ends all of
# it; its pid is left in $spawned.
spawned=
spawn() {
  local log=$1
  shift
  setsid "$@" </dev/null >"$log" 2>&1 &
  spawned=$!
  pgroups=("$spawned" "${pgroups[@]}")
}

# The left monitor is the primary one, with the tray on its top edge; the right
# one is larger, so the window's relative place is seen to be kept, not its offset.
left=(1280 800 0 0)
right=(1920 1080 1280 0)
layout="${left[0]}x${left[1]}+${left[2]}+${left[3]}*,${right[0]}x${right[1]}+${right[2]}+${right[3]}"
names=(DUMMY0 DUMMY1)

display=$(bash "$here/virtual-desktop.sh" start --base "$base" --wm --state "$work/desktop" "$layout")
desktop_started=1
export DISPLAY=$display
say "virtual desktop $DISPLAY: DUMMY0 ${left[0]}x${left[1]} at (${left[2]}, ${left[3]}), primary;" \
  "DUMMY1 ${right[0]}x${right[1]} at (${right[2]}, ${right[3]}); window manager openbox"

# A backdrop that tells the monitors apart in the screenshot.
if ((!check)); then
  convert -size "$((right[2] + right[0]))x$((right[1] > left[1] ? right[1] : left[1]))" xc:'#1a1a1a' \
    -fill '#26425c' -draw "rectangle 0,0 $((left[0] - 1)),$((left[1] - 1))" \
    -fill '#2f4f3a' -draw "rectangle ${right[2]},0 $((right[2] + right[0] - 1)),$((right[1] - 1))" \
    -font DejaVu-Sans -pointsize 36 -fill '#ffffffa0' \
    -annotate "+30+$((left[1] - 30))" 'DUMMY0 (primary)' \
    -annotate "+$((right[2] + 30))+$((right[1] - 30))" 'DUMMY1' "$work/backdrop.png" || true
  # display sets the root's background, then reports a failure to keep a window open.
  [[ -f $work/backdrop.png ]] && { display -window root "$work/backdrop.png" >/dev/null 2>&1 || true; }
fi

spawn "$work/trayer.log" trayer --edge top --align right --monitor primary --widthtype request \
  --height 24 --SetDockType true --SetPartialStrut true --transparent true --alpha 0 \
  --tint 0x303030
# trayer's panel is the one of its windows that reserves room on the screen.
tray=
find_tray() {
  local w
  for w in $(xdotool search --class trayer 2>/dev/null); do
    xprop -id "$w" _NET_WM_STRUT_PARTIAL 2>/dev/null | grep -q '=' && tray=$w && return 0
  done
  return 1
}
wait_for 20 find_tray || fail "the tray host trayer did not come up"

# Preferences and the autostart entry go to a throw-away folder, never the user's.
mkdir -p "$work/config"
spawn "$work/tarnwick.log" env XDG_CONFIG_HOME="$work/config" "$program"
tarnwick_pid=$spawned
# Its tray icon (or, without a tray, its settings window) shows that it is up.
wait_for 20 xdotool search --pid "$tarnwick_pid" ||
  fail "tarnwick showed no window within 20 s"
say "tarnwick running: $program (pid $tarnwick_pid), preferences in $work/config"

# The monitor whose frame holds a point: 0 (left), 1 (right) or -1.
monitor_of() {
  local x=$1 y=$2
  if ((x >= left[2] && x < left[2] + left[0] && y >= left[3] && y < left[3] + left[1])); then
    echo 0
  elif ((x >= right[2] && x < right[2] + right[0] && y >= right[3] && y < right[3] + right[1])); then
    echo 1
  else
    echo -1
  fi
}

point_at() {
  xdotool mousemove "$1" "$2"
  wait_for 5 bash -c "xdotool getmouselocation | grep -q '^x:$1 y:$2 '" ||
    fail "the pointer could not be moved to ($1, $2)"
}

# The window's frame (decorations included), as the window manager placed it:
# FX FY FW FH, and the monitor under its centre in ON.
window=
frame() {
  local out ext l=0 r=0 t=0 b=0
  # xwininfo, not xdotool: xdotool's position of a framed window is off by the frame.
  out=$(xwininfo -id "$window" 2>/dev/null) || return 1
  local X Y WIDTH HEIGHT
  X=$(awk '/Absolute upper-left X:/{print $NF}' <<<"$out")
  Y=$(awk '/Absolute upper-left Y:/{print $NF}' <<<"$out")
  WIDTH=$(awk '/^ *Width:/{print $NF}' <<<"$out")
  HEIGHT=$(awk '/^ *Height:/{print $NF}' <<<"$out")
  [[ $X =~ ^-?[0-9]+$ && $Y =~ ^-?[0-9]+$ && $WIDTH =~ ^[0-9]+$ && $HEIGHT =~ ^[0-9]+$ ]] || return 1
  ext=$(xprop -id "$window" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= *//p' | tr -d ' ')
  [[ $ext =~ ^([0-9]+),([0-9]+),([0-9]+),([0-9]+)$ ]] &&
    l=${BASH_REMATCH[1]} r=${BASH_REMATCH[2]} t=${BASH_REMATCH[3]} b=${BASH_REMATCH[4]}
  FX=$((X - l)) FY=$((Y - t)) FW=$((WIDTH + l + r)) FH=$((HEIGHT + t + b))
  ON=$(monitor_of $((FX + FW / 2)) $((FY + FH / 2)))
}

xterm_pid=
open_xterm() {
  spawn "$work/xterm.log" xterm -T "Tarnwick demo" -fa "DejaVu Sans Mono" -fs 10 \
    -geometry 64x14+120+160 -hold -e echo "$1"
  xterm_pid=$spawned
  find_window() { window=$(xdotool search --onlyvisible --pid "$xterm_pid" | head -n1) && [[ -n $window ]]; }
  wait_for 20 find_window || fail "the xterm did not appear"
}

# The place the window manager gives the window: seen with the pointer on the
# window's own monitor, where Tarnwick leaves it alone.
point_at $((left[2] + left[0] / 2)) $((left[3] + left[1] / 2))
open_xterm "A first try, to see where this window opens."
wait_for 5 frame || fail "cannot read the xterm's place"
before=("$FX" "$FY" "$FW" "$FH")
[[ $ON == 0 ]] || fail "the xterm opened on ${names[$ON]:-no monitor}, not on DUMMY0"
kill -TERM -- "-$xterm_pid" 2>/dev/null || true
wait_for 10 bash -c "! xdotool search --onlyvisible --pid $xterm_pid" || fail "the first xterm did not close"
say "before: an xterm opens at (${before[0]}, ${before[1]}), ${before[2]}x${before[3]}, on DUMMY0"

# The same window again, now with the pointer on the other monitor.
pointer=($((right[2] + right[0] / 2)) $((right[3] + right[1] / 2)))
point_at "${pointer[@]}"
say "pointer on DUMMY1 at (${pointer[0]}, ${pointer[1]}); opening the xterm again"
open_xterm "Opened on the left monitor, with the pointer on the right one."
moved() { frame && [[ $ON == 1 ]]; }
started=$SECONDS
if ! wait_for 10 moved; then
  frame || true
  fail "the window was not moved: it is at ($FX, $FY) after $((SECONDS - started)) s"
fi
kill -0 "$tarnwick_pid" 2>/dev/null || fail "tarnwick has ended"
say "after:  the xterm is at ($FX, $FY), ${FW}x${FH}, on DUMMY1 under the pointer"
if ((FW != before[2] || FH != before[3])); then
  fail "the window's size changed from ${before[2]}x${before[3]} to ${FW}x${FH}"
fi

# Its relative place in the free room of each monitor's visible area
# (0 = left or top edge, 1 = right or bottom edge); the tray's strut is
# taken off the top of the left monitor.
strut=$(xprop -id "$tray" _NET_WM_STRUT_PARTIAL 2>/dev/null | sed -n 's/.*= *//p' | cut -d, -f3 | tr -d ' ')
strut=${strut:-0}
relative() { # x y w h  vx vy vw vh
  awk -v x="$1" -v y="$2" -v w="$3" -v h="$4" -v vx="$5" -v vy="$6" -v vw="$7" -v vh="$8" '
    function clamp(v) { return v < 0 ? 0 : (v > 1 ? 1 : v) }
    function room(a, b) { return a - b < 1 ? 1 : a - b }
    BEGIN { printf "%.2f, %.2f", clamp((x - vx) / room(vw, w)), clamp((y - vy) / room(vh, h)) }'
}
say "relative place: ($(relative "${before[@]}" "${left[2]}" $((left[3] + strut)) "${left[0]}" \
  $((left[1] - strut)))) on DUMMY0 -> ($(relative "$FX" "$FY" "$FW" "$FH" "${right[2]}" \
  "${right[3]}" "${right[0]}" "${right[1]}")) on DUMMY1"

if ((check)) && [[ -z $screenshot ]]; then
  say "done"
  exit 0
fi

# The last move is shown in the settings window: open it from the tray menu
# (a click on the icon opens the menu; Settings is the last entry but one).
# The program has no other way to tell, so this part is for the picture only.
settings=
find_settings() {
  settings=$(xdotool search --onlyvisible --pid "$tarnwick_pid" --name . 2>/dev/null |
    while read -r w; do
      eval "$(xdotool getwindowgeometry --shell "$w" | grep -E '^(WIDTH|HEIGHT)=')"
      ((WIDTH >= 400 && HEIGHT >= 300)) && echo "$w"
    done | head -n1)
  [[ -n $settings ]]
}
icon=$(xdotool search --pid "$tarnwick_pid" 2>/dev/null | while read -r w; do
  xwininfo -id "$w" 2>/dev/null | grep -q 'Map State: IsViewable' &&
    xwininfo -id "$w" | grep -qE 'Width: (1[6-9]|2[0-9]|3[0-2])$' && echo "$w"
done | head -n1)
if [[ -n $icon ]] && xdotool mousemove --window "$icon" 8 8 click 1 &&
  wait_for 5 bash -c "xdotool search --onlyvisible --pid $tarnwick_pid | wc -l | grep -qv '^1$'" &&
  xdotool key Up Up Return && wait_for 5 find_settings; then
  # Beside the place the xterm opened at, which the picture marks.
  xdotool windowmove "$settings" $((before[0] + before[2] + 30)) 60 || true
  # The list of applications is read every 2 s and may not show the xterm yet:
  # the picture waits for the window to change, for up to one more reading.
  picture() { import -silent -window "$settings" rgb:- 2>/dev/null | md5sum; }
  settled=
  settles() {
    local first
    first=$(picture) && sleep 0.2 && [[ $(picture) == "$first" ]] && settled=$first
  }
  wait_for 5 settles || true
  opened=$settled
  changes() { settles && [[ $settled != "$opened" ]]; }
  wait_for 3 changes || true
  say "last move: see the settings window in the screenshot"
else
  say "last move: shown in the settings window (it could not be opened here)"
fi
xdotool mousemove "${pointer[@]}"

screenshot=${screenshot:-/tmp/tarnwick-demo-$(date +%Y%m%d-%H%M%S).png}
mkdir -p "$(dirname "$screenshot")"
# Marks where the window opened and where the pointer was: import leaves the pointer out.
px=${pointer[0]} py=${pointer[1]}
import -window root "$work/shot.png" &&
  convert "$work/shot.png" -fill none -stroke '#f0c040' -strokewidth 3 \
    -draw "stroke-dasharray 12 8 rectangle ${before[0]},${before[1]} $((before[0] + before[2])),$((before[1] + before[3]))" \
    -stroke none -fill '#f0c040' -font DejaVu-Sans -pointsize 26 \
    -annotate "+${before[0]}+$((before[1] + before[3] + 34))" 'opened here' \
    -fill white -stroke black -strokewidth 2 \
    -draw "polygon $px,$py $px,$((py + 36)) $((px + 9)),$((py + 27)) $((px + 16)),$((py + 42)) $((px + 22)),$((py + 39)) $((px + 15)),$((py + 25)) $((px + 26)),$((py + 25))" \
    -resize 50% "$screenshot" || fail "the screenshot could not be saved"
say "screenshot: $screenshot"
say "done; ending the virtual desktop"
