#!/usr/bin/env bash
# A throw-away multi-monitor X desktop: Xorg with the dummy driver, monitors
# laid out with xrandr, optionally a window manager. Used by the end-to-end tests,
# the benchmark, demo sessions and screenshots.
#
#   virtual-desktop.sh start [--base N | --display N] [--wm | --manager NAME] [--owner PID]
#                            [--state FILE] LAYOUT
#       LAYOUT: WxH+X+Y[*],...  one monitor each (DUMMY0, DUMMY1, ...), * = primary.
#       --wm: openbox. --manager: openbox, icewm (no taskbar), fluxbox (toolbar at
#       the bottom of the first monitor), xfwm4, metacity, marco, kwin_x11 or none.
#       --owner: the desktop is stopped when that process ends (tests killed on timeout).
#       Prints the display (":N") on stdout and writes the state file
#       (default /tmp/tarnwick-vd-N/state) holding the pids it started.
#   virtual-desktop.sh layout --display N LAYOUT   re-lay out a running server
#   virtual-desktop.sh stop [--state FILE | --display N]
#
# Must run as root (Xorg with a private config file). The logs of Xorg and
# openbox stay in /tmp/tarnwick-vd-N until `stop`, which removes that folder.
set -euo pipefail

die() {
  echo "virtual-desktop: $*" >&2
  exit 1
}

# shellcheck source=wait-for.sh
source "$(dirname "${BASH_SOURCE[0]}")/wait-for.sh"

# Free: no lock, and no socket that answers (a killed proxy can leave one behind).
display_free() {
  [[ ! -e /tmp/.X$1-lock ]] || return 1
  [[ ! -e /tmp/.X11-unix/X$1 ]] || ! xdpyinfo -display ":$1" >/dev/null 2>&1
}

write_config() {
  cat >"$1" <<'EOF'
Section "ServerFlags"
    Option "AutoAddDevices" "false"
    Option "AutoEnableDevices" "false"
    Option "DontVTSwitch" "true"
    Option "AllowMouseOpenFail" "true"
    Option "BlankTime" "0"
    Option "StandbyTime" "0"
    Option "SuspendTime" "0"
    Option "OffTime" "0"
EndSection

Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam 256000
EndSection

Section "Monitor"
    Identifier "monitor"
    HorizSync 5.0 - 1000.0
    VertRefresh 5.0 - 200.0
EndSection

Section "Screen"
    Identifier "screen"
    Device "dummy"
    Monitor "monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Virtual 6000 3000
    EndSubSection
EndSection
EOF
}

