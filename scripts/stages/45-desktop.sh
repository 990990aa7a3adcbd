# The GTK window on a real desktop: Xorg's dummy driver with two monitors side
# by side (1920 x 1080, and 1280 x 1024 to its right), openbox as the window
# manager and picom compositing, one session for the whole stage. A globe left
# on the second monitor must come back there; with that monitor gone, at a
# start or while it runs, it must come back whole on the first one. Its window
# must be on every workspace, off the taskbar and the pager, still drawn after
# "show desktop" and on another workspace, and still move with a drag, open
# its menu and stay above other windows. A desktop that asks for less motion
# (GTK's animations off, through xsettingsd) must make a first run slow and
# snowless. Screenshots stay in build/desktop-stage.
stage_desktop() (
  need_build glimmerdome || exit 1
  set -u
  local bin="$root/build/glimmerdome" out="$root/build/desktop-stage"
  local desk_hex="#cc00cc" desk_rgb="204 0 204"
  local xorg_pid="" wm_pid="" picom_pid="" xsettings_pid="" app_pid="" win=""

  fail() { echo "desktop stage: $*" >&2; exit 1; }
  # shellcheck source=scripts/lib/session.sh
  source "$root/scripts/lib/session.sh"
  cleanup() { stop "$app_pid"; stop "$xsettings_pid"; stop "$picom_pid"; stop "$wm_pid"; stop "$xorg_pid"; }
  trap cleanup EXIT

  for tool in Xorg openbox picom wmctrl xprop xrandr xdotool xwininfo xsettingsd import convert hsetroot od; do
    command -v "$tool" >/dev/null || fail "$tool is missing (scripts/deps.sh test installs it)"
  done
  [ -f /usr/lib/xorg/modules/drivers/dummy_drv.so ] || fail "Xorg's dummy driver is missing (xserver-xorg-video-dummy)"
  [ -x "$bin" ] || fail "$bin is missing; the unit stage builds it"
  rm -rf "$out" && mkdir -p "$out/xorg.conf.d" || fail "cannot make $out"

  # --- The session ----------------------------------------------------------------
  # The dummy driver's outputs are RandR outputs like a graphics card's: two of
  # them switched on are two monitors to GDK, as on a real desktop.
  cat >"$out/xorg.conf" <<'EOF'
Section "ServerFlags"
  Option "DontVTSwitch" "true"
  Option "AutoAddDevices" "false"
  Option "AutoEnableDevices" "false"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 65536
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
EndSection
EOF
  Xorg -config "$out/xorg.conf" -configdir "$out/xorg.conf.d" -noreset -nolisten tcp -logfile "$out/xorg.log" \
    -displayfd 3 3>"$out/display" >"$out/xorg.out" 2>&1 &
  xorg_pid=$!
  wait_for 15 test -s "$out/display" || fail "Xorg did not start (see $out/xorg.log)"
  export DISPLAY=":$(head -1 "$out/display")"
  unset WAYLAND_DISPLAY
  monitors() {  # monitors two|one
    if [ "$1" = two ]; then
      xrandr --output DUMMY0 --mode 1920x1080 --pos 0x0 --primary --output DUMMY1 --mode 1280x1024 --pos 1920x0
    else
      xrandr --output DUMMY1 --off --output DUMMY0 --mode 1920x1080 --pos 0x0 --primary
    fi
  }
  xrandr --addmode DUMMY1 1280x1024 && monitors two || fail "cannot switch on two monitors (see $out/xorg.log)"
  [ "$(xrandr --listmonitors | head -1)" = "Monitors: 2" ] || fail "the X server does not report two monitors"
  openbox --sm-disable >"$out/openbox.log" 2>&1 &
  wm_pid=$!
  wait_for 10 eval 'wmctrl -m 2>/dev/null | grep -q Openbox' || fail "openbox did not start (see $out/openbox.log)"
  picom --backend xrender --config /dev/null >"$out/picom.log" 2>&1 &
  picom_pid=$!
  wait_for 10 eval 'xwininfo -root -tree | grep -q "\"picom\""' || fail "picom did not start (see $out/picom.log)"
  hsetroot -solid "$desk_hex" >/dev/null || fail "cannot set the desktop colour"
  echo "desktop stage: Xorg (dummy, two monitors), openbox and picom on $DISPLAY"

  # --- Looking at the globe ------------------------------------------------------
  geometry() {
    xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
      /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, w, h}'
  }
  find_window() {
    local w
    win=""
    for w in $(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null); do
      [ "$(geometry "$w" | cut -d' ' -f3-)" = "300 260" ] && win=$w && return 0
    done
    return 1
  }
  position() { geometry "$win" | cut -d' ' -f1-2; }
  visible_windows() { xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null | wc -l; }
  start_app() {  # start_app NAME HOME [ENV...]
    local name=$1 home="$out/home-$2"; shift 2
    mkdir -p "$home/.config/glimmerdome"
    env HOME="$home" XDG_CONFIG_HOME="$home/.config" "$@" "$bin" >"$out/app-$name.log" 2>&1 &
    app_pid=$!
    wait_for 10 find_window || fail "$name: no window of glimmerdome appeared (see $out/app-$name.log)"
    local n
    wait_for 5 globe_drawn "start-$name" || fail "$name: the window of glimmerdome shows nothing (see $out/start-$name.png)"
  }
  end_app() {  # end_app: the end of the session closes it, as Exit would
    kill -TERM "$app_pid"
    wait_for 5 gone "$app_pid" || fail "the program did not close on SIGTERM"
    wait "$app_pid"; app_pid=""
  }
  saved_at() {  # saved_at HOME LEFT TOP: settings that put the globe there
    mkdir -p "$out/home-$1/.config/glimmerdome"
    printf '[Glimmerdome]\nOnTop=1\nTrVal=0\nTop=%s\nLeft=%s\niCountdown=0\niSpeed=2\nisSnowOn=1\n' "$3" "$2" \
      >"$out/home-$1/.config/glimmerdome/settings.ini"
  }
  # drawn SHOT: the globe's window area in the screenshot SHOT holds the
  # globe, not the desktop, within 5 s.
  drawn() {
    local n
    wait_for 5 globe_drawn "$1" || fail "$1: only $n pixels of the globe are drawn at $(position) (see $out/$1.png)"
    echo "  $1: the globe is drawn at $(position | tr ' ' ,) ($n pixels)"
  }
  globe_drawn() {
    local x y
    import -window root "$out/$1.png" || fail "cannot take the screenshot $1"
    read -r x y < <(position)
    n=$(convert "$out/$1.png" -crop "300x260+$x+$y" +repage -depth 8 RGB:- | od -An -v -tu1 -w3 |
      awk -v desk="$desk_rgb" 'BEGIN { split(desk, d, " ") } !($1 == d[1] && $2 == d[2] && $3 == d[3]) { n++ } END { print n + 0 }')
    # The globe's outline covers about 33000 of the window's 78000 pixels.
    [ "$n" -ge 30000 ]
  }
  # menu_drawn SHOT: the screenshot SHOT shows a menu of the program beside
  # the globe (not GTK's own off-screen window), drawn: ready for the keys.
  menu_drawn() {
    local w x y ww h
    import -window root "$out/$1.png" || fail "cannot take the screenshot $1"
    for w in $(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null); do
      [ "$w" = "$win" ] && continue
      read -r x y ww h < <(geometry "$w")
      [ $((x + ww)) -gt 0 ] && [ $((y + h)) -gt 0 ] && [ "$(colours "$out/$1.png" "$ww" "$h" "$x" "$y")" -gt 4 ] && return 0
    done
    return 1
  }
  net_wm_state() { xprop -id "$win" _NET_WM_STATE 2>/dev/null; }
  # stacked_above A B: the window manager stacks window A above window B
  # (its stacking list runs from the bottom up).
  stacked_above() {
    xprop -root _NET_CLIENT_LIST_STACKING | tr -d ',' | tr ' ' '\n' | grep '^0x' | while read -r w; do echo $((w)); done |
      awk -v a="$(($1))" -v b="$(($2))" '$1 == a {pa = NR} $1 == b {pb = NR} END {exit !(pa && pb && pa > pb)}'
  }

  # --- Two monitors: a globe left on the second comes back there ---------------
  saved_at two 2500 400
  start_app two two
  [ "$(position)" = "2500 400" ] || fail "a globe saved at 2500,400 on the second monitor came back at $(position)"
  echo "  a globe saved at 2500,400 came back at 2500,400"
  # Every workspace: the window asks for the sticky state; openbox, which has
  # no such state (it is not in its _NET_SUPPORTED), puts the window on all
  # desktops instead, which the check below sees in _NET_WM_DESKTOP.
  local state atoms=(_NET_WM_STATE_SKIP_TASKBAR _NET_WM_STATE_SKIP_PAGER _NET_WM_STATE_ABOVE)
  xprop -root _NET_SUPPORTED | grep -q '_NET_WM_STATE_STICKY' && atoms+=(_NET_WM_STATE_STICKY)
  state=$(net_wm_state)
  for atom in "${atoms[@]}"; do
    [[ $state == *"$atom"* ]] || fail "the window's state lacks $atom ($state)"
  done
  [ "$(xprop -id "$win" _NET_WM_DESKTOP | awk '{print $3}')" = 4294967295 ] ||
    fail "the window is not on every desktop ($(xprop -id "$win" _NET_WM_DESKTOP))"
  echo "  the window is on every workspace, off the taskbar and the pager, and above others (${atoms[*]})"
  drawn two
  wmctrl -k on || fail "wmctrl -k on failed"
  wait_for 5 eval "wmctrl -m | grep -q 'showing the desktop.*ON'"
  wmctrl -m | grep -q 'showing the desktop.*ON' || fail "openbox did not show the desktop"
  drawn two-show-desktop
  wmctrl -k off
  wmctrl -n 2 && wmctrl -s 1 || fail "cannot switch to workspace 2"
  wait_for 5 eval "wmctrl -d | grep -q '^1 *\*'" || fail "openbox did not switch to workspace 2"
  drawn two-workspace-2
  wmctrl -s 0
  wait_for 5 eval "wmctrl -d | grep -q '^0 *\*'" || fail "openbox did not switch back to workspace 1"

  # Always on top: another window put over the globe does not cover it.
  xmessage -geometry 500x400+2400+300 "a window over the globe" >/dev/null 2>&1 &
  local cover_pid=$!
  wait_for 5 eval 'xdotool search --onlyvisible --class "^Xmessage$" >/dev/null 2>&1' || { kill $cover_pid; fail "xmessage did not appear"; }
  local cover
  cover=$(xdotool search --onlyvisible --class '^Xmessage$' | head -1)
  # The window manager has taken it into its stacking list.
  wait_for 5 eval 'xprop -root _NET_CLIENT_LIST_STACKING | grep -qiw "$(printf "0x%x" "$cover")"' ||
    { kill $cover_pid; fail "openbox did not stack the window put over the globe"; }
  import -window root "$out/two-covered.png"
  stacked_above "$win" "$cover"; local above=$?
  kill $cover_pid 2>/dev/null; wait $cover_pid 2>/dev/null
  [ $above -eq 0 ] || fail "a window opened over the globe covers it (see $out/two-covered.png)"
  echo "  a window opened over the globe stays below it"

  # A drag moves the globe under the window manager, with either button.
  drag 1 -300 -200
  drag 3 300 200
  [ "$(visible_windows)" -eq 1 ] || fail "a drag with the right button opened a window"
  # The menu opens on a right click; its last item, Exit, saves and ends.
  local x y
  read -r x y < <(position)
  xdotool mousemove $((x + 150)) $((y + 100)) sleep 0.1 click 3
  wait_for 5 menu_drawn two-menu || fail "a right click opened no menu (see $out/two-menu.png)"
  echo "  a right click opened the menu"
  xdotool key Up Return
  wait_for 5 gone "$app_pid" || fail "choosing Exit in the menu did not end the program"
  wait "$app_pid"; app_pid=""
  grep -qx 'Left=2500' "$out/home-two/.config/glimmerdome/settings.ini" &&
    grep -qx 'Top=400' "$out/home-two/.config/glimmerdome/settings.ini" ||
    fail "Exit did not keep the place 2500,400"
  echo "  Exit kept the place 2500,400"

  # --- The second monitor unplugged while the globe runs ---------------------------
  start_app unplugged two
  [ "$(position)" = "2500 400" ] || fail "the second start put the globe at $(position), not 2500,400"
  monitors one || fail "cannot switch off the second monitor"
  wait_for 5 eval '[ "$(position)" = "550 400" ]' ||
    fail "with the second monitor switched off the globe stayed at $(position)"
  drawn unplugged
  echo "  with the second monitor switched off the globe came back to 550,400"
  end_app

  # --- Only the first monitor at the start ----------------------------------------
  saved_at one 2500 400
  start_app one one
  [ "$(position)" = "550 400" ] || fail "with one monitor a globe saved at 2500,400 came back at $(position), not 550,400"
  drawn one
  echo "  with one monitor a globe saved at 2500,400 came back whole at 550,400"
  end_app

  # --- Less motion ------------------------------------------------------------------
  printf 'Gtk/EnableAnimations 0\n' >"$out/xsettingsd.conf"
  xsettingsd -c "$out/xsettingsd.conf" >"$out/xsettingsd.log" 2>&1 &
  xsettings_pid=$!
  wait_for 5 grep -q 'Took ownership of selection' "$out/xsettingsd.log" ||
    fail "xsettingsd did not become the desktop's settings manager (see $out/xsettingsd.log)"
  start_app calm calm
  end_app
  local ini="$out/home-calm/.config/glimmerdome/settings.ini"
  grep -qx 'iSpeed=0' "$ini" && grep -qx 'isSnowOn=0' "$ini" ||
    fail "with animations off a first run did not start slow and without snow ($(tr '\n' ' ' <"$ini"))"
  echo "  with the desktop's animations off a first run started slow and without snow"
)
