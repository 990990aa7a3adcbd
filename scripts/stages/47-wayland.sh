# The globe on a Wayland desktop: one headless sway session (1280 x 720, with
# XWayland) run by an unprivileged user that the stage makes (sway will not
# run as root), looked at through grim's screenshots and driven with sway's
# cursor commands and a virtual pointer. A first start must draw the globe as
# a layer surface at the output's bottom-right corner, transparent outside its
# outline and snowing, and snowing again after a fullscreen window over it
# (which stops its frames) has gone; a drag must move it as far as the
# pointer went, and a restart bring it back there; kept on top it must be
# above windows, and below them otherwise; at output scale 2 it must be the 2x pictures,
# one to one; its frames must go to a subsurface of its own (its trace says
# so, and that nothing is composed under the fullscreen window), and through
# GTK's paint cycle when GLIMMERDOME_WAYLAND_PRESENT=gtk asks;
# GLIMMERDOME_BACKEND=x11 must run it through XWayland.
# Screenshots stay in build/wayland-stage.
stage_wayland() (
  need_build glimmerdome glimmer_virtual_pointer || exit 1
  set -u
  local bin="$root/build/glimmerdome" pointer="$root/build/glimmer_virtual_pointer" art="$root/src/images/art"
  local out="$root/build/wayland-stage" user=glimmerdome-test
  local desk_hex="#cc00cc" desk_rgb="204 0 204"
  local run="" sway_pid="" pointer_pid="" app_pid=""

  fail() { echo "wayland stage: $*" >&2; exit 1; }
  # shellcheck source=scripts/lib/session.sh
  source "$root/scripts/lib/session.sh"
  cleanup() {
    exec 7>&- 2>/dev/null
    stop "$app_pid"; stop "$pointer_pid"; stop "$sway_pid"
    [ -n "$run" ] && rm -rf "$run"
  }
  trap cleanup EXIT

  for tool in sway swaymsg swaybg grim Xwayland xmessage convert compare setpriv od; do
    command -v "$tool" >/dev/null || fail "$tool is missing (scripts/deps.sh test installs it)"
  done
  [ -x "$bin" ] && [ -x "$pointer" ] || fail "$bin or $pointer is missing; the unit stage builds them"
  # A value of GLIMMERDOME_BACKEND that means nothing is told, not guessed at.
  local msg rc
  msg=$(GLIMMERDOME_BACKEND=wayland1 "$bin" 2>&1); rc=$?
  [ $rc -eq 1 ] && [[ $msg == *'GLIMMERDOME_BACKEND is "wayland1"'* ]] ||
    fail "GLIMMERDOME_BACKEND=wayland1 gave no clear error (exit $rc: $msg)"
  rm -rf "$out" && mkdir -p "$out" || fail "cannot make $out"

  # --- The session ----------------------------------------------------------------
  # As root, sway runs as a user of its own; everything it and the program
  # touch lives in a scratch folder that user owns, with the two programs
  # copied there in case the build is not readable to others.
  run=$(mktemp -d /tmp/glimmerdome-wayland.XXXXXX) && chmod 755 "$run" || fail "cannot make a scratch folder"
  mkdir -p "$run/xdg" "$run/bin" "$run/home" && cp "$bin" "$pointer" "$run/bin/" && chmod 755 "$run/bin"/* || fail "cannot fill $run"
  local as_user=()
  if [ "$(id -u)" -eq 0 ]; then
    id "$user" >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin "$user" ||
      fail "cannot make the user $user"
    mkdir -p "$run/home" && chown "$user:" "$run/xdg" "$run/home" && as_user=(setpriv --reuid="$user" --regid="$user" --clear-groups) || fail "cannot hand $run to $user"
  fi
  chmod 700 "$run/xdg"
  bin="$run/bin/glimmerdome" pointer="$run/bin/glimmer_virtual_pointer"
  # as COMMAND...: runs a command in the session, as its user; started with
  # `(as_exec COMMAND...) &`, its process id is $! (for stop).
  local session_env=(HOME="$run" PATH=/usr/bin:/bin XDG_RUNTIME_DIR="$run/xdg")
  as() { "${as_user[@]}" env -i "${session_env[@]}" "$@"; }
  as_exec() { exec "${as_user[@]}" env -i "${session_env[@]}" "$@"; }
  cat >"$run/sway.conf" <<EOF
output HEADLESS-1 resolution 1280x720 position 0 0 bg $desk_hex solid_color
xwayland enable
seat seat0 hide_cursor 100
default_border none
default_floating_border none
EOF
  (as_exec env WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 sway -c "$run/sway.conf" \
    >"$out/sway.log" 2>&1) &
  sway_pid=$!
  local socket="" display=""
  find_session() {
    socket=$(ls "$run/xdg"/sway-ipc.*.sock 2>/dev/null | head -1)
    display=$(ls "$run/xdg" 2>/dev/null | grep -E '^wayland-[0-9]+$' | head -1)
    [ -n "$socket" ] && [ -n "$display" ]
  }
  wait_for 15 find_session || fail "sway did not start (see $out/sway.log)"
  session_env+=(SWAYSOCK="$socket" WAYLAND_DISPLAY="$display")
  wait_for 10 eval 'as swaymsg -t get_outputs 2>/dev/null | grep -q "\"HEADLESS-1\""' || fail "sway has no output HEADLESS-1"
  # A headless session has no pointer: one is plugged in, and moved and
  # pressed through a pipe.
  mkfifo -m 644 "$run/pointer" || fail "cannot make the pointer's pipe"
  (as_exec "$pointer" <"$run/pointer" >"$out/pointer.log" 2>&1) &
  pointer_pid=$!
  exec 7>"$run/pointer"
  wait_for 5 grep -q ready "$out/pointer.log" || fail "no virtual pointer (see $out/pointer.log)"
  # XWayland's display, as sway gives it to the programs it starts.
  local x_display cover_pid
  as swaymsg exec "echo \"\$DISPLAY\" >$run/home/x-display" >/dev/null
  wait_for 5 test -s "$run/home/x-display" || fail "sway tells no XWayland display"
  x_display=$(cat "$run/home/x-display")
  echo "wayland stage: headless sway 1280x720 on $display, as $([ ${#as_user[@]} -gt 0 ] && echo "$user" || id -un)"

  # --- Looking at the globe ------------------------------------------------------
  shot() { as grim - >"$out/$1.png" 2>>"$out/grim.log" || fail "cannot take the screenshot $1"; }
  # globe SHOT: the bounding box of what is not the desktop, "X Y W H".
  globe() {
    convert "$out/$1.png" -fill none -fuzz 1% -opaque "$desk_hex" -trim -format '%X %Y %w %h' info:- 2>/dev/null |
      tr -d '+'
  }
  # What the globe draws inside its window, "X Y W H": the box of its
  # outline (the mask's), at scale 1 and 2.
  local box1 box2
  box1=$(convert "$art/imgMask.bmp" -trim -format '%X %Y %w %h' info:- | tr -d '+')
  box2=$(convert "$art/2x/imgMask.png" -trim -format '%X %Y %w %h' info:- | tr -d '+')
  # at SHOT SCALE: where the window stands, from where the globe is drawn.
  at() {
    local box ox oy
    read -r ox oy _ <<<"$([ "$2" = 2 ] && echo "$box2" || echo "$box1")"
    read -r -a box <<<"$(globe "$1")"
    echo "$((box[0] - ox)) $((box[1] - oy))"
  }
  start_app() {  # start_app NAME [ENV...]: a run with the settings in $run/home
    local name=$1; shift
    (as_exec env HOME="$run/home" XDG_CONFIG_HOME="$run/home/.config" GLIMMERDOME_TRACE="$run/home/trace-$name.jsonl" \
      "$@" "$bin" >"$out/app-$name.log" 2>&1) &
    app_pid=$!
  }
  end_app() {  # the end of the session closes it, as Exit would
    kill -TERM "$app_pid"
    wait_for 5 eval "! kill -0 $app_pid 2>/dev/null" || fail "the program did not close on SIGTERM"
    wait "$app_pid"; app_pid=""
    cp "$run/home"/trace-*.jsonl "$out/" 2>/dev/null || true
  }
  frames() { grep -c '"ev": "frame"' "$run/home/trace-$1.jsonl"; }  # frames NAME: how many were composed so far
  # appears_at NAME X Y [SCALE]: the globe is drawn with its window at X,Y.
  appears_at() {
    local n=0
    until shot "$1" && [ "$(at "$1" "${4:-1}")" = "$2 $3" ]; do
      n=$((n + 1))
      [ $n -ge 50 ] && fail "$1: the globe's window is at $(at "$1" "${4:-1}"), not $2,$3 (see $out/$1.png)"
      sleep 0.2
    done
  }
  pointer() { echo "$*" >&7; }
  # snows A B: a screenshot B taken after A differs from it, within 5 s
  # (the pixels changed are in $moved).
  snows() { wait_for 5 changed "$@"; }
  changed() {
    shot "$2"
    moved=$(compare -metric AE "$out/$1.png" "$out/$2.png" null: 2>&1 | cut -d' ' -f1)
    [ "${moved:-0}" -gt 0 ] 2>/dev/null
  }
  # covering SHOT: the screenshot SHOT shows a window that fills the output
  # (no desktop at its top-left corner).
  covering() {
    shot "$1" && [ "$(convert "$out/$1.png" -crop 1x1+10+10 +repage -depth 8 RGB:- | od -An -tu1 | xargs)" != "$desk_rgb" ]
  }
  # frames_still NAME: no frame composed in half a second.
  frames_still() {
    local n
    n=$(frames "$1"); sleep 0.5; [ "$(frames "$1")" = "$n" ]
  }
  # A cursor set through sway's IPC has entered the surface under it when
  # swaymsg returns: what the pointer does next reaches that surface after it.

  # --- A first start --------------------------------------------------------------
  as mkdir -p "$run/home/.config/glimmerdome"
  start_app first
  appears_at first 975 460
  echo "  a first start put the globe at the output's bottom-right corner, 975,460"
  # Its frames go to a subsurface of its own, not through GTK's paint cycle.
  grep -q '"ev": "present", "path": "subsurface"' "$run/home/trace-first.jsonl" ||
    fail "the frames do not go to the globe's own subsurface (see $out/trace-first.jsonl)"
  echo "  its frames are on a subsurface of its own"
  # Outside the outline the desktop shows, at every pixel of the window.
  local outside
  outside=$(paste -d' ' <(convert "$art/imgMask.bmp" -depth 8 RGB:- | od -An -v -tu1 -w3) \
    <(convert "$out/first.png" -crop 300x260+975+460 +repage -depth 8 RGB:- | od -An -v -tu1 -w3) |
    awk -v desk="$desk_rgb" 'BEGIN { split(desk, d, " ") }
      $1 == 255 && $2 == 255 && $3 == 255 && !($4 == d[1] && $5 == d[2] && $6 == d[3]) { n++ } END { print n + 0 }')
  [ "$outside" -eq 0 ] || fail "$outside pixels outside the globe's outline are not the desktop (see $out/first.png)"
  local moved
  snows first first-later || fail "no snow falls: the screenshots of 5 s are the same"
  echo "  transparent outside its outline, and snowing ($moved pixels changed)"
  # Under a fullscreen window the compositor asks the globe for no frames:
  # it stops drawing, and must start again when the window goes.
  (as_exec env DISPLAY="$x_display" xmessage "a fullscreen window" >"$out/cover.log" 2>&1) &
  cover_pid=$!
  wait_for 10 eval 'as swaymsg -t get_tree | grep -q "\"class\": \"Xmessage\""' || fail "no window to cover the globe"
  as swaymsg '[class="Xmessage"] fullscreen enable' >/dev/null
  wait_for 5 eval 'shot covered && [ "$(convert "$out/covered.png" -fuzz 1% -fill black +opaque "$desk_hex" -format "%[fx:mean]" info:)" = 0 ]' ||
    fail "the fullscreen window does not cover the output (see $out/covered.png)"
  # The frame asked for before the window covered the globe may still come.
  wait_for 5 frames_still first || fail "under a fullscreen window the globe keeps composing frames"
  local composed
  composed=$(frames first)
  hold_for 1 "under the fullscreen window nothing may be composed in this time"
  [ "$(frames first)" = "$composed" ] || fail "under a fullscreen window the globe still composes frames"
  stop "$cover_pid"
  appears_at uncovered 975 460
  snows uncovered uncovered-later || fail "no snow falls once the fullscreen window over the globe has gone"
  echo "  under a fullscreen window it composes nothing; once the window has gone, it snows again"

  # --- A drag, and a restart --------------------------------------------------------
  as swaymsg -- seat seat0 cursor set $((975 + 150)) $((460 + 120)) >/dev/null
  pointer press 1
  local i
  for i in 1 2 3 4; do pointer move -100 -50; sleep 0.1; done  # at a hand's pace
  pointer release 1
  appears_at dragged 575 260
  echo "  a drag by -400,-200 moved it to 575,260"
  # The right button opens the menu as a popup beside the pointer.
  as swaymsg -- seat seat0 cursor set $((575 + 150)) $((260 + 120)) >/dev/null
  pointer press 3
  pointer release 3
  local menu
  menu_shown() {  # the screenshot menu shows something beside the globe's window
    shot menu
    read -r -a menu <<<"$(globe menu)"
    [ $((menu[0] + menu[2])) -gt $((575 + 300)) ] || [ $((menu[1] + menu[3])) -gt $((260 + 260)) ]
  }
  wait_for 5 menu_shown || fail "a right click opened no menu (see $out/menu.png)"
  echo "  a right click opened the menu"
  as swaymsg -- seat seat0 cursor set 5 5 >/dev/null
  pointer press 1
  pointer release 1
  end_app
  start_app restart
  appears_at restart 575 260
  echo "  a restart brought it back to 575,260"
  # "Always OnTop" (checked by design) keeps it above a window that fills
  # the output; unchecked, it is below windows.
  local base="20x10+$((575 + 90))+$((260 + 205))"
  (as_exec env DISPLAY="$x_display" xmessage "a window over the globe" >"$out/cover.log" 2>&1) &
  cover_pid=$!
  wait_for 10 eval 'as swaymsg -t get_tree | grep -q "\"class\": \"Xmessage\""' || fail "no window to put over the globe"
  under() {  # under SHOT: how many pixels of the globe's base another window hides
    convert "$out/restart.png" -crop "$base" +repage "$out/base.png" &&
      convert "$out/$1.png" -crop "$base" +repage "$out/base-$1.png" &&
      compare -metric AE "$out/base.png" "$out/base-$1.png" null: 2>&1 | cut -d' ' -f1
  }
  wait_for 5 covering on-top || fail "the window over the globe does not fill the output (see $out/on-top.png)"
  [ "$(under on-top)" = 0 ] || fail "kept on top, the globe is below a window (see $out/on-top.png)"
  end_app
  as sed -i 's/^OnTop=1$/OnTop=0/' "$run/home/.config/glimmerdome/settings.ini"
  start_app below
  # Its first frames composed are on its surface, under the window.
  wait_for 10 eval '[ "$(frames below 2>/dev/null)" -ge 3 ] 2>/dev/null' || fail "below: no frames composed (see $out/app-below.log)"
  wait_for 5 covering below || fail "the window over the globe does not fill the output (see $out/below.png)"
  [ "$(under below)" = 200 ] || fail "not kept on top, the globe is above a window (see $out/below.png)"
  stop "$cover_pid"
  appears_at below-uncovered 575 260  # it was there all along
  echo "  kept on top it is above a window that fills the output, else below it"
  end_app

  # --- At output scale 2 --------------------------------------------------------------
  as swaymsg output HEADLESS-1 scale 2 >/dev/null || fail "cannot set the output's scale"
  as rm -rf "$run/home/.config"
  as mkdir -p "$run/home/.config/glimmerdome"
  start_app scaled
  # The output is 640 x 360 of GTK's units: 1280 x 720 device pixels; the
  # corner place is worked out in device pixels and rounded down to a unit.
  appears_at scaled 674 200 2
  local box
  read -r -a box <<<"$(globe scaled)"
  # The 2x pictures one to one: an enlarged 1x globe would be 2 x 200 wide.
  [ "${box[*]:2}" = "$(cut -d' ' -f3- <<<"$box2")" ] ||
    fail "at scale 2 the globe is ${box[2]} x ${box[3]} device pixels, not the 2x pictures' $(cut -d' ' -f3- <<<"$box2")"
  echo "  at output scale 2 the globe is the 2x pictures one to one (${box[2]} x ${box[3]} device pixels) at 674,200"
  end_app
  as swaymsg output HEADLESS-1 scale 1 >/dev/null

  # --- Through GTK's paint cycle, when asked -------------------------------------------
  start_app paint GLIMMERDOME_WAYLAND_PRESENT=gtk
  wait_for 10 eval 'grep -qs "\"path\": \"gtk-paint\"" "$run/home/trace-paint.jsonl"' ||
    fail "GLIMMERDOME_WAYLAND_PRESENT=gtk does not choose GTK's paint cycle (see $out/app-paint.log)"
  wait_for 5 eval 'shot paint && read -r -a box <<<"$(globe paint)" && [ "${box[2]:-0}" -ge 150 ]' ||
    fail "through GTK's paint cycle the globe is not drawn (see $out/paint.png)"
  snows paint paint-later || fail "through GTK's paint cycle the globe does not snow (see $out/paint*.png)"
  echo "  with GLIMMERDOME_WAYLAND_PRESENT=gtk it snows through GTK's paint cycle"
  end_app

  # --- Through XWayland, when asked -----------------------------------------------------
  start_app x11 GLIMMERDOME_BACKEND=x11 DISPLAY="$x_display"
  wait_for 15 eval 'as swaymsg -t get_tree | grep -q "\"shell\": \"xwayland\""' ||
    fail "with GLIMMERDOME_BACKEND=x11 no XWayland window appeared (see $out/app-x11.log)"
  wait_for 5 eval 'shot x11 && read -r -a box <<<"$(globe x11)" && [ "${box[2]:-0}" -ge 150 ]' || fail "with GLIMMERDOME_BACKEND=x11 the globe is not drawn (see $out/x11.png)"
  echo "  with GLIMMERDOME_BACKEND=x11 it runs through XWayland"
  end_app

  # --- The end of the session -------------------------------------------------------------
  # sway killed under two running globes, a layer surface just dragged and an
  # X11 window through XWayland (which goes with it): both are gone within two
  # seconds, saying why, and the dragged place is kept.
  as rm -rf "$run/home/.config"
  as mkdir -p "$run/home/.config/glimmerdome" "$run/home/x11"
  start_app end
  appears_at end 975 460
  as swaymsg -- seat seat0 cursor set $((975 + 150)) $((460 + 120)) >/dev/null
  pointer press 1
  for i in 1 2; do pointer move -100 -50; sleep 0.1; done  # at a hand's pace
  pointer release 1
  appears_at end-dragged 775 360
  local layer_pid=$app_pid x11_pid
  (as_exec env HOME="$run/home/x11" XDG_CONFIG_HOME="$run/home/x11/.config" GLIMMERDOME_BACKEND=x11 \
    DISPLAY="$x_display" GLIMMERDOME_TRACE="$run/home/trace-end-x11.jsonl" "$bin" >"$out/app-end-x11.log" 2>&1) &
  x11_pid=$!
  wait_for 15 eval 'as swaymsg -t get_tree | grep -q "\"shell\": \"xwayland\""' ||
    fail "no XWayland globe to end with the session (see $out/app-end-x11.log)"
  wait_for 10 eval '[ "$(frames end-x11 2>/dev/null)" -ge 3 ] 2>/dev/null' ||
    fail "the XWayland globe composes no frames (see $out/app-end-x11.log)"
  disown "$sway_pid"  # no word from the shell about the killed job
  kill -9 "$sway_pid"
  wait_for 2 eval "! kill -0 $layer_pid 2>/dev/null && ! kill -0 $x11_pid 2>/dev/null" ||
    fail "sway killed: a globe still runs after 2 s (see $out/app-end*.log)"
  wait "$layer_pid"; rc=$?; app_pid=""
  [ $rc -eq 0 ] || fail "sway killed: the layer surface's program ended with status $rc (see $out/app-end.log)"
  wait "$x11_pid"; rc=$?
  [ $rc -eq 0 ] || fail "sway killed: the XWayland globe ended with status $rc (see $out/app-end-x11.log)"
  grep -q "connection to the display" "$out/app-end.log" && grep -q "connection to the display" "$out/app-end-x11.log" ||
    fail "sway killed: no line on stderr says why a globe ended (see $out/app-end*.log)"
  local ini="$run/home/.config/glimmerdome/settings.ini"
  grep -qx "Left=775" "$ini" && grep -qx "Top=360" "$ini" || fail "sway killed right after a drag: 775,360 is not kept in $ini"
  echo "  sway killed under two globes: both gone within 2 s, the dragged place 775,360 kept"
  echo "wayland stage: screenshots in $out"
)