# Applies LAYOUT to the server on $DISPLAY; outputs not named in it are turned off.
apply_layout() {
  local layout=$1 entry k=0 args=() current
  current=$(xrandr --query)
  IFS=',' read -ra entries <<<"$layout"
  ((${#entries[@]} >= 1 && ${#entries[@]} <= 16)) || die "layout needs 1 to 16 monitors: $layout"
  for entry in "${entries[@]}"; do
    [[ $entry =~ ^([0-9]+)x([0-9]+)\+(-?[0-9]+)\+(-?[0-9]+)(\*?)$ ]] || die "bad monitor: $entry"
    local w=${BASH_REMATCH[1]} h=${BASH_REMATCH[2]} x=${BASH_REMATCH[3]} y=${BASH_REMATCH[4]}
    local primary=${BASH_REMATCH[5]} out=DUMMY$k mode=${BASH_REMATCH[1]}x${BASH_REMATCH[2]}
    # The dummy outputs share one mode list; anything outside it comes from cvt.
    # A low refresh keeps the pixel clock inside the dummy driver's range.
    if ! grep -qE "^ +${mode} " <<<"$current"; then
      local line
      line=$(cvt "$w" "$h" 30 | sed -n 's/^Modeline "[^"]*" *//p')
      [[ -n $line ]] || die "cvt failed for $mode"
      # shellcheck disable=SC2086
      xrandr --newmode "$mode" $line 2>/dev/null || true
      current="$current
   $mode "
    fi
    xrandr --addmode "$out" "$mode" 2>/dev/null || true
    args+=(--output "$out" --mode "$mode" --pos "${x}x${y}")
    [[ -n $primary ]] && args+=(--primary)
    k=$((k + 1))
  done
  for ((; k < 16; k++)); do args+=(--output "DUMMY$k" --off); done
  xrandr "${args[@]}"
}

wm_running() {
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}

# openbox announces itself before it handles map requests, and drops the ones
# that come in between: only a window it really manages proves it is ready.
wm_manages_windows() {
  local probe found=1
  xmessage -name tarnwick-wm-probe -geometry 40x20+0+0 probe </dev/null >/dev/null 2>&1 &
  probe=$!
  if wait_for 3 probe_managed; then found=0; fi
  kill "$probe" 2>/dev/null || true
  wait "$probe" 2>/dev/null || true
  wait_for 3 probe_gone || true
  return $found
}

probe_managed() {
  local id
  for id in $(xprop -root _NET_CLIENT_LIST 2>/dev/null | grep -o '0x[0-9a-f]*'); do
    xprop -id "$id" WM_CLASS 2>/dev/null | grep -q tarnwick-wm-probe && return 0
  done
  return 1
}

probe_gone() { ! probe_managed; }

# Starts the window manager with its settings kept in the state directory.
start_manager() {
  local name=$1 dir=$2
  mkdir -p "$dir/home"
  # Managers keep logs under the cache folder: this desktop's, not the caller's.
  local cmd env=(HOME="$dir/home" XDG_CONFIG_HOME="$dir/home/.config" XDG_CACHE_HOME="$dir"
    GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1)
  case $name in
    openbox) cmd=(openbox --sm-disable) ;;
    icewm)
      mkdir -p "$dir/home/.icewm"
      printf 'ShowTaskBar=0\n' >"$dir/home/.icewm/preferences"
      cmd=(icewm) ;;
    fluxbox)
      mkdir -p "$dir/home/.fluxbox"
      printf '%s\n' 'session.screen0.toolbar.visible: true' \
        'session.screen0.toolbar.placement: BottomCenter' \
        'session.screen0.toolbar.onhead: 1' 'session.screen0.toolbar.widthPercent: 100' \
        'session.screen0.toolbar.maxOver: false' 'session.screen0.toolbar.autoHide: false' \
        >"$dir/home/.fluxbox/init"
      cmd=(fluxbox -rc "$dir/home/.fluxbox/init") ;;
    # xfwm4 reads its settings through xfconfd, reached over a session bus.
    xfwm4) cmd=(dbus-run-session -- xfwm4 --compositor=off --sm-client-disable) ;;
    metacity) cmd=(metacity --sm-disable) ;;
    marco) cmd=(marco --sm-disable) ;;
    kwin_x11) cmd=(kwin_x11) ;;
    *) die "unknown window manager $name" ;;
  esac
  command -v "$name" >/dev/null || die "$name is not installed"
  env "${env[@]}" setsid "${cmd[@]}" </dev/null >"$dir/$name.log" 2>&1 &
  wpid=$!
}

cmd_start() {
  local base=50 fixed= manager=none state= layout= owner=
  while (($#)); do
    case $1 in
      --base) base=$2; shift 2 ;;
      --display) fixed=${2#:}; shift 2 ;;
      --wm) manager=openbox; shift ;;
      --manager) manager=$2; shift 2 ;;
      --owner) owner=$2; shift 2 ;;
      --state) state=$2; shift 2 ;;
      -*) die "unknown option $1" ;;
      *) layout=$1; shift ;;
    esac
  done
  [[ -n $layout ]] || die "no layout given"
  [[ $(id -u) -eq 0 ]] || die "Xorg with a private config must run as root"
  command -v Xorg >/dev/null || die "Xorg is not installed"

  local n dir xpid= wpid= unused=()
  local candidates
  if [[ -n $fixed ]]; then candidates=("$fixed"); else
    candidates=($(seq "$base" $((base + 19))))
  fi
  for n in "${candidates[@]}"; do
    # A given display may hold a dead server's lock; Xorg itself clears a stale one.
    [[ -n $fixed ]] || display_free "$n" || continue
    # Xorg takes a killed server's lock for a live one while that is a zombie.
    local holder
    holder=$(tr -d ' \n' 2>/dev/null <"/tmp/.X$n-lock" || true)
    [[ $holder =~ ^[0-9]+$ ]] && ! alive "$holder" && rm -f "/tmp/.X$n-lock"
    dir=/tmp/tarnwick-vd-$n
    # The folder may go under a racer's feet: then this display is not ours.
    { mkdir -p "$dir/conf.d" && write_config "$dir/xorg.conf"; } 2>/dev/null || continue
    # setsid: the server must not share the caller's process group or terminal.
    setsid Xorg ":$n" -config "$dir/xorg.conf" -configdir "$dir/conf.d" -noreset \
      -nolisten tcp -logfile "$dir/Xorg.log" -novtswitch -sharevts \
      </dev/null >"$dir/Xorg.out" 2>&1 &
    xpid=$!
    export DISPLAY=:$n
    local deadline=$((SECONDS + 20))
    # The lock file names the server that owns the display: ours, not a racer's.
    until [[ $(cat "/tmp/.X$n-lock" 2>/dev/null | tr -d ' \n') == "$xpid" ]] && xdpyinfo >/dev/null 2>&1; do
      if ! kill -0 "$xpid" 2>/dev/null || ((SECONDS >= deadline)); then
        kill "$xpid" 2>/dev/null || true
        xpid=
        break
      fi
      sleep 0.05
    done
    [[ -n $xpid ]] && break
    # Lost a race for this display, or the server failed: try the next one.
    unused+=("$n")
  done
  [[ -n $xpid ]] || die "no Xorg server could be started (see /tmp/tarnwick-vd-*/Xorg.log)"
  # The folders of displays that no server here holds now (say, their socket is
  # held from another root) go, so that failed tries leave nothing behind.
  local u
  for u in "${unused[@]}"; do
    [[ -e /tmp/.X$u-lock || -e /tmp/tarnwick-vd-$u/state ]] || rm -rf "/tmp/tarnwick-vd-$u"
  done

  state=${state:-$dir/state}
  {
    echo "DISPLAY=:$n"
    echo "DIR=$dir"
    echo "XORG_PID=$xpid"
  } >"$state"
  if [[ -n $owner ]]; then
    # Polls once a second; ends the server (and so its window manager) with the
    # owner, even when the owner gave up on this script before it finished.
    setsid bash -c "while kill -0 $owner && kill -0 $xpid; do sleep 1; done 2>/dev/null
                    kill $xpid 2>/dev/null" </dev/null >/dev/null 2>&1 &
    echo "WATCH_PID=$!" >>"$state"
  fi

  apply_layout "$layout" || {
    kill "$xpid"
    die "xrandr layout failed"
  }

  if [[ $manager != none ]]; then
    start_manager "$manager" "$dir"
    echo "WM_PID=$wpid" >>"$state"
    local tries=0
    until wait_for 20 wm_running && wm_manages_windows; do
      tries=$((tries + 1))
      if ((tries >= 5)); then
        kill "$wpid" "$xpid" 2>/dev/null || true
        die "$manager did not come up"
      fi
    done
  fi
  echo ":$n"
}

