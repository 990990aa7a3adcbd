# Glimmerdome for Windows, under Wine. Cross-builds glimmerdome.exe and the
# unit tests with mingw-w64, then, in a virtual screen (Xvfb) with a fresh
# Wine prefix: runs the unit tests; checks that a headless run draws the same
# frames as the Linux build; and runs the program as a person would. It must
# appear in the bottom-right corner of the work area, animate, move with a
# drag, stir its snow when shaken, open its menu on the right button and
# close on "Exit"; copied alone into an empty folder, it writes and opens its
# own page. Once the core
# keeps settings, Exit must also leave the seven values and the Run entry in
# the registry, and a second start must come back where the first one was left;
# the end of the session right after a drag must keep the new place.
# Everything started here is ended when the stage ends; each step has a time limit.

win_screen_w=1280
win_screen_h=1024
# The globe's outline in the window (the mask's non-white pixels).
win_outline_left=47 win_outline_top=11 win_outline_w=200 win_outline_h=215

stage_windows() {
  need_build glimmerdome glimmer_icon || return 1
  # shellcheck source=scripts/lib/session.sh
  source "$root/scripts/lib/session.sh"
  (
    set -uo pipefail
    win_tmp=$(mktemp -d "${TMPDIR:-/tmp}/glimmerdome-wine.XXXXXX")
    win_pids=()
    win_failures=0
    trap win_cleanup EXIT
    win_build && win_start_screen && win_start_wine || exit 1
    win_unit_tests
    win_headless_matches_linux
    win_menu_caption
    win_desktop_run
    win_own_page_run
    echo "windows: $win_failures failed check(s)"
    [ "$win_failures" -eq 0 ]
  )
}

win_fail() { echo "windows: FAILED: $*"; win_failures=$((win_failures + 1)); }
win_ok() { echo "windows: ok: $*"; }

win_cleanup() {
  local pid
  for pid in "${win_pids[@]}"; do kill "$pid" 2>/dev/null; done
  [ -n "${WINEPREFIX:-}" ] && timeout 20 wineserver -k 2>/dev/null
  for pid in "${win_pids[@]}"; do wait "$pid" 2>/dev/null; done
  [ -n "${win_xvfb:-}" ] && kill "$win_xvfb" 2>/dev/null && wait "$win_xvfb" 2>/dev/null
  rm -rf "$win_tmp"
}

win_build() {
  win_dir="$root/build-windows"
  local icon_tool=()
  # The unit stage has built glimmer_icon already; otherwise the cross build makes its own.
  [ -x "$root/build/glimmer_icon" ] && icon_tool=(-DGLIMMERDOME_ICON_TOOL="$root/build/glimmer_icon")
  cmake -S "$root" -B "$win_dir" --toolchain "$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DGLIMMERDOME_TESTS=ON "${icon_tool[@]}" >/dev/null &&
  timeout 1200 cmake --build "$win_dir" -j "$jobs" --target glimmerdome glimmer_tests || return 1
  win_exe="$win_dir/glimmerdome.exe"
  # One self-contained program: nothing but the system's own DLLs.
  local dlls
  dlls=$(x86_64-w64-mingw32-objdump -p "$win_exe" | awk '/DLL Name:/ {print toupper($3)}' | sort | tr '\n' ' ')
  if [ "$dlls" = "ADVAPI32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL SHELL32.DLL USER32.DLL " ]; then
    win_ok "glimmerdome.exe imports only system DLLs"
  else
    win_fail "glimmerdome.exe imports $dlls"
  fi
  local sizes
  sizes=$(identify -format '%w ' "$win_dir/generated/glimmerdome.ico" 2>/dev/null)
  [ "$sizes" = "256 64 48 32 24 16 " ] && win_ok "the icon holds sizes $sizes" || win_fail "the icon holds sizes '$sizes'"
}

win_start_screen() {
  Xvfb -displayfd 3 -screen 0 "${win_screen_w}x${win_screen_h}x24" -br -nolisten tcp 3>"$win_tmp/display" \
    >"$win_tmp/xvfb.log" 2>&1 &
  win_xvfb=$!
  local i
  for i in $(seq 100); do
    [ -s "$win_tmp/display" ] && break
    sleep 0.1
  done
  [ -s "$win_tmp/display" ] || { echo "windows: Xvfb did not start"; return 1; }
  export DISPLAY=":$(cat "$win_tmp/display")"
}

