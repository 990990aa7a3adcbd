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
# (WAYLAND_DEBUG). KWin offers no pointer to plug in (no virtual-pointer
# protocol, fake input only to authorised clients): the drag and the menu are
# checked on sway (47-wayland.sh), through the same layer surface.
# What the stage leaves is in build/kwin-stage.
stage_kwin() (
  set -u
  need_build glimmerdome || exit 1
  local bin="$root/build/glimmerdome" out="$root/build/kwin-stage"
  local run="" kwin=""

  fail() { echo "kwin stage: $*" >&2; exit 1; }
  # shellcheck source=scripts/lib/session.sh
  source "$root/scripts/lib/session.sh"
  cleanup() { [ -n "$run" ] && rm -rf "$run"; }
  trap cleanup EXIT

  for tool in kwin_wayland dbus-run-session convert; do
    command -v "$tool" >/dev/null || fail "$tool is missing (scripts/deps.sh test installs it)"
  done
  [ -x "$bin" ] || fail "$bin is missing; the unit stage builds it"
  rm -rf "$out" && mkdir -p "$out" || fail "cannot make $out"
  run=$(mktemp -d /tmp/glimmerdome-kwin.XXXXXX) || fail "cannot make a scratch folder"
  mkdir -p "$run/xdg" "$run/home" "$run/bin" && chmod 700 "$run/xdg"
  # kwin_wayland carries a file capability, which some containers refuse to
  # run: a plain copy, still named kwin_wayland, runs there.
  kwin=$(command -v kwin_wayland)
  if ! "$kwin" --version >/dev/null 2>&1; then
    cp "$kwin" "$run/bin/kwin_wayland" && kwin="$run/bin/kwin_wayland"
    "$kwin" --version >/dev/null 2>&1 || fail "kwin_wayland does not run, not even a plain copy of it"
  fi

  # session NAME SCALE [ENV...]: the program in a KWin virtual session of
  # 1280 x 720 logical pixels at SCALE, for four seconds, then closed with
  # SIGTERM as at the end of a desktop session; leaves the frame it presented
  # in $out/NAME.pam, its protocol log in $out/NAME.log.
  session() {
    local name=$1 scale=$2; shift 2
    cat >"$run/app.sh" <<EOF
#!/bin/sh
env GLIMMERDOME_PRESENTED="$out/$name.pam" WAYLAND_DEBUG=client $* "$bin" >"$out/$name.log" 2>&1 &
app=\$!
sleep 4
kill -TERM \$app
wait \$app
echo "exit \$?" >>"$out/$name.log"
EOF
    chmod +x "$run/app.sh"
    rm -f "$out/$name.pam"
    (exec env -i PATH=/usr/bin:/bin HOME="$run/home" XDG_RUNTIME_DIR="$run/xdg" QT_QPA_PLATFORM=offscreen \
      LIBGL_ALWAYS_SOFTWARE=1 dbus-run-session "$kwin" --virtual --width 1280 --height 720 \
      --scale "$scale" --socket "glimmerdome-kwin" -- "$run/app.sh" >"$out/kwin-$name.log" 2>&1) &
    local session=$!
    wait_for 40 grep -qs '^exit' "$out/$name.log"
    # KWin keeps its session after the program is gone (it starts it detached).
    stop "$(pgrep -P "$session" -x kwin_wayland)"
    stop "$session"
    grep -q '^exit 0$' "$out/$name.log" || fail "$name: the program did not run to its close (see $out/$name.log, $out/kwin-$name.log)"
    [ -s "$out/$name.pam" ] || fail "$name: no frame was presented on the globe's own surface (see $out/$name.log)"
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
  rm -rf "$run/home/.config"
  session quarter 1.25
  check_scale quarter 1.25 375 325
  echo "kwin stage: frames and logs in $out"
)