cmd_layout() {
  local layout=
  while (($#)); do
    case $1 in
      --display) export DISPLAY=:${2#:}; shift 2 ;;
      *) layout=$1; shift ;;
    esac
  done
  apply_layout "$layout"
}

# Running, not a zombie left for a parent that does not reap.
alive() {
  [[ -r /proc/$1/stat ]] && ! grep -q ') Z ' "/proc/$1/stat" 2>/dev/null
}

# Ends the given pids together (each takes a second or two to shut down) and
# waits for them, with a deadline; SIGKILL as a last resort.
end_pids() {
  local pid alive deadline=$((SECONDS + 10))
  for pid in "$@"; do kill "$pid" 2>/dev/null || true; done
  while :; do
    alive=()
    for pid in "$@"; do alive "$pid" && alive+=("$pid"); done
    ((${#alive[@]})) || return 0
    if ((SECONDS >= deadline)); then
      kill -KILL "${alive[@]}" 2>/dev/null || true
      return 0
    fi
    sleep 0.05
  done
}

cmd_stop() {
  local state=
  while (($#)); do
    case $1 in
      --state) state=$2; shift 2 ;;
      --display) state=/tmp/tarnwick-vd-${2#:}/state; shift 2 ;;
      *) die "unknown option $1" ;;
    esac
  done
  [[ -f $state ]] || die "no state file $state"
  local XORG_PID= WM_PID= WATCH_PID= DIR=
  # shellcheck disable=SC1090
  source <(grep -E '^(XORG_PID|WM_PID|WATCH_PID|DIR)=[0-9A-Za-z/._-]*$' "$state")
  rm -f "$state"
  # Gone while the server still holds the display, so that no new desktop on
  # the same display has its folder removed under it.
  [[ $DIR =~ ^/tmp/tarnwick-vd-[0-9]+$ ]] && rm -rf "$DIR"
  # The server first: a manager told to stop while busy may hang in its signal
  # handler (fluxbox does), but every manager leaves with its server.
  end_pids $XORG_PID
  # The window manager leads a process group of its own (a session bus, say).
  [[ -z $WM_PID ]] || kill -- "-$WM_PID" 2>/dev/null || true
  end_pids $WATCH_PID $WM_PID
}

case ${1:-} in
  start) shift; cmd_start "$@" ;;
  layout) shift; cmd_layout "$@" ;;
  stop) shift; cmd_stop "$@" ;;
  *) die "usage: $0 start|layout|stop ..." ;;
esac
