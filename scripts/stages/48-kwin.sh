# The globe under a second real compositor: KWin's virtual session
# (kwin_wayland --virtual, software rendering, in a D-Bus session of its own),
# which offers layer-shell and fractional scaling. At output scales 1.5 and
# 1.25 the globe must be the frame composed at that scale, one to one
# (450 x 390 and 375 x 325 device pixels: buffer scale 1, the viewport at the
# logical 300 x 260), its outline the same as the headless program's at that
# scale; a first start must put it at the output's bottom-right corner, and a
# restart bring it back to where it was. KWin 5.27 gives its screenshot
# interface to authorised desktop clients only, so the stage reads the frame
# the program presented (GLIMMERDOME_PRESENTED) and its protocol log
# (WAYLAND_DEBUG). KWin has no virtual-pointer protocol, but lends its fake
# input to a client that a desktop file authorises: with it as the pointer
# (glimmer_virtual_pointer), a drag must move the globe as far as the pointer
# went and its close keep that place in settings.ini; a right click must open
# the menu, and 50% chosen from it (with the keys) be kept and shown.
# What the stage leaves is in build/kwin-stage.
stage_kwin() (
  need_build glimmerdome glimmer_virtual_pointer || exit 1
  set -u
  local bin="$root/build/glimmerdome" out="$root/build/kwin-stage" pointer="$root/build/glimmer_virtual_pointer"
  local run="" kwin="" session="" pointer_pid=""

  fail() { echo "kwin stage: $*" >&2; exit 1; }
  # shellcheck source=scripts/lib/session.sh
  source "$root/scripts/lib/session.sh"
  cleanup() {
    exec 7>&- 2>/dev/null
    stop "$pointer_pid"
    [ -n "$session" ] && stop "$(pgrep -P "$session" -x kwin_wayland)" && stop "$session"
    [ -n "$run" ] && rm -rf "$run"
  }
  trap cleanup EXIT

  for tool in kwin_wayland dbus-run-session convert; do
    command -v "$tool" >/dev/null || fail "$tool is missing (scripts/deps.sh test installs it)"
  done
  [ -x "$bin" ] && [ -x "$pointer" ] || fail "$bin or $pointer is missing; the unit stage builds them"
  rm -rf "$out" && mkdir -p "$out" || fail "cannot make $out"
  run=$(mktemp -d /tmp/glimmerdome-kwin.XXXXXX) || fail "cannot make a scratch folder"
  mkdir -p "$run/xdg" "$run/home" "$run/bin" "$run/share/applications" && chmod 700 "$run/xdg"
  # The pointer: KWin lends its fake input only to a program that a desktop
  # file in its data folders names, by the full path of the executable, with
  # the interface in X-KDE-Wayland-Interfaces.
  cp "$pointer" "$run/bin/" && pointer="$run/bin/glimmer_virtual_pointer" || fail "cannot copy $pointer"
  cat >"$run/share/applications/glimmerdome-test-pointer.desktop" <<EOF
[Desktop Entry]
Type=Application
Name=Glimmerdome test pointer
Exec=$pointer
X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input
EOF
  # kwin_wayland carries a file capability, which some containers refuse to
  # run: a plain copy, still named kwin_wayland, runs there.
  kwin=$(command -v kwin_wayland)
  if ! "$kwin" --version >/dev/null 2>&1; then
    cp "$kwin" "$run/bin/kwin_wayland" && kwin="$run/bin/kwin_wayland"
    "$kwin" --version >/dev/null 2>&1 || fail "kwin_wayland does not run, not even a plain copy of it"
  fi

  # session NAME SCALE [ENV...]: the program in a KWin virtual session of
  # 1280 x 720 logical pixels at SCALE until 25 of its frames are attached
  # (20 s at most), then closed with SIGTERM as at the end of a desktop
  # session; leaves the frame it presented in $out/NAME.pam, its protocol log
  # in $out/NAME.log. The frame kept at the close is the last one attached
  # to the globe's own surface.
  session() {
    local name=$1 scale=$2; shift 2
    {
      printf '#!/bin/sh\nlog="%s"\n' "$out/$name.log"
      printf 'env GLIMMERDOME_PRESENTED="%s" WAYLAND_DEBUG=client %s "%s" >"$log" 2>&1 &\n' "$out/$name.pam" "$*" "$bin"
      cat <<'EOF'
app=$!
i=0
while [ $i -lt 200 ] && kill -0 $app 2>/dev/null; do
  own=$(grep -o 'get_subsurface(new id wl_subsurface@[0-9]*, wl_surface@[0-9]*' "$log" | tail -1 | sed 's/.*wl_surface@//')
  [ -n "$own" ] && [ "$(grep -c "wl_surface@$own\.attach(" "$log")" -ge 25 ] && break
  sleep 0.1; i=$((i + 1))
done
kill -TERM $app
wait $app
echo "exit $?" >>"$log"
EOF
    } >"$run/app.sh"
    chmod +x "$run/app.sh"
    rm -f "$out/$name.pam"
    kwin_start "$name" "$scale"
    kwin_end "$name" 40
    [ -s "$out/$name.pam" ] || fail "$name: no frame was presented on the globe's own surface (see $out/$name.log)"
  }
  # kwin_start NAME SCALE: KWin's virtual session at SCALE, running $run/app.sh;
  # its desktop files are those of $run/share too. kwin_end NAME SECONDS:
  # waits that long for the program's close, then ends the session.
  kwin_start() {
    (exec env -i PATH=/usr/bin:/bin HOME="$run/home" XDG_RUNTIME_DIR="$run/xdg" QT_QPA_PLATFORM=offscreen \
      XDG_DATA_DIRS="$run/share:/usr/share" LIBGL_ALWAYS_SOFTWARE=1 dbus-run-session "$kwin" --virtual \
      --width 1280 --height 720 --scale "$2" --socket "glimmerdome-kwin" -- "$run/app.sh" >"$out/kwin-$1.log" 2>&1) &
    session=$!
  }
  kwin_end() {
    wait_for "$2" grep -qs '^exit' "$out/$1.log"
    # KWin keeps its session after the program is gone (it starts it detached).
    stop "$(pgrep -P "$session" -x kwin_wayland)"
    stop "$session"
    session=""
    grep -q '^exit 0$' "$out/$1.log" || fail "$1: the program did not run to its close (see $out/$1.log, $out/kwin-$1.log)"
  }
  # own_frames NAME: how many frames were attached to the globe's own surface.
  own_frames() {
    local own
    own=$(grep -o 'get_subsurface(new id wl_subsurface@[0-9]*, wl_surface@[0-9]*' "$out/$1.log" | tail -1 | sed 's/.*wl_surface@//')
    if [ -n "$own" ]; then grep -c "wl_surface@$own\.attach(" "$out/$1.log"; else echo 0; fi
  }
  # margins NAME: the layer surface's last margins, "LEFT TOP" in logical pixels.
  margins() {
    grep -o 'zwlr_layer_surface_v1@[0-9]*\.set_margin([0-9, -]*)' "$out/$1.log" | tail -1 |
      sed -E 's/.*\(([-0-9]+), ([-0-9]+), ([-0-9]+), ([-0-9]+)\)/\4 \1/'
  }
  # check_scale NAME SCALE WIDTH HEIGHT: one to one at that scale.
  check_scale() {
    local name=$1 scale=$2 w=$3 h=$4 size box want
    size=$(convert "$out/$name.pam" -format '%w %h' info:)
    [ "$size" = "$w $h" ] || fail "at scale $scale the presented frame is $size, not $w $h"
    grep -q "create_buffer(new id wl_buffer@[0-9]*, [0-9]*, $w, $h, $((w * 4)), 0)" "$out/$name.log" &&
      grep -q 'wp_viewport@[0-9]*\.set_destination(300, 260)' "$out/$name.log" ||
      fail "at scale $scale the globe's buffers are not $w x $h shown at 300 x 260 (see $out/$name.log)"
    local own
    own=$(grep -o 'get_subsurface(new id wl_subsurface@[0-9]*, wl_surface@[0-9]*' "$out/$name.log" | tail -1 | sed 's/.*wl_surface@//')
    [ -n "$own" ] && ! grep -qE "wl_surface@$own\.set_buffer_scale\([^1]" "$out/$name.log" ||
      fail "at scale $scale the globe's own surface has a buffer scale other than 1"
    # Its outline is the one the program composes at that scale.
    "$bin" --headless --scale "$scale" --snapshot "$out/headless-$name.png" >/dev/null 2>&1 ||
      fail "the headless program cannot draw at scale $scale"
    box=$(convert "$out/$name.pam" -alpha extract -threshold 50% -trim -format '%X %Y %w %h' info: | tr -d '+')
    want=$(convert "$out/headless-$name.png" -alpha extract -threshold 50% -trim -format '%X %Y %w %h' info: | tr -d '+')
    [ "$box" = "$want" ] || fail "at scale $scale the globe's outline is at $box, not $want as composed at that scale"
    convert "$out/$name.pam" "$out/$name.png"
    echo "  at scale $scale the globe is the frame composed at $scale one to one: $w x $h device pixels (outline $box)"
  }

  echo "kwin stage: KWin $("$kwin" --version 2>/dev/null | cut -d' ' -f2) virtual session, 1280x720 logical"
  session first 1.5
  grep -q '"zwlr_layer_shell_v1"' "$out/first.log" || fail "KWin offers no layer-shell"
  grep -q 'wl_subcompositor@[0-9]*\.get_subsurface' "$out/first.log" ||
    fail "the frames do not go to the globe's own subsurface (see $out/first.log)"
  local m
  read -r -a m <<<"$(margins first)"
  # The output is 1920 x 1080 device pixels; the globe's window 450 x 390 of them.
  [ "${#m[@]}" -eq 2 ] && [ $((m[0] * 3 / 2 + 450)) -le 1920 ] && [ $((m[0] * 3 / 2 + 450)) -ge 1900 ] &&
    [ $((m[1] * 3 / 2 + 390)) -le 1080 ] && [ $((m[1] * 3 / 2 + 390)) -ge 1040 ] ||
    fail "a first start put the globe at ${m[*]} (logical), not at the output's bottom-right corner"
  echo "  a first start put the globe at the output's bottom-right corner (${m[0]},${m[1]} logical)"
  check_scale first 1.5 450 390
  session restart 1.5
  [ "$(margins restart)" = "${m[*]}" ] || fail "a restart put the globe at $(margins restart), not at ${m[*]}"
  echo "  a restart brought it back to ${m[0]},${m[1]}"

  # A drag and the menu, with the fake input as the pointer: the program runs
  # until the stage ends it.
  cat >"$run/app.sh" <<EOF
#!/bin/sh
env GLIMMERDOME_PRESENTED="$out/drag.pam" WAYLAND_DEBUG=client "$bin" >"$out/drag.log" 2>&1 &
echo \$! >"$run/app.pid"
wait \$!
echo "exit \$?" >>"$out/drag.log"
EOF
  rm -f "$run/app.pid"
  kwin_start drag 1.5
  wait_for 20 eval '[ -n "$(margins drag)" ]' 2>/dev/null || fail "drag: the program has no layer surface (see $out/drag.log)"
  mkfifo "$run/pointer" || fail "cannot make the pointer's pipe"
  (exec env -i XDG_RUNTIME_DIR="$run/xdg" WAYLAND_DISPLAY=glimmerdome-kwin "$pointer" <"$run/pointer" \
    >"$out/pointer.log" 2>&1) &
  pointer_pid=$!
  exec 7>"$run/pointer"
  wait_for 5 grep -q ready "$out/pointer.log" || fail "KWin lent no fake input (see $out/pointer.log, $out/kwin-drag.log)"
  # The seat has a pointer once the fake input is there.
  wait_for 5 grep -q 'wl_seat@[0-9]*\.get_pointer' "$out/drag.log" || fail "drag: the program got no pointer"
  ptr() { echo "$*" >&7; }
  ptr at $((m[0] + 150)) $((m[1] + 120))
  wait_for 5 grep -q 'wl_pointer@[0-9]*\.enter' "$out/drag.log" || fail "drag: the pointer never entered the globe"
  ptr press 1
  local i
  for i in 1 2 3 4; do ptr move -100 -50; sleep 0.1; done  # at a hand's pace
  ptr release 1
  local to="$((m[0] - 400)) $((m[1] - 200))"
  wait_for 5 eval '[ "$(margins drag)" = "$to" ]' || fail "a drag by -400,-200 put the globe at $(margins drag), not at $to"
  echo "  a drag by -400,-200 (logical) moved it to ${to/ /,}"
  # The right button opens the menu, a popup of the layer surface. The
  # pointer stirs first: KWin tells no surface that it moved under a still
  # pointer, so until the next motion the program has the pointer where the
  # last motion of the drag left it on the surface, outside the glass.
  local popups
  popups=$(grep -c 'get_popup(' "$out/drag.log")
  ptr move 1 1
  ptr move -1 -1
  ptr press 3
  ptr release 3
  wait_for 5 eval '[ "$(grep -c "get_popup(" "$out/drag.log")" -gt "$popups" ]' ||
    fail "a right click opened no menu (see $out/drag.log)"
  echo "  a right click opened the menu"
  # Options > Transparent > 50%, with the keys (Linux's codes: Home, Down,
  # Right, Enter).
  # After each Right the next keys wait for its menu.
  local key
  for key in 102 108 108 108 108 106 108 106 108 108 108 108 108 28; do
    popups=$(grep -c 'get_popup(' "$out/drag.log")
    ptr key $key
    [ $key = 106 ] || continue
    wait_for 5 eval '[ "$(grep -c "get_popup(" "$out/drag.log")" -gt "$popups" ]' ||
      fail "Right opened no menu (see $out/drag.log)"
  done
  wait_for 5 grep -q 'xdg_popup@[0-9]*\.destroy' "$out/drag.log" || fail "the menu did not close on a choice (see $out/drag.log)"
  echo "  from it, Options > Transparent > 50% was chosen"
  # Frames at the new level go to KWin before the close.
  local shown
  shown=$(own_frames drag)
  wait_for 5 eval '[ "$(own_frames drag)" -ge $((shown + 25)) ]' || fail "after the choice the globe attaches no frames"
  exec 7>&-
  wait_for 5 eval "! kill -0 $pointer_pid 2>/dev/null"; stop "$pointer_pid"; pointer_pid=""
  kill -TERM "$(cat "$run/app.pid")"
  kwin_end drag 10
  local ini="$run/home/.config/glimmerdome/settings.ini"
  cp "$ini" "$out/settings-drag.ini" 2>/dev/null
  # settings.ini keeps the place in device pixels.
  local left=$(((m[0] - 400) * 3 / 2)) top=$(((m[1] - 200) * 3 / 2))
  grep -qx "Left=$left" "$ini" && grep -qx "Top=$top" "$ini" ||
    fail "after the drag settings.ini does not keep Left=$left, Top=$top (see $out/settings-drag.ini)"
  echo "  closed, it kept the dragged place in settings.ini: Left=$left, Top=$top (device pixels)"
  # 50% transparency is kept as TrVal=5, and its last frame is as see-through
  # as the one the program composes at 50%.
  grep -qx "TrVal=5" "$ini" || fail "after 50% was chosen settings.ini does not keep TrVal=5 (see $out/settings-drag.ini)"
  "$bin" --headless --scale 1.5 --choose pmi50 --snapshot "$out/headless-50.png" >/dev/null 2>&1 ||
    fail "the headless program cannot draw at 50% transparency"
  local alpha want
  alpha=$(convert "$out/drag.pam" -alpha extract -format '%[fx:round(maxima*255)]' info:)
  want=$(convert "$out/headless-50.png" -alpha extract -format '%[fx:round(maxima*255)]' info:)
  [ "$alpha" = "$want" ] || fail "at 50% transparency the globe's most opaque pixel is $alpha, not $want (see $out/drag.pam)"
  convert "$out/drag.pam" "$out/drag.png"
  echo "  and 50% as TrVal=5, its last frame as see-through as the one composed at 50% (alpha at most $alpha)"

  rm -rf "$run/home/.config"
  session quarter 1.25
  check_scale quarter 1.25 375 325
  echo "kwin stage: frames and logs in $out"
)