win_start_wine() {
  export WINEPREFIX="$win_tmp/prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  timeout 240 wine wineboot --init >"$win_tmp/wineboot.log" 2>&1 || { echo "windows: wineboot failed"; return 1; }
}

win_unit_tests() {
  if (cd "$win_dir" && timeout 600 wine ./glimmer_tests.exe --gtest_brief=1); then
    win_ok "the unit tests pass under Wine"
  else
    win_fail "the unit tests under Wine"
  fi
}

# The core is the same code on both systems, so the frames and the trace of a
# headless run must be the same bytes (a shaken one, the stirred snow's
# flight included).
win_headless_matches_linux() {
  local linux="$root/build/glimmerdome" args=(--headless --at 2026-12-20T17:30 --shake 5 --frames 120)
  if [ ! -x "$linux" ]; then
    echo "windows: skipped: no Linux build to compare the headless run with"
    return
  fi
  "$linux" "${args[@]}" --dump "$win_tmp/linux.raw" --trace "$win_tmp/linux.trace" &&
  (cd "$win_tmp" && timeout 120 wine "$win_exe" "${args[@]}" --dump windows.raw --trace windows.trace) || {
    win_fail "a headless run"
    return
  }
  if cmp -s "$win_tmp/linux.raw" "$win_tmp/windows.raw" && cmp -s "$win_tmp/linux.trace" "$win_tmp/windows.trace"; then
    win_ok "a headless run draws the same frames and trace as on Linux"
  else
    win_fail "a headless run differs from the Linux build's"
  fi
}

# The menu names this program, and the moment the Run entry starts it.
win_menu_caption() {
  local menu
  menu=$(cd "$win_tmp" && timeout 60 wine "$win_exe" --headless --print-menu 2>/dev/null | tr -d '\r')
  if grep -qx '  \[x\] Start Glimmerdome when I start Windows' <<<"$menu"; then
    win_ok "the menu offers \"Start Glimmerdome when I start Windows\""
  else
    win_fail "the printed menu has no checked \"Start Glimmerdome when I start Windows\": $(tr '\n' '|' <<<"$menu")"
  fi
}

# --- Looking at the screen ------------------------------------------------------

win_shot() { import -window root "$win_tmp/$1.png"; }

# The bounding box of what is not black, as W H X Y.
win_bbox() { convert "$win_tmp/$1.png" -format '%@' info: 2>/dev/null | tr 'x+' '  '; }

# How many pixels differ between two screenshots inside a rectangle W H X Y.
win_changed() {
  local geometry="$3x$4+$5+$6"
  convert "$win_tmp/$1.png" -crop "$geometry" +repage "$win_tmp/crop1.png" &&
  convert "$win_tmp/$2.png" -crop "$geometry" +repage "$win_tmp/crop2.png" &&
  compare -metric AE "$win_tmp/crop1.png" "$win_tmp/crop2.png" null: 2>&1 | cut -d' ' -f1
}

