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

# Polls a command until it succeeds or the deadline (seconds) passes.
wait_for() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@" >/dev/null 2>&1; do
    ((SECONDS < deadline)) || return 1
    sleep 0.05
  done
}

work=$(mktemp -d /tmp/tarnwick-demo.XXXXXX)
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

display=$(bash "$here/virtual-desktop.sh" start --base "$base" --wm --state "$work/desktop" "$layout")
desktop_started=1
export DISPLAY=$display
say "virtual desktop $DISPLAY: DUMMY0 ${left[0]}x${left[1]} at (${left[2]}, ${left[3]}), primary;" \
  "DUMMY1 ${right[0]}x${right[1]} at (${right[2]}, ${right[3]}); window manager openbox"

spawn "$work/trayer.log" trayer --edge top --align right --monitor primary --widthtype request \
  --height 24 --SetDockType true --SetPartialStrut true --transparent true --alpha 0 \
  --tint 0x303030
wait_for 20 xdotool search --classname trayer || fail "the tray host trayer did not come up"

# Preferences and the autostart entry go to a throw-away folder, never the user's.
mkdir -p "$work/config"
spawn "$work/tarnwick.log" env XDG_CONFIG_HOME="$work/config" "$program"
tarnwick_pid=$spawned
# Its tray icon (or, without a tray, its settings window) shows that it is up.
wait_for 20 xdotool search --pid "$tarnwick_pid" ||
  fail "tarnwick showed no window within 20 s"
say "tarnwick running: $program (pid $tarnwick_pid), preferences in $work/config"

pointer_x=$((right[2] + right[0] / 2)) pointer_y=$((right[3] + right[1] / 2))
xdotool mousemove "$pointer_x" "$pointer_y"
wait_for 5 bash -c "xdotool getmouselocation | grep -q '^x:$pointer_x y:$pointer_y '" ||
  fail "the pointer could not be moved"
say "pointer on DUMMY1 at ($pointer_x, $pointer_y)"

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

# Reads the xterm's position and size into X Y WIDTH HEIGHT.
geometry() {
  local out
  out=$(xdotool getwindowgeometry --shell "$window" 2>/dev/null) || return 1
  eval "$(grep -E '^(X|Y|WIDTH|HEIGHT)=-?[0-9]+$' <<<"$out")"
}

spawn "$work/xterm.log" xterm -T "Tarnwick demo" -fa "DejaVu Sans Mono" -fs 10 -geometry 64x14+120+160 -hold \
  -e echo "Opened on the left monitor, with the pointer on the right one."
window=
find_window() { window=$(xdotool search --onlyvisible --name '^Tarnwick demo$' | head -n1) && [[ -n $window ]]; }
wait_for 20 find_window || fail "the xterm did not appear"
geometry || fail "cannot read the xterm's geometry"
before=("$X" "$Y" "$WIDTH" "$HEIGHT")
# Tarnwick moves a window 80 ms after it appears; a slow machine may see it
# only afterwards, and then the place asked for is where it was opened.
if [[ $(monitor_of $((X + WIDTH / 2)) $((Y + HEIGHT / 2))) != 0 ]]; then
  say "window seen only after it was moved; it was opened at (120, 160) on DUMMY0"
else
  say "before: xterm at (${before[0]}, ${before[1]}), ${before[2]}x${before[3]}, on DUMMY0"
fi

moved() {
  geometry && [[ $(monitor_of $((X + WIDTH / 2)) $((Y + HEIGHT / 2))) == 1 ]]
}
started=$SECONDS
if ! wait_for 10 moved; then
  geometry || true
  fail "the window was not moved: still at ($X, $Y) after $((SECONDS - started)) s"
fi
kill -0 "$tarnwick_pid" 2>/dev/null || fail "tarnwick has ended"
say "after:  xterm at ($X, $Y), ${WIDTH}x${HEIGHT}, on DUMMY1 under the pointer"
if ((WIDTH != before[2] || HEIGHT != before[3])); then
  fail "the window's size changed from ${before[2]}x${before[3]} to ${WIDTH}x${HEIGHT}"
fi

# Its relative place inside each monitor (0 = left/top edge, 1 = right/bottom).
relative() {
  local -n f=$1
  awk -v p="$2" -v q="$3" -v w="$4" -v h="$5" -v fx="${f[2]}" -v fy="${f[3]}" \
    -v fw="${f[0]}" -v fh="${f[1]}" 'BEGIN {
      rx = (fw > w) ? (p - fx) / (fw - w) : 0; ry = (fh > h) ? (q - fy) / (fh - h) : 0
      printf "%.2f, %.2f", rx, ry }'
}
say "relative place: ($(relative left "${before[@]}")) on DUMMY0," \
  "($(relative right "$X" "$Y" "$WIDTH" "$HEIGHT")) on DUMMY1 (whole monitors; Tarnwick uses the areas free of panels)"
say "last action: shown as the last move in Tarnwick's settings window"

if [[ -n $screenshot ]] || ((!check)); then
  screenshot=${screenshot:-/tmp/tarnwick-demo-$(date +%Y%m%d-%H%M%S).png}
  mkdir -p "$(dirname "$screenshot")"
  import -window root -resize 50% "$screenshot" || fail "the screenshot could not be saved"
  say "screenshot: $screenshot"
fi
say "done; ending the virtual desktop"
