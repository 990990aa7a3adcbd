# The desktop backend in real windows: Glimmerdome under Xvfb (1920 x 1080),
# first with picom compositing, then with no compositor, looked at through
# screenshots as a person would. Expected pixels come from the committed
# pictures as ImageMagick reads them, not from the program's own decoder:
# outside the mask's outline the desktop shows, and where the glass front is
# opaque the screen shows exactly its colour. The screenshots stay in
# build/gtk-stage for a look.
stage_gtk() (
  need_build || exit 1
  set -u
  local bin="$root/build/glimmerdome" tests="$root/build/glimmer_gtk_tests" art="$root/src/images/art"
  local out="$root/build/gtk-stage"
  # A desktop colour that no picture of the globe holds.
  local desk_hex="#cc00cc" desk_rgb="204 0 204"
  local xvfb_pid="" picom_pid="" wm_pid="" app_pid="" win=""

  fail() { echo "gtk stage: $*" >&2; exit 1; }
  # shellcheck source=scripts/lib/session.sh
  source "$root/scripts/lib/session.sh"
  cleanup() { stop "$app_pid"; stop "$picom_pid"; stop "$wm_pid"; stop "$xvfb_pid"; }
  trap cleanup EXIT

  for tool in Xvfb picom xdotool xwininfo import convert identify hsetroot od; do
    command -v "$tool" >/dev/null || fail "$tool is missing (scripts/deps.sh test installs it)"
  done
  [ -x "$bin" ] || fail "$bin is missing; the unit stage builds it"
  # Without a display, a build with the desktop backend says so clearly.
  local msg rc
  msg=$(env -u DISPLAY "$bin" 2>&1); rc=$?
  [ $rc -eq 1 ] && [[ $msg == *"no X display"* ]] ||
    fail "glimmerdome was built without GTK, or gave no clear error without a display (exit $rc: $msg)"

  rm -rf "$out" && mkdir -p "$out" || fail "cannot make $out"

  # What a desktop finds after an install: the program, its launcher entry
  # and a 256 x 256 icon with the globe in its middle.
  cmake --install "$root/build" --prefix "$out/install" >"$out/install.log" 2>&1 || fail "cmake --install failed (see $out/install.log)"
  local desktop="$out/install/share/applications/glimmerdome.desktop"
  local icon="$out/install/share/icons/hicolor/256x256/apps/glimmerdome.png"
  [ -x "$out/install/bin/glimmerdome" ] || fail "the install has no bin/glimmerdome"
  grep -qx 'Exec=glimmerdome' "$desktop" && grep -qx 'Icon=glimmerdome' "$desktop" ||
    fail "the installed launcher entry $desktop does not start glimmerdome with its icon"
  [ "$(identify -format '%w %h' "$icon" 2>/dev/null)" = "256 256" ] || fail "the installed icon is not 256 x 256"
  [ "$(convert "$icon" -crop 1x1+128+128 +repage -depth 8 RGBA:- | od -An -tu1 | awk '{print $4}')" = 255 ] &&
    [ "$(convert "$icon" -crop 1x1+0+0 +repage -depth 8 RGBA:- | od -An -tu1 | awk '{print $4}')" = 0 ] ||
    fail "the installed icon does not show the globe on a transparent square"
  echo "gtk stage: the install holds the program, its launcher entry and its icon"
  Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset 3>"$out/display" 2>"$out/xvfb.log" &
  xvfb_pid=$!
  wait_for 10 test -s "$out/display" || fail "Xvfb did not start (see $out/xvfb.log)"
  export DISPLAY=":$(head -1 "$out/display")"
  unset WAYLAND_DISPLAY

  # Reference pixels, one line per pixel of the 300 x 260 window: the mask's
  # red, green, blue, alpha, then the globe's, then the glass front's.
  rgba_lines() { convert "$1" -depth 8 RGBA:- | od -An -v -tu1 -w4 | awk '{print $1, $2, $3, $4}'; }
  rgba_lines "$art/imgMask.bmp" >"$out/mask.txt" && rgba_lines "$art/imgTree.png" >"$out/tree.txt" &&
    rgba_lines "$art/img3.png" >"$out/front.txt" || fail "cannot read the pictures in $art"
  paste -d' ' "$out/mask.txt" "$out/tree.txt" "$out/front.txt" >"$out/reference.txt"
  [ "$(wc -l <"$out/reference.txt")" -eq 78000 ] || fail "the pictures are not 300 x 260"

  # The globe's window: the visible one of the program that is 300 x 260
  # (or $want_size).
  find_window() {
    local w
    win=""
    for w in $(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null); do
      [ "$(geometry "$w" | cut -d' ' -f3-)" = "${want_size:-300 260}" ] && win=$w && return 0
    done
    return 1
  }
  geometry() {
    xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
      /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, w, h}'
  }
  position() { geometry "$win" | cut -d' ' -f1-2; }
  visible_windows() { xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null | wc -l; }
  shot() { import -window root "$out/$1.png" || fail "cannot take the screenshot $1"; }
  # drawn: the globe's window shows a picture on the screen, not one colour.
  drawn() {
    local x y w h
    read -r x y w h < <(geometry "$win")
    shot drawn
    [ "$(colours "$out/drawn.png" "$w" "$h" "$x" "$y")" -gt 100 ]
  }
  # menus_drawn N: beside the globe the program shows N windows on the screen
  # (menus, a message; GTK's own off-screen window while a menu is open does
  # not count), each drawn: a menu shown is ready for the keys.
  menus_drawn() {
    local w x y ww h n=0
    shot drawn
    for w in $(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null); do
      [ "$w" = "$win" ] && continue
      read -r x y ww h < <(geometry "$w")
      [ $((x + ww)) -le 0 ] || [ $((y + h)) -le 0 ] && continue
      [ "$(colours "$out/drawn.png" "$ww" "$h" "$x" "$y")" -gt 4 ] || return 1
      n=$((n + 1))
    done
    [ "$n" -eq "$1" ]
  }
  started() {  # started NAME: the program's window appeared and is drawn
    wait_for 10 find_window || fail "$1: no window of glimmerdome appeared (see $out/app-$1.log)"
    wait_for 5 drawn || fail "$1: the window of glimmerdome shows nothing (see $out/drawn.png)"
  }
  start_app() {  # start_app NAME [HOME]: a run with the settings of $out/home-HOME (default NAME)
    local home="$out/home-${2:-$1}"
    mkdir -p "$home"
    HOME="$home" XDG_CONFIG_HOME="$home/.config" "$bin" >"$out/app-$1.log" 2>&1 &
    app_pid=$!
    started "$1"
  }

  # check_globe SHOT X Y [ALPHA]: the screenshot SHOT shows the globe at
  # (X, Y) at the constant alpha (255 when not given), the desktop around it,
  # within 5 s. Where the glass front is opaque the screen shows its colour
  # blended over the desktop at ALPHA: exactly at 255, within 3 for the
  # rounding of cairo and the compositor else.
  check_globe() {
    local shown=0
    wait_for 5 globe_shown "$@" && shown=1
    cat "$out/$1.check"
    [ $shown -eq 1 ] || fail "$1: the globe is not shown as it should be at $2,$3 (see $out/$1.png)"
  }
  globe_shown() {
    local alpha=${4:-255}
    shot "$1"
    convert "$out/$1.png" -crop "300x260+$2+$3" +repage -depth 8 RGBA:- | od -An -v -tu1 -w4 |
      awk '{print $1, $2, $3}' >"$out/$1.window.txt"
    paste -d' ' "$out/reference.txt" "$out/$1.window.txt" | awk -v shot="$1" -v desk="$desk_rgb" -v A="$alpha" '
      function near(s, f, dc) {
        e = f * A / 255 + dc * (255 - A) / 255
        return (A == 255) ? (s == f) : (s - e <= 3 && e - s <= 3)
      }
      BEGIN { split(desk, d, " ") }
      {
        i = NR - 1; x = i % 300; y = int(i / 300); r = $13; g = $14; b = $15
        isdesk = (r == d[1] && g == d[2] && b == d[3])
        if ($1 == 255 && $2 == 255 && $3 == 255) {          # outside the outline
          outside++
          if (!isdesk) {
            wrong++; if (r + g + b == 0) black++
            if (wrong <= 5) printf "  %s: pixel %d,%d outside the outline is %d %d %d, not the desktop\n", shot, x, y, r, g, b
          }
        } else if ($8 == 255 && $12 == 255 && !(x >= 80 && x <= 214 && y >= 180 && y <= 212)) {
          front++                                          # opaque glass front, away from the plaque
          if (!near(r, $9, d[1]) || !near(g, $10, d[2]) || !near(b, $11, d[3])) {
            frontWrong++
            if (frontWrong <= 5) printf "  %s: front pixel %d,%d is %d %d %d; the picture has %d %d %d, at alpha %d\n", shot, x, y, r, g, b, $9, $10, $11, A
          }
        } else {
          inside++; if (isdesk) deskInside++
        }
      }
      END {
        printf "  %s: %d pixels outside the outline, %d not the desktop (%d black); %d opaque front pixels, %d wrong at alpha %d; %d other globe pixels, %d showing the desktop\n", shot, outside, wrong, black, front, frontWrong, A, inside, deskInside
        exit (NR != 78000 || wrong > 0 || frontWrong > 0 || front < 1000 || (A == 255 && deskInside > inside / 100)) ? 1 : 0
      }' >"$out/$1.check"
  }
  # check_desktop SHOT X Y: a 300 x 260 area of the screenshot SHOT (taken
  # again while it does not) shows only the desktop, within 5 s.
  check_desktop() {
    local n
    wait_for 5 desktop_at "$@" ||
      fail "$1: $n pixels at the globe's old place $2,$3 do not show the desktop (see $out/$1.png)"
    echo "  $1: the old place $2,$3 shows only the desktop"
  }
  desktop_at() {
    n=$(convert "$out/$1.png" -crop "300x260+$2+$3" +repage -depth 8 RGB:- | od -An -v -tu1 -w3 |
      awk -v desk="$desk_rgb" 'BEGIN { split(desk, d, " ") } !($1 == d[1] && $2 == d[2] && $3 == d[3]) { n++ } END { print n + 0 }')
    [ "$n" -eq 0 ] || { shot "$1"; return 1; }
  }
  expected_place="$((1920 - 305)) $((1080 - 260))"  # bottom right of the work area
  ini_has() {  # ini_has NAME KEY=VALUE...: the settings of start_app NAME hold these lines
    local ini="$out/home-$1/.config/glimmerdome/settings.ini" line
    shift
    for line in "$@"; do grep -qx "$line" "$ini" 2>/dev/null || return 1; done
  }

  # shake NAME: shakes the globe eight times (40 pixels to and fro, five times
  # a second) and sees the snow stirred up into the sky, against the
  # screenshot NAME taken before; the globe ends where it was.
  shake() {
    local x y px py before after moves=() i
    read -r x y < <(position)
    px=$((x + 150)); py=$((y + 100))
    before=$(sky_specks "$out/$1.png" "$x" "$y")
    for i in 1 2 3 4 5 6 7 8; do
      moves+=(mousemove $((px - 20)) "$py" sleep 0.05 mousemove $((px - 40)) "$py" sleep 0.05
              mousemove $((px - 20)) "$py" sleep 0.05 mousemove "$px" "$py" sleep 0.05)
    done
    xdotool mousemove "$px" "$py" sleep 0.1 mousedown 1 sleep 0.1 "${moves[@]}" mouseup 1
    shot "$1-shaken"
    after=$(sky_specks "$out/$1-shaken.png" "$x" "$y")
    wait_for 3 eval '[ "$(position)" = "$x $y" ]' || fail "after a shake the globe is at $(position), not back at $x,$y"
    [ "$after" -gt $((before * 6 / 5)) ] ||
      fail "a shake stirred up no snow: $after specks in the sky against $before before it (see $out/$1*.png)"
    echo "  a shake stirred up the snow: $after specks in the sky against $before before it"
  }

  # --- With a compositor ------------------------------------------------------------
  echo "gtk stage: with picom on $DISPLAY"
  picom --backend xrender --config /dev/null >"$out/picom.log" 2>&1 &
  picom_pid=$!
  wait_for 10 eval 'xwininfo -root -tree | grep -q "\"picom\""' || fail "picom did not start (see $out/picom.log)"
  hsetroot -solid "$desk_hex" >/dev/null || fail "cannot set the desktop colour"
  if [ -x "$tests" ]; then
    "$tests" --gtest_brief=1 >"$out/tests-composited.log" 2>&1 ||
      { tail -30 "$out/tests-composited.log"; fail "the GTK backend's tests failed with picom"; }
  fi
  start_app composited
  [ "$(position)" = "$expected_place" ] || fail "first run: the globe is at $(position), not at $expected_place"
  echo "  the globe appeared at $expected_place"
  check_globe composited 1615 820
  drag 1 -400 -300
  check_globe composited-dragged 1215 520
  check_desktop composited-dragged 1615 820
  # The right button moves the globe too, and a drag opens no menu.
  drag 3 200 100
  [ "$(visible_windows)" -eq 1 ] || fail "a drag with the right button opened a window"
  # A right click opens the menu. Options, Transparent, 90 %: the globe shows
  # faintly, at constant alpha 57.
  open_menu() {
    read -r x y < <(position)
    xdotool mousemove $((x + 150)) $((y + 100)) sleep 0.1 click 3
    wait_for 5 menus_drawn 1 || fail "a right click opened no menu (see $out/drawn.png)"
  }
  transparent_menu() {  # from the open menu, Options, then Transparent
    xdotool key Down Down Down Down Down Right
    wait_for 5 menus_drawn 2 || fail "Options opened no menu (see $out/drawn.png)"
    xdotool key Down Right
    wait_for 5 menus_drawn 3 || fail "Options, Transparent opened no menu (see $out/drawn.png)"
  }
  open_menu
  transparent_menu
  xdotool key Down Down Down Down Down Down Down Down Down
  shot composited-menu
  echo "  a right click opened the menu"
  xdotool key Return
  wait_for 5 eval '[ "$(visible_windows)" -eq 1 ]' || fail "the menu did not close after a choice"
  read -r x y < <(position)
  check_globe composited-90 "$x" "$y" 57
  # The menu's last item, Exit, ends the program.
  open_menu
  xdotool key Up Return
  wait_for 5 gone "$app_pid" || fail "choosing Exit in the menu did not end the program"
  wait "$app_pid"; rc=$?; app_pid=""
  [ $rc -eq 0 ] || fail "after Exit the program ended with status $rc"
  echo "  Exit in the menu ended the program (status 0)"
  # The close kept the place and the level; the next start restores them.
  local ini="$out/home-composited/.config/glimmerdome/settings.ini"
  grep -qx "Left=$x" "$ini" && grep -qx "Top=$y" "$ini" && grep -qx "TrVal=9" "$ini" ||
    fail "the close did not keep the place $x,$y and the 90 % level in $ini"
  local key
  for key in OnTop TrVal Top Left iCountdown iSpeed isSnowOn Scale; do
    grep -qE "^$key=-?[0-9]+\$" "$ini" || fail "the close did not write $key in $ini"
  done
  [ "$(grep -cE '^[A-Za-z]+=' "$ini")" = 8 ] || fail "$ini holds other values than the eight settings"
  start_app composited-again composited
  [ "$(position)" = "$x $y" ] || fail "the second start put the globe at $(position), not at the kept $x,$y"
  shot composited-again
  check_globe composited-again "$x" "$y" 57
  stop "$app_pid"; app_pid=""
  echo "  the second start restored the place $x,$y and the 90 % level"

  # "More Christmas stuff..." asks xdg-open (here a stand-in that records its
  # argument) to open the page; a program run from its build tree has none
  # installed beside it and opens the copy it writes to the user's cache.
  # When xdg-open fails, a message says where the page is.
  local fake="$out/fakebin" home="$out/home-page"
  mkdir -p "$fake" "$home"
  printf '#!/bin/sh\necho "$1" >>"%s"\nexit "$(cat "%s" 2>/dev/null || echo 0)"\n' "$out/xdg-open.args" "$out/xdg-open.status" \
    >"$fake/xdg-open" && chmod +x "$fake/xdg-open"
  PATH="$fake:$PATH" HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_CACHE_HOME="$home/.cache" LC_ALL=C \
    "$bin" >"$out/app-page.log" 2>&1 &
  app_pid=$!
  started page
  open_menu
  xdotool key Down Return
  wait_for 5 test -s "$out/xdg-open.args" || fail "choosing More Christmas stuff... ran no xdg-open"
  local opened
  opened=$(head -1 "$out/xdg-open.args")
  [ "$opened" = "file://$home/.cache/glimmerdome/page/index.html" ] && [ -s "$home/.cache/glimmerdome/page/index.html" ] &&
    [ -s "$home/.cache/glimmerdome/page/globe-night.png" ] ||
    fail "xdg-open was asked to open '$opened', not the page written to $home/.cache/glimmerdome/page"
  echo "  More Christmas stuff... asked xdg-open to open $opened"
  echo 4 >"$out/xdg-open.status"
  # message_box: the program's message, drawn: its visible window that is not
  # the globe's, nor a menu (which overrides the window manager).
  local dialog
  message_box() {
    local w x y ww h
    dialog=""
    shot drawn
    for w in $(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null); do
      [ "$w" != "$win" ] && xwininfo -id "$w" 2>/dev/null | grep -q 'Override Redirect State: no' || continue
      read -r x y ww h < <(geometry "$w")
      [ "$(colours "$out/drawn.png" "$ww" "$h" "$x" "$y")" -gt 4 ] && dialog=$w
    done
    [ -n "$dialog" ]
  }
  open_menu
  xdotool key Down Return
  wait_for 5 eval '[ "$(wc -l <"$out/xdg-open.args")" -ge 2 ] && message_box' ||
    fail "a failing xdg-open brought no message"
  shot page-not-opened
  xdotool windowfocus --sync "$dialog" key Return
  wait_for 5 eval '[ "$(visible_windows)" -eq 1 ]' || fail "the message did not close"
  echo "  a failing xdg-open brought a message (see $out/page-not-opened.png)"
  stop "$app_pid"; app_pid=""

  # --- Without a compositor ---------------------------------------------------------
  echo "gtk stage: without a compositor"
  stop "$picom_pid"; picom_pid=""
  hsetroot -solid "$desk_hex" >/dev/null || fail "cannot set the desktop colour"
  if [ -x "$tests" ]; then
    "$tests" --gtest_brief=1 >"$out/tests-plain.log" 2>&1 ||
      { tail -30 "$out/tests-plain.log"; fail "the GTK backend's tests failed without a compositor"; }
  fi
  start_app plain
  [ "$(position)" = "$expected_place" ] || fail "first run: the globe is at $(position), not at $expected_place"
  check_globe plain 1615 820
  # No black box: the window's corners show the desktop.
  for corner in "1615 820" "1914 820" "1615 1079" "1914 1079"; do
    read -r x y <<<"$corner"
    px=$(convert "$out/plain.png" -crop "1x1+$x+$y" +repage -depth 8 RGB:- | od -An -tu1 | awk '{print $1, $2, $3}')
    [ "$px" = "$desk_rgb" ] || fail "without a compositor the window's corner $x,$y is $px, not the desktop"
  done
  shake plain
  drag 1 -400 -300
  check_globe plain-dragged 1215 520
  check_desktop plain-dragged 1615 820
  # The end of the session: a TERM signal closes the window as Exit does, and
  # a second one during the close loses nothing.
  kill -TERM "$app_pid"; kill -TERM "$app_pid"
  wait_for 5 gone "$app_pid" || fail "the program did not close on SIGTERM"
  wait "$app_pid"; rc=$?; app_pid=""
  [ $rc -eq 0 ] || fail "on SIGTERM the program ended with status $rc"
  ini_has plain Left=1215 Top=520 || fail "after two SIGTERMs the dragged place 1215,520 is not kept"
  echo "  SIGTERM, twice, closed the program (status 0) and kept the dragged place"
  # A store that refuses the write (a file size limit of 0, as a full disk):
  # one message for the cause however often it is tried, the globe keeps
  # moving, and settings.ini stays as it was, with nothing left beside it.
  local home="$out/home-plain"
  cp "$home/.config/glimmerdome/settings.ini" "$out/settings-before.ini" || fail "no settings.ini after the plain run"
  (ulimit -f 0; HOME="$home" XDG_CONFIG_HOME="$home/.config" exec "$bin") >/dev/null 2>&1 &
  app_pid=$!
  started refused
  drag 1 -100 -100
  wait_for 5 message_box || fail "a refused write showed no message"
  xdotool windowfocus --sync "$dialog" key Return
  wait_for 5 eval '[ "$(visible_windows)" -eq 1 ]' || fail "the message of a refused write did not close on Return"
  drag 1 -100 -100
  hold_for 1 "the write is tried within 200 ms of the drag's end: a second message would show by then"
  [ "$(visible_windows)" -eq 1 ] || fail "a second refused write for the same cause showed another message"
  kill -TERM "$app_pid"
  wait_for 5 gone "$app_pid" || fail "under a file size limit the program did not close on SIGTERM"
  wait "$app_pid"; rc=$?; app_pid=""
  [ $rc -eq 0 ] || fail "under a file size limit the program ended with status $rc"
  cmp -s "$out/settings-before.ini" "$home/.config/glimmerdome/settings.ini" &&
    [ "$(ls "$home/.config/glimmerdome")" = settings.ini ] || fail "a refused write changed settings.ini or left a file beside it"
  echo "  a refused write: one message, the globe kept moving, settings.ini as it was"

  # --- At GTK's scale factor 2 ------------------------------------------------------
  # The globe is drawn at scale 2: 600 x 520 device pixels from the pictures
  # drawn at that size, presented one to one (where the glass front is opaque
  # the screen shows exactly its picture at 2x, which no enlargement of the
  # 300 x 260 frame would), and the snow falls (over the house's opaque
  # mound only flakes move).
  echo "gtk stage: at GDK_SCALE=2, without a compositor"
  want_size="600 520" GDK_SCALE=2 start_app scaled
  shot scaled
  read -r x y < <(position)
  rgba_lines "$art/2x/imgMask.png" >"$out/mask2x.txt" && rgba_lines "$art/2x/imgTree.png" >"$out/tree2x.txt" &&
    rgba_lines "$art/2x/img3.png" >"$out/front2x.txt" || fail "cannot read the pictures in $art/2x"
  convert "$out/scaled.png" -crop "600x520+$x+$y" +repage -depth 8 RGBA:- | od -An -v -tu1 -w4 |
    awk '{print $1, $2, $3}' >"$out/scaled.window.txt"
  paste -d' ' "$out/mask2x.txt" "$out/tree2x.txt" "$out/front2x.txt" "$out/scaled.window.txt" | awk '
    {
      i = NR - 1; x = i % 600; y = int(i / 600)
      if ($1 == 255 && $2 == 255 && $3 == 255) next              # outside the outline
      # Only where the globe and the glass front are opaque, away from the plaque.
      if ($8 != 255 || $12 != 255 || (x >= 160 && x <= 428 && y >= 360 && y <= 424)) next
      front++
      if ($9 != $13 || $10 != $14 || $11 != $15) { wrong++; if (wrong <= 5) printf "  front pixel %d,%d is %d %d %d, not %d %d %d\n", x, y, $13, $14, $15, $9, $10, $11 }
    }
    END { printf "  scaled: %d opaque front pixels at 2x, %d wrong\n", front, wrong; exit (NR != 312000 || front < 4000 || wrong > 0) }' ||
    fail "at GDK_SCALE=2 the globe is not the picture drawn at twice the size (see $out/scaled.png)"
  local moved
  convert "$out/scaled.png" -crop "320x40+$((x + 140))+$((y + 310))" +repage "$out/mound.png" ||
    fail "cannot cut the mound out of the screenshot"
  mound_moved() {  # a later screenshot's mound differs
    shot scaled-later
    convert "$out/scaled-later.png" -crop "320x40+$((x + 140))+$((y + 310))" +repage "$out/mound-later.png" ||
      fail "cannot cut the mound out of the screenshot"
    moved=$(compare -metric AE "$out/mound.png" "$out/mound-later.png" null: 2>&1 | cut -d' ' -f1)
    [ "${moved:-0}" -gt 0 ] 2>/dev/null
  }
  wait_for 5 mound_moved || fail "at GDK_SCALE=2 no snow falls over the mound in 5 s (see $out/scaled*.png)"
  echo "  a 600 x 520 window, the 2x pictures one to one, and $moved pixels of snow moving over the mound"
  stop "$app_pid"; app_pid=""

  # --- The desktop goes away ----------------------------------------------------------
  # Under openbox, the X server killed under a running globe (as many desktops
  # end it at logout), or the program killed: what was changed last is in
  # settings.ini, and the program is gone within two seconds, saying why.
  echo "gtk stage: the X server or the program killed, under openbox"
  for tool in openbox xprop; do
    command -v "$tool" >/dev/null || fail "$tool is missing (scripts/deps.sh test installs it)"
  done
  stop "$xvfb_pid"; xvfb_pid=""
  session() {  # session NAME: a fresh Xvfb with openbox
    Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset 3>"$out/display-$1" 2>"$out/xvfb-$1.log" &
    xvfb_pid=$!
    wait_for 10 test -s "$out/display-$1" || fail "Xvfb did not start (see $out/xvfb-$1.log)"
    export DISPLAY=":$(head -1 "$out/display-$1")"
    openbox --sm-disable >"$out/openbox-$1.log" 2>&1 &
    wm_pid=$!
    wait_for 10 eval 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"' ||
      fail "openbox did not start (see $out/openbox-$1.log)"
  }
  gone_within() {  # gone_within SECONDS WHAT: the program ends in time, status 0
    wait_for "$1" gone "$app_pid" || fail "$2: the program still runs after $1 s"
    wait "$app_pid"; rc=$?; app_pid=""
  }
  x_gone() {  # x_gone NAME: the X server killed; the program ends at once and says why
    disown "$xvfb_pid"  # no word from the shell about the killed job
    kill -9 "$xvfb_pid"; xvfb_pid=""
    gone_within 2 "$1: the X server killed"
    stop "$wm_pid"; wm_pid=""
    [ $rc -eq 0 ] || fail "$1: with the X server gone the program ended with status $rc (see $out/app-$1.log)"
    grep -q "connection to the display" "$out/app-$1.log" || fail "$1: no line on stderr says why it ended"
  }
  session x-drag
  start_app x-drag
  drag 1 -300 -200
  read -r x y < <(position)
  x_gone x-drag
  ini_has x-drag "Left=$x" "Top=$y" || fail "the X server killed right after a drag: $x,$y is not kept"
  echo "  the X server killed right after a drag: gone within 2 s, the place $x,$y kept"
  session x-kill
  start_app x-kill
  drag 1 -300 -200
  read -r x y < <(position)
  wait_for 2 ini_has x-kill "Left=$x" "Top=$y" || fail "two seconds after a drag the place $x,$y is not written"
  kill -9 "$app_pid"
  wait "$app_pid" 2>/dev/null; app_pid=""
  ini_has x-kill "Left=$x" "Top=$y" || fail "the program killed after a drag: $x,$y is not kept"
  echo "  the program killed once the drag's place was written (within 2 s): the place $x,$y kept"
  stop "$wm_pid"; wm_pid=""; stop "$xvfb_pid"; xvfb_pid=""
  session x-menu
  start_app x-menu
  open_menu  # Options, Transparent, 50 %
  transparent_menu
  xdotool key Down Down Down Down Down Return
  wait_for 5 eval '[ "$(visible_windows)" -eq 1 ]' || fail "the menu did not close after a choice"
  x_gone x-menu
  ini_has x-menu TrVal=5 || fail "the X server killed right after choosing 50 %: TrVal=5 is not kept"
  echo "  the X server killed right after choosing 50 %: gone within 2 s, TrVal=5 kept"
  echo "gtk stage: screenshots in $out"
)