# The program's windows on the screen: "name W H X Y" per line, "-" for no name.
win_windows() {
  local id name X Y WIDTH HEIGHT SCREEN WINDOW
  for id in $(xdotool search --onlyvisible --classname '^glimmerdome\.exe$' 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$id" 2>/dev/null)" || continue
    name=$(xdotool getwindowname "$id" 2>/dev/null)
    echo "${name:--} $WIDTH $HEIGHT $X $Y"
  done
}

# The main window's position as X Y, empty while it is not shown.
win_position() { win_windows | awk '$1 == "frmMain" {print $4, $5; exit}'; }

win_wait_shown() {
  local i
  for i in $(seq 300); do
    [ -n "$(win_position)" ] && { sleep 2; return 0; }  # and a few frames
    sleep 0.1
  done
  return 1
}

# The popup menu: W H X Y of the program's largest unnamed window.
win_menu() { win_windows | awk '$1 == "-" && $2 > 60 && $3 > 40 {print $2 * $3, $2, $3, $4, $5}' | sort -rn | head -1 | cut -d' ' -f2-; }

win_start_program() {
  (cd "$win_tmp" && exec timeout 300 wine "$win_exe" "$@" >>"$win_tmp/program.log" 2>&1) &
  win_program=$!
  win_pids+=("$win_program")
}

# Right-clicks the window at (dx, dy) of its top-left corner and waits for the menu.
win_open_menu() {
  local x y i
  read -r x y <<<"$(win_position)"
  xdotool mousemove $((x + $1)) $((y + $2)) sleep 0.3 click 3
  for i in $(seq 50); do
    [ -n "$(win_menu)" ] && { sleep 0.5; return 0; }
    sleep 0.1
  done
  return 1
}

# Chooses "Exit", the last item of the open menu, and waits for the program to end.
win_choose_exit() {
  local w h x y i
  read -r w h x y <<<"$(win_menu)"
  xdotool mousemove $((x + 30)) $((y + h - 12)) sleep 0.3 click 1
  for i in $(seq 100); do
    kill -0 "$win_program" 2>/dev/null || { wait "$win_program"; return; }
    sleep 0.1
  done
  return 1
}

# The .exe alone in an empty folder has no page beside it: "More Christmas
# stuff..." writes the program's own copy to %LOCALAPPDATA%\Glimmerdome\page
# and asks ShellExecute to open it, which Wine hands to the desktop's
# xdg-open: here a stand-in on the PATH that records its argument.
win_own_page_run() {
  local alone="$win_tmp/alone" fake="$win_tmp/fakebin" local_app page i opened
  mkdir -p "$alone" "$fake"
  cp "$win_exe" "$alone/"
  printf '#!/bin/sh\necho "$*" >>"%s"\n' "$win_tmp/xdg-open.args" >"$fake/xdg-open" && chmod +x "$fake/xdg-open"
  local_app=$(timeout 30 wine cmd /c echo %LOCALAPPDATA% 2>/dev/null | tr -d '\r')
  page=$(timeout 30 winepath -u "$local_app\\Glimmerdome\\page" 2>/dev/null)
  (cd "$alone" && PATH="$fake:$PATH" exec timeout 300 wine "$alone/glimmerdome.exe" >>"$win_tmp/program.log" 2>&1) &
  win_program=$!
  win_pids+=("$win_program")
  win_wait_shown || { win_fail "the .exe alone showed no window"; return; }
  # The prefix knows no program for .html files: the message says where the page is.
  win_choose_first_item || { win_fail "the .exe alone: no menu"; return; }
  for i in $(seq 50); do
    win_windows | grep -q '^Glimmerdome ' && break
    sleep 0.1
  done
  if win_windows | grep -q '^Glimmerdome ' && [ -s "$page/index.html" ] && [ -s "$page/globe-day.png" ]; then
    win_ok "the .exe alone wrote its page to $local_app\\Glimmerdome\\page; with no program for it, a message says so"
  else
    win_fail "the .exe alone: no message, or the page in '$page' holds '$(ls "$page" 2>&1 | tr '\n' ' ')'"
  fi
  xdotool key Return
  sleep 0.5
  # With Wine's browser as the program for .html files, as Windows has a
  # browser, ShellExecute's "open" reaches xdg-open with the page.
  local key='HKCR'
  timeout 60 wine reg add "$key\.html" /ve /d htmlfile /f >/dev/null 2>&1
  timeout 60 wine reg add "$key\htmlfile\shell\open\command" /ve /d 'winebrowser.exe "%1"' /f >/dev/null 2>&1
  win_choose_first_item || { win_fail "the .exe alone: no menu the second time"; return; }
  for i in $(seq 100); do
    [ -s "$win_tmp/xdg-open.args" ] && break
    sleep 0.1
  done
  opened=$(head -1 "$win_tmp/xdg-open.args" 2>/dev/null)
  if [[ $opened == *page/index.html* ]] && [ -s "$(sed 's|^file://||; s|%20| |g' <<<"$opened")" ]; then
    win_ok "ShellExecute handed the page to xdg-open: $opened"
  else
    win_fail "xdg-open was asked to open '$opened', not the page in $page"
  fi
  win_open_menu 150 120 && win_choose_exit || win_fail "the .exe alone did not end on Exit"
}

# Opens the menu and chooses its first item, "More Christmas stuff...".
win_choose_first_item() {
  local w h x y
  win_open_menu 150 120 || return 1
  read -r w h x y <<<"$(win_menu)"
  xdotool mousemove $((x + 30)) $((y + 12)) sleep 0.3 click 1
}

# Whether the core keeps settings: a headless Exit of the Linux build writes
# them to its key file. Without a Linux build to ask, the registry is checked.
win_core_keeps_settings() {
  local linux="$root/build/glimmerdome"
  [ -x "$linux" ] || return 0
  "$linux" --headless --settings "$win_tmp/probe.ini" --choose pmiExit >/dev/null 2>&1
  grep -q 'iSpeed' "$win_tmp/probe.ini" 2>/dev/null
}

# Whether the core animates: a headless frame changes within a second.
win_core_animates() {
  (cd "$win_tmp" && timeout 60 wine "$win_exe" --headless --at 2026-12-20T12:00 --frames 1 --dump still1.raw &&
    timeout 60 wine "$win_exe" --headless --at 2026-12-20T12:00 --frames 50 --dump still50.raw) >/dev/null 2>&1 &&
  ! cmp -s "$win_tmp/still1.raw" "$win_tmp/still50.raw"
}

# --- The program on the desktop -------------------------------------------------

win_desktop_run() {
  local keeps_settings=0 animates=0
  win_core_keeps_settings && keeps_settings=1
  win_core_animates && animates=1

  win_start_program
  if ! win_wait_shown; then
    win_fail "the window did not show within 30 s"
    return
  fi
  win_shot first
  # The work area is the whole screen: there is no taskbar under bare X.
  local x y want_x=$((win_screen_w - 300 - 5)) want_y=$((win_screen_h - 260))
  read -r x y <<<"$(win_position)"
  [ "$x $y" = "$want_x $want_y" ] && win_ok "first start in the bottom-right corner at $x,$y" ||
    win_fail "first start at $x,$y, not $want_x,$want_y"
  win_check_outline first "$x" "$y"

  if [ $animates = 1 ]; then
    sleep 1
    win_shot later
    local changed
    changed=$(win_changed first later 150 150 $((x + 70)) $((y + 30)))
    [ "${changed:-0}" -gt 0 ] && win_ok "the glass animates ($changed pixels changed in a second)" ||
      win_fail "nothing moved inside the glass in a second"
  else
    echo "windows: skipped: the core draws no animation yet"
  fi

  # Dragged quickly to and fro (40 pixels, five times a second, eight times),
  # the window's moves in the system's move loop stir the snow up into the
  # sky, which the screenshot before held far less of; it ends where it was.
  if [ $animates = 1 ]; then
    local px=$((x + 150)) py=$((y + 120)) moves=() before after shaken_x shaken_y n
    for n in $(seq 8); do
      moves+=(mousemove $((px - 20)) "$py" sleep 0.05 mousemove $((px - 40)) "$py" sleep 0.05
              mousemove $((px - 20)) "$py" sleep 0.05 mousemove "$px" "$py" sleep 0.05)
    done
    xdotool mousemove "$px" "$py" sleep 0.3 mousedown 1 sleep 0.3 "${moves[@]}" sleep 0.1 mouseup 1
    win_shot shaken
    before=$(sky_specks "$win_tmp/later.png" "$x" "$y")
    after=$(sky_specks "$win_tmp/shaken.png" "$x" "$y")
    [ "${after:-0}" -gt $((before * 6 / 5)) ] && win_ok "a shake stirred up the snow ($after specks in the sky against $before)" ||
      win_fail "a shake stirred up no snow ($after specks in the sky against $before before it; see $win_tmp/shaken.png)"
    sleep 1
    read -r shaken_x shaken_y <<<"$(win_position)"
    [ "$shaken_x $shaken_y" = "$x $y" ] || win_fail "after the shake the window is at $shaken_x,$shaken_y, not $x,$y"
  fi

  # A drag with the left button moves the window with the mouse.
  xdotool mousemove $((x + 150)) $((y + 120)) sleep 0.3 mousedown 1 sleep 0.3
  local i
  for i in $(seq 10); do xdotool mousemove_relative -- -30 -20 sleep 0.05; done
  xdotool sleep 0.3 mouseup 1 sleep 1
  local dragged_x dragged_y
  read -r dragged_x dragged_y <<<"$(win_position)"
  [ "$dragged_x $dragged_y" = "$((x - 300)) $((y - 200))" ] && win_ok "a drag moved the window to $dragged_x,$dragged_y" ||
    win_fail "after a drag by -300,-200 the window is at $dragged_x,$dragged_y"
  win_shot dragged
  win_check_outline dragged "$dragged_x" "$dragged_y"

  # The right button opens the menu, and the window stays where it is.
  if ! win_open_menu 150 120; then
    win_fail "no menu after a right click"
    return
  fi
  win_shot menu
  local mw mh mx my changed
  read -r mw mh mx my <<<"$(win_menu)"
  changed=$(win_changed dragged menu "$mw" "$mh" "$mx" "$my")
  [ "${changed:-0}" -gt $((mw * mh / 2)) ] && win_ok "a right click shows the menu (${mw}x${mh} at $mx,$my)" ||
    win_fail "the menu's place on the screen did not change ($changed pixels)"
  read -r x y <<<"$(win_position)"
  [ "$x $y" = "$dragged_x $dragged_y" ] || win_fail "a right click moved the window to $x,$y"

  if win_choose_exit; then win_ok "Exit closes the program"; else win_fail "the program did not end after Exit"; return; fi

  if [ $keeps_settings = 0 ]; then
    echo "windows: skipped: the core keeps no settings yet (registry and second start)"
    return
  fi
  win_check_registry "$dragged_x" "$dragged_y"

  # The second start comes back where the first was left.
  win_start_program
  if ! win_wait_shown; then
    win_fail "the second start did not show within 30 s"
    return
  fi
  read -r x y <<<"$(win_position)"
  [ "$x $y" = "$dragged_x $dragged_y" ] && win_ok "the second start is at $x,$y, where the first was left" ||
    win_fail "the second start is at $x,$y, not $dragged_x,$dragged_y"
  win_shot second
  win_check_outline second "$x" "$y"
  if win_open_menu 150 120 && win_choose_exit; then :; else win_fail "the second start did not end on Exit"; return; fi

  win_wrong_type_run "$dragged_x" "$dragged_y"
  win_high_dpi_run
  win_session_end_run  # last: Wine's session is over after it
}

# The end of the session right after a drag (wineboot --end-session sends
# WM_QUERYENDSESSION and WM_ENDSESSION, as a logoff does): the program ends
# and the registry holds the new place.
win_session_end_run() {
  win_start_program
  if ! win_wait_shown; then
    win_fail "before the end of the session the window did not show within 30 s"
    return
  fi
  local x y i
  read -r x y <<<"$(win_position)"
  xdotool mousemove $((x + 150)) $((y + 120)) sleep 0.3 mousedown 1 sleep 0.3
  for i in $(seq 5); do xdotool mousemove_relative -- 20 10 sleep 0.05; done
  xdotool sleep 0.3 mouseup 1
  timeout 60 wine wineboot --end-session >"$win_tmp/end-session.log" 2>&1
  for i in $(seq 100); do
    kill -0 "$win_program" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$win_program" 2>/dev/null; then
    win_fail "the program still runs 10 s after the end of the session"
    return
  fi
  wait "$win_program"
  local rc=$?
  [ $rc -eq 0 ] && win_ok "the end of the session closed the program (status 0)" ||
    win_fail "at the end of the session the program ended with status $rc"
  local out top left
  out=$(timeout 60 wine reg query 'HKCU\Software\Glimmerdome' 2>/dev/null | tr -d '\r')
  top=$(awk '$1 == "Top" {print $3}' <<<"$out")
  left=$(awk '$1 == "Left" {print $3}' <<<"$out")
  if [ "$left $top" = "$(printf '0x%x 0x%x' $((x + 100)) $((y + 50)))" ]; then
    win_ok "the end of the session right after a drag ended the program and kept the place $((x + 100)),$((y + 50))"
  else
    win_fail "after a drag to $((x + 100)),$((y + 50)) and the end of the session the registry holds Left $left, Top $top"
  fi
}

# A screen at 200 % (LogPixels 192): the globe, aware of the monitor's DPI,
# draws itself at scale 2 in a 600 x 520 window instead of staying small.
win_high_dpi_run() {
  local key
  for key in 'HKCU\Control Panel\Desktop' 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
    timeout 60 wine reg add "$key" /v LogPixels /t REG_DWORD /d 192 /f >/dev/null 2>&1
  done
  win_start_program
  if ! win_wait_shown; then
    win_fail "at 200 % the window did not show within 30 s"
    return
  fi
  local size
  size=$(win_windows | awk '$1 == "frmMain" {print $2, $3; exit}')
  [ "$size" = "600 520" ] && win_ok "at 200 % (LogPixels 192) the window is 600 x 520" ||
    win_fail "at 200 % (LogPixels 192) the window is '$size', not 600 520"
  win_shot high-dpi
  if ! { win_open_menu 150 120 && win_choose_exit; }; then win_fail "at 200 % the program did not end on Exit"; fi
}

# A stored value of the wrong type is told in an error box titled with the
# program's name, the globe shows all the same, and the next close writes the
# value right again.
win_wrong_type_run() {
  timeout 60 wine reg add 'HKCU\Software\Glimmerdome' /v iSpeed /t REG_SZ /d fast /f >/dev/null 2>&1
  win_start_program
  local i box=""
  for i in $(seq 150); do
    box=$(win_windows | awk '$1 == "Glimmerdome"')
    [ -n "$box" ] && break
    sleep 0.1
  done
  if [ -z "$box" ]; then
    win_fail "no error box titled Glimmerdome for a value of the wrong type"
    return
  fi
  local x y
  read -r x y <<<"$(win_position)"
  [ "$x $y" = "$1 $2" ] && win_ok "a value of the wrong type is told in a box titled Glimmerdome; the globe shows at $x,$y" ||
    win_fail "with a value of the wrong type the globe is at '$x $y', not $1,$2"
  # The box's OK button, centred near its bottom edge (Wine gives the box no
  # keyboard focus under bare X, so Return may not reach it).
  local bw bh bx by
  read -r bw bh bx by <<<"$(cut -d' ' -f2- <<<"$box")"
  xdotool mousemove $((bx + bw / 2)) $((by + bh - 22)) sleep 0.2 click 1
  for i in $(seq 50); do
    [ -z "$(win_windows | awk '$1 == "Glimmerdome"')" ] && break
    sleep 0.1
  done
  [ -z "$(win_windows | awk '$1 == "Glimmerdome"')" ] || win_fail "the error box did not close on OK"
  if ! { win_open_menu 150 120 && win_choose_exit; }; then
    win_fail "the third start did not end on Exit"
    return
  fi
  local got
  got=$(timeout 60 wine reg query 'HKCU\Software\Glimmerdome' /v iSpeed 2>/dev/null | tr -d '\r' | awk '$1 == "iSpeed" {print $2, $3}')
  [ "$got" = "REG_DWORD 0x2" ] && win_ok "the close wrote iSpeed as a DWORD again" || win_fail "iSpeed is '$got' after the close"
}

# What shows on the screen is the globe's outline at the window's place.
win_check_outline() {
  local w h bx by
  read -r w h bx by <<<"$(win_bbox "$1")"
  local want="$win_outline_w $win_outline_h $(($2 + win_outline_left)) $(($3 + win_outline_top))"
  # A pixel or two at the rim may be drawn black.
  if [ -n "$w" ] && [ $((w - win_outline_w)) -le 0 ] && [ $((w - win_outline_w)) -ge -3 ] &&
    [ $((h - win_outline_h)) -le 0 ] && [ $((h - win_outline_h)) -ge -3 ] &&
    [ $((bx - $2 - win_outline_left)) -ge 0 ] && [ $((bx - $2 - win_outline_left)) -le 2 ] &&
    [ $((by - $3 - win_outline_top)) -ge 0 ] && [ $((by - $3 - win_outline_top)) -le 2 ]; then
    win_ok "the screen shows the globe's outline ($w x $h at $bx,$by)"
  else
    win_fail "the screen shows '$w $h $bx $by' (W H X Y), not the globe's outline $want"
  fi
}

# The eight values of the first close, and the Run entry with the program's path.
win_check_registry() {
  local out
  out=$(timeout 60 wine reg query 'HKCU\Software\Glimmerdome' 2>/dev/null | tr -d '\r')
  local name want got expected_all=1
  for name in OnTop TrVal Top Left iCountdown iSpeed isSnowOn Scale; do
    got=$(awk -v n="$name" '$1 == n {print $2, $3}' <<<"$out")
    case $name in
      OnTop | isSnowOn) want=1 ;;
      TrVal | iCountdown | Scale) want=0 ;;
      iSpeed) want=2 ;;
      Top) want=$2 ;;
      Left) want=$1 ;;
    esac
    if [ "$got" != "REG_DWORD $(printf '0x%x' $((want & 0xFFFFFFFF)))" ]; then
      win_fail "registry value $name is '$got', not REG_DWORD $want"
      expected_all=0
    fi
  done
  [ $expected_all = 1 ] && win_ok "Exit stored the eight values in HKCU\\Software\\Glimmerdome"

  local run path
  run=$(timeout 60 wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v Glimmerdome 2>/dev/null |
    tr -d '\r' | sed -n 's/^[[:space:]]*Glimmerdome[[:space:]]\{1,\}REG_SZ[[:space:]]\{1,\}//p')
  path=$(timeout 30 winepath -u "$run" 2>/dev/null)
  if [ -n "$run" ] && [ "${run#\"}" = "$run" ] && [ "$path" -ef "$win_exe" ]; then
    win_ok "the Run entry holds the program's own path: $run"
  else
    win_fail "the Run entry is '$run'"
  fi
}
