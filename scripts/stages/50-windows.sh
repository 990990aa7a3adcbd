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
# Everything started here is ended when the stage ends; each step has a time
# limit, and each wait is for what the next step needs (a window shown and
# drawn, a file written, the program gone), not for a guessed time. The
# stage runs in a shell of its own, so its names need no prefix.

screen_w=1280
screen_h=1024
# The globe's outline in the window (the mask's non-white pixels).
outline_left=47 outline_top=11 outline_w=200 outline_h=215

stage_windows() {
  need_build glimmerdome glimmer_icon || return 1
  # shellcheck source=scripts/lib/session.sh
  source "$root/scripts/lib/session.sh"
  (
    set -uo pipefail
    tmp=$(mktemp -d "${TMPDIR:-/tmp}/glimmerdome-wine.XXXXXX")
    pids=()
    failures=0
    trap cleanup EXIT
    build && start_screen && start_wine || exit 1
    unit_tests
    headless_matches_linux
    menu_caption
    desktop_run
    own_page_run
    echo "windows: $failures failed check(s)"
    [ "$failures" -eq 0 ]
  )
}

fail() { echo "windows: FAILED: $*"; failures=$((failures + 1)); }
ok() { echo "windows: ok: $*"; }

cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  [ -n "${WINEPREFIX:-}" ] && timeout 20 wineserver -k 2>/dev/null
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  rm -rf "$tmp"
}

build() {
  build_dir="$root/build-windows"
  local icon_tool=()
  # The unit stage has built glimmer_icon already; otherwise the cross build makes its own.
  [ -x "$root/build/glimmer_icon" ] && icon_tool=(-DGLIMMERDOME_ICON_TOOL="$root/build/glimmer_icon")
  cmake -S "$root" -B "$build_dir" --toolchain "$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DGLIMMERDOME_TESTS=ON "${icon_tool[@]}" >/dev/null &&
  timeout 1200 cmake --build "$build_dir" -j "$jobs" --target glimmerdome glimmer_tests || return 1
  exe="$build_dir/glimmerdome.exe"
  # One self-contained program: nothing but the system's own DLLs.
  local dlls
  dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print toupper($3)}' | sort | tr '\n' ' ')
  if [ "$dlls" = "ADVAPI32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL SHELL32.DLL USER32.DLL " ]; then
    ok "glimmerdome.exe imports only system DLLs"
  else
    fail "glimmerdome.exe imports $dlls"
  fi
  local sizes
  sizes=$(identify -format '%w ' "$build_dir/generated/glimmerdome.ico" 2>/dev/null)
  [ "$sizes" = "256 64 48 32 24 16 " ] && ok "the icon holds sizes $sizes" || fail "the icon holds sizes '$sizes'"
}

start_screen() {
  Xvfb -displayfd 3 -screen 0 "${screen_w}x${screen_h}x24" -br -nolisten tcp 3>"$tmp/display" \
    >"$tmp/xvfb.log" 2>&1 &
  xvfb=$!
  wait_for 10 test -s "$tmp/display" || { echo "windows: Xvfb did not start"; return 1; }
  export DISPLAY=":$(cat "$tmp/display")"
}

start_wine() {
  export WINEPREFIX="$tmp/prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  timeout 240 wine wineboot --init >"$tmp/wineboot.log" 2>&1 || { echo "windows: wineboot failed"; return 1; }
}

unit_tests() {
  if (cd "$build_dir" && timeout 600 wine ./glimmer_tests.exe --gtest_brief=1); then
    ok "the unit tests pass under Wine"
  else
    fail "the unit tests under Wine"
  fi
}

# The core is the same code on both systems, so the frames and the trace of a
# headless run must be the same bytes (a shaken one, the stirred snow's
# flight included).
headless_matches_linux() {
  local linux="$root/build/glimmerdome" args=(--headless --at 2026-12-20T17:30 --shake 5 --frames 120)
  if [ ! -x "$linux" ]; then
    echo "windows: skipped: no Linux build to compare the headless run with"
    return
  fi
  "$linux" "${args[@]}" --dump "$tmp/linux.raw" --trace "$tmp/linux.trace" &&
  (cd "$tmp" && timeout 120 wine "$exe" "${args[@]}" --dump windows.raw --trace windows.trace) || {
    fail "a headless run"
    return
  }
  if cmp -s "$tmp/linux.raw" "$tmp/windows.raw" && cmp -s "$tmp/linux.trace" "$tmp/windows.trace"; then
    ok "a headless run draws the same frames and trace as on Linux"
  else
    fail "a headless run differs from the Linux build's"
  fi
}

# The menu names this program, and the moment the Run entry starts it.
menu_caption() {
  local menu
  menu=$(cd "$tmp" && timeout 60 wine "$exe" --headless --print-menu 2>/dev/null | tr -d '\r')
  if grep -qx '  \[x\] Start Glimmerdome when I start Windows' <<<"$menu"; then
    ok "the menu offers \"Start Glimmerdome when I start Windows\""
  else
    fail "the printed menu has no checked \"Start Glimmerdome when I start Windows\": $(tr '\n' '|' <<<"$menu")"
  fi
}

# --- Looking at the screen ------------------------------------------------------

shot() { import -window root "$tmp/$1.png"; }

# The bounding box of what is not black, as W H X Y.
bbox() { convert "$tmp/$1.png" -format '%@' info: 2>/dev/null | tr 'x+' '  '; }

# How many pixels differ between two screenshots inside a rectangle W H X Y.
pixels_changed() {
  local geometry="$3x$4+$5+$6"
  convert "$tmp/$1.png" -crop "$geometry" +repage "$tmp/crop1.png" &&
  convert "$tmp/$2.png" -crop "$geometry" +repage "$tmp/crop2.png" &&
  compare -metric AE "$tmp/crop1.png" "$tmp/crop2.png" null: 2>&1 | cut -d' ' -f1
}

# The program's windows on the screen: "name W H X Y" per line, "-" for no name.
windows() {
  local id name X Y WIDTH HEIGHT SCREEN WINDOW
  for id in $(xdotool search --onlyvisible --classname '^glimmerdome\.exe$' 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$id" 2>/dev/null)" || continue
    name=$(xdotool getwindowname "$id" 2>/dev/null)
    echo "${name:--} $WIDTH $HEIGHT $X $Y"
  done
}

# The main window's position as X Y, empty while it is not shown.
position() { windows | awk '$1 == "frmMain" {print $4, $5; exit}'; }

# drawn NAME W H X Y [LEAST]: the screenshot NAME shows a picture in that
# rectangle, of more than LEAST colours (100 when not given), not the one
# colour of a window not drawn yet or of the black screen.
drawn() { shot "$1" && [ "$(colours "$tmp/$1.png" "$2" "$3" "$4" "$5")" -gt "${6:-100}" ]; }

# The main window shown and drawn, within 30 s.
wait_shown() {
  local w h x y
  wait_for 30 eval 'read -r w h x y <<<"$(windows | awk '\''$1 == "frmMain" {print $2, $3, $4, $5; exit}'\'')" &&
    [ -n "$x" ] && drawn shown "$w" "$h" "$x" "$y"'
}

# The popup menu: W H X Y of the program's largest unnamed window.
popup() { windows | awk '$1 == "-" && $2 > 60 && $3 > 40 {print $2 * $3, $2, $3, $4, $5}' | sort -rn | head -1 | cut -d' ' -f2-; }

start_program() {
  (cd "$tmp" && exec timeout 300 wine "$exe" "$@" >>"$tmp/program.log" 2>&1) &
  program=$!
  pids+=("$program")
}

# Right-clicks the window at (dx, dy) of its top-left corner and waits for
# the menu, drawn. (The pauses inside xdotool's gestures are a hand's pace.)
open_menu() {
  local w h x y
  read -r x y <<<"$(position)"
  xdotool mousemove $((x + $1)) $((y + $2)) sleep 0.3 click 3
  wait_for 5 eval 'read -r w h x y <<<"$(popup)" && [ -n "$y" ] && drawn popup "$w" "$h" "$x" "$y" 2'
}

# Chooses "Exit", the last item of the open menu, and waits for the program to end.
choose_exit() {
  local w h x y
  read -r w h x y <<<"$(popup)"
  xdotool mousemove $((x + 30)) $((y + h - 12)) sleep 0.3 click 1
  wait_for 10 gone "$program" || return 1
  wait "$program"
}

# The .exe alone in an empty folder has no page beside it: "More Christmas
# stuff..." writes the program's own copy to %LOCALAPPDATA%\Glimmerdome\page
# and asks ShellExecute to open it, which Wine hands to the desktop's
# xdg-open: here a stand-in on the PATH that records its argument.
own_page_run() {
  local alone="$tmp/alone" fake="$tmp/fakebin" local_app page opened
  mkdir -p "$alone" "$fake"
  cp "$exe" "$alone/"
  printf '#!/bin/sh\necho "$*" >>"%s"\n' "$tmp/xdg-open.args" >"$fake/xdg-open" && chmod +x "$fake/xdg-open"
  local_app=$(timeout 30 wine cmd /c echo %LOCALAPPDATA% 2>/dev/null | tr -d '\r')
  page=$(timeout 30 winepath -u "$local_app\\Glimmerdome\\page" 2>/dev/null)
  (cd "$alone" && PATH="$fake:$PATH" exec timeout 300 wine "$alone/glimmerdome.exe" >>"$tmp/program.log" 2>&1) &
  program=$!
  pids+=("$program")
  wait_shown || { fail "the .exe alone showed no window"; return; }
  # The prefix knows no program for .html files: the message says where the page is.
  choose_first_item || { fail "the .exe alone: no menu"; return; }
  wait_for 5 eval "windows | grep -q '^Glimmerdome '"
  if windows | grep -q '^Glimmerdome ' && [ -s "$page/index.html" ] && [ -s "$page/globe-day.png" ]; then
    ok "the .exe alone wrote its page to $local_app\\Glimmerdome\\page; with no program for it, a message says so"
  else
    fail "the .exe alone: no message, or the page in '$page' holds '$(ls "$page" 2>&1 | tr '\n' ' ')'"
  fi
  xdotool key Return
  wait_for 5 eval "! windows | grep -q '^Glimmerdome '" || { fail "the .exe alone: the message did not close on Return"; return; }
  # With Wine's browser as the program for .html files, as Windows has a
  # browser, ShellExecute's "open" reaches xdg-open with the page.
  local key='HKCR'
  timeout 60 wine reg add "$key\.html" /ve /d htmlfile /f >/dev/null 2>&1
  timeout 60 wine reg add "$key\htmlfile\shell\open\command" /ve /d 'winebrowser.exe "%1"' /f >/dev/null 2>&1
  choose_first_item || { fail "the .exe alone: no menu the second time"; return; }
  wait_for 10 test -s "$tmp/xdg-open.args"
  opened=$(head -1 "$tmp/xdg-open.args" 2>/dev/null)
  if [[ $opened == *page/index.html* ]] && [ -s "$(sed 's|^file://||; s|%20| |g' <<<"$opened")" ]; then
    ok "ShellExecute handed the page to xdg-open: $opened"
  else
    fail "xdg-open was asked to open '$opened', not the page in $page"
  fi
  open_menu 150 120 && choose_exit || fail "the .exe alone did not end on Exit"
}

# Opens the menu and chooses its first item, "More Christmas stuff...".
choose_first_item() {
  local w h x y
  open_menu 150 120 || return 1
  read -r w h x y <<<"$(popup)"
  xdotool mousemove $((x + 30)) $((y + 12)) sleep 0.3 click 1
}

# Whether the core keeps settings: a headless Exit of the Linux build writes
# them to its key file. Without a Linux build to ask, the registry is checked.
core_keeps_settings() {
  local linux="$root/build/glimmerdome"
  [ -x "$linux" ] || return 0
  "$linux" --headless --settings "$tmp/probe.ini" --choose pmiExit >/dev/null 2>&1
  grep -q 'iSpeed' "$tmp/probe.ini" 2>/dev/null
}

# Whether the core animates: a headless frame changes within a second.
core_animates() {
  (cd "$tmp" && timeout 60 wine "$exe" --headless --at 2026-12-20T12:00 --frames 1 --dump still1.raw &&
    timeout 60 wine "$exe" --headless --at 2026-12-20T12:00 --frames 50 --dump still50.raw) >/dev/null 2>&1 &&
  ! cmp -s "$tmp/still1.raw" "$tmp/still50.raw"
}

# --- The program on the desktop -------------------------------------------------

desktop_run() {
  local keeps_settings=0 animates=0
  core_keeps_settings && keeps_settings=1
  core_animates && animates=1

  start_program
  if ! wait_shown; then
    fail "the window did not show within 30 s"
    return
  fi
  shot first
  # The work area is the whole screen: there is no taskbar under bare X.
  local x y want_x=$((screen_w - 300 - 5)) want_y=$((screen_h - 260))
  read -r x y <<<"$(position)"
  [ "$x $y" = "$want_x $want_y" ] && ok "first start in the bottom-right corner at $x,$y" ||
    fail "first start at $x,$y, not $want_x,$want_y"
  check_outline first "$x" "$y"

  if [ $animates = 1 ]; then
    local changed
    wait_for 5 eval 'shot later && changed=$(pixels_changed first later 150 150 $((x + 70)) $((y + 30))) &&
      [ "${changed:-0}" -gt 0 ]'
    [ "${changed:-0}" -gt 0 ] && ok "the glass animates ($changed pixels changed)" ||
      fail "nothing moved inside the glass in 5 s"
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
    shot shaken
    before=$(sky_specks "$tmp/later.png" "$x" "$y")
    after=$(sky_specks "$tmp/shaken.png" "$x" "$y")
    [ "${after:-0}" -gt $((before * 6 / 5)) ] && ok "a shake stirred up the snow ($after specks in the sky against $before)" ||
      fail "a shake stirred up no snow ($after specks in the sky against $before before it; see $tmp/shaken.png)"
    wait_for 3 eval '[ "$(position)" = "$x $y" ]'
    read -r shaken_x shaken_y <<<"$(position)"
    [ "$shaken_x $shaken_y" = "$x $y" ] || fail "after the shake the window is at $shaken_x,$shaken_y, not $x,$y"
  fi

  # A drag with the left button moves the window with the mouse.
  xdotool mousemove $((x + 150)) $((y + 120)) sleep 0.3 mousedown 1 sleep 0.3
  local i
  for i in $(seq 10); do xdotool mousemove_relative -- -30 -20 sleep 0.05; done
  xdotool sleep 0.3 mouseup 1
  local dragged_x dragged_y
  wait_for 5 eval '[ "$(position)" = "$((x - 300)) $((y - 200))" ]'
  read -r dragged_x dragged_y <<<"$(position)"
  [ "$dragged_x $dragged_y" = "$((x - 300)) $((y - 200))" ] && ok "a drag moved the window to $dragged_x,$dragged_y" ||
    fail "after a drag by -300,-200 the window is at $dragged_x,$dragged_y"
  shot dragged
  check_outline dragged "$dragged_x" "$dragged_y"

  # The right button opens the menu, and the window stays where it is.
  if ! open_menu 150 120; then
    fail "no menu after a right click"
    return
  fi
  shot menu
  local mw mh mx my changed
  read -r mw mh mx my <<<"$(popup)"
  changed=$(pixels_changed dragged menu "$mw" "$mh" "$mx" "$my")
  [ "${changed:-0}" -gt $((mw * mh / 2)) ] && ok "a right click shows the menu (${mw}x${mh} at $mx,$my)" ||
    fail "the menu's place on the screen did not change ($changed pixels)"
  read -r x y <<<"$(position)"
  [ "$x $y" = "$dragged_x $dragged_y" ] || fail "a right click moved the window to $x,$y"

  if choose_exit; then ok "Exit closes the program"; else fail "the program did not end after Exit"; return; fi

  if [ $keeps_settings = 0 ]; then
    echo "windows: skipped: the core keeps no settings yet (registry and second start)"
    return
  fi
  check_registry "$dragged_x" "$dragged_y"

  # The second start comes back where the first was left.
  start_program
  if ! wait_shown; then
    fail "the second start did not show within 30 s"
    return
  fi
  read -r x y <<<"$(position)"
  [ "$x $y" = "$dragged_x $dragged_y" ] && ok "the second start is at $x,$y, where the first was left" ||
    fail "the second start is at $x,$y, not $dragged_x,$dragged_y"
  shot second
  check_outline second "$x" "$y"
  if open_menu 150 120 && choose_exit; then :; else fail "the second start did not end on Exit"; return; fi

  wrong_type_run "$dragged_x" "$dragged_y"
  high_dpi_run
  session_end_run  # last: Wine's session is over after it
}

# The end of the session right after a drag (wineboot --end-session sends
# WM_QUERYENDSESSION and WM_ENDSESSION, as a logoff does): the program ends
# and the registry holds the new place.
session_end_run() {
  start_program
  if ! wait_shown; then
    fail "before the end of the session the window did not show within 30 s"
    return
  fi
  local x y i
  read -r x y <<<"$(position)"
  xdotool mousemove $((x + 150)) $((y + 120)) sleep 0.3 mousedown 1 sleep 0.3
  for i in $(seq 5); do xdotool mousemove_relative -- 20 10 sleep 0.05; done
  xdotool sleep 0.3 mouseup 1
  timeout 60 wine wineboot --end-session >"$tmp/end-session.log" 2>&1
  if ! wait_for 10 gone "$program"; then
    fail "the program still runs 10 s after the end of the session"
    return
  fi
  wait "$program"
  local rc=$?
  [ $rc -eq 0 ] && ok "the end of the session closed the program (status 0)" ||
    fail "at the end of the session the program ended with status $rc"
  local out top left
  out=$(timeout 60 wine reg query 'HKCU\Software\Glimmerdome' 2>/dev/null | tr -d '\r')
  top=$(awk '$1 == "Top" {print $3}' <<<"$out")
  left=$(awk '$1 == "Left" {print $3}' <<<"$out")
  if [ "$left $top" = "$(printf '0x%x 0x%x' $((x + 100)) $((y + 50)))" ]; then
    ok "the end of the session right after a drag ended the program and kept the place $((x + 100)),$((y + 50))"
  else
    fail "after a drag to $((x + 100)),$((y + 50)) and the end of the session the registry holds Left $left, Top $top"
  fi
}

# A screen at 200 % (LogPixels 192): the globe, aware of the monitor's DPI,
# draws itself at scale 2 in a 600 x 520 window instead of staying small.
high_dpi_run() {
  local key
  for key in 'HKCU\Control Panel\Desktop' 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
    timeout 60 wine reg add "$key" /v LogPixels /t REG_DWORD /d 192 /f >/dev/null 2>&1
  done
  start_program
  if ! wait_shown; then
    fail "at 200 % the window did not show within 30 s"
    return
  fi
  local size
  size=$(windows | awk '$1 == "frmMain" {print $2, $3; exit}')
  [ "$size" = "600 520" ] && ok "at 200 % (LogPixels 192) the window is 600 x 520" ||
    fail "at 200 % (LogPixels 192) the window is '$size', not 600 520"
  shot high-dpi
  if ! { open_menu 150 120 && choose_exit; }; then fail "at 200 % the program did not end on Exit"; fi
}

# A stored value of the wrong type is told in an error box titled with the
# program's name, the globe shows all the same, and the next close writes the
# value right again.
wrong_type_run() {
  timeout 60 wine reg add 'HKCU\Software\Glimmerdome' /v iSpeed /t REG_SZ /d fast /f >/dev/null 2>&1
  start_program
  local box=""
  wait_for 15 eval 'box=$(windows | awk '\''$1 == "Glimmerdome"'\'') && [ -n "$box" ]'
  if [ -z "$box" ]; then
    fail "no error box titled Glimmerdome for a value of the wrong type"
    return
  fi
  local x y
  read -r x y <<<"$(position)"
  [ "$x $y" = "$1 $2" ] && ok "a value of the wrong type is told in a box titled Glimmerdome; the globe shows at $x,$y" ||
    fail "with a value of the wrong type the globe is at '$x $y', not $1,$2"
  # The box's OK button, centred near its bottom edge (Wine gives the box no
  # keyboard focus under bare X, so Return may not reach it).
  local bw bh bx by
  read -r bw bh bx by <<<"$(cut -d' ' -f2- <<<"$box")"
  xdotool mousemove $((bx + bw / 2)) $((by + bh - 22)) sleep 0.2 click 1
  wait_for 5 eval '[ -z "$(windows | awk '\''$1 == "Glimmerdome"'\'')" ]' || fail "the error box did not close on OK"
  if ! { open_menu 150 120 && choose_exit; }; then
    fail "the third start did not end on Exit"
    return
  fi
  local got
  got=$(timeout 60 wine reg query 'HKCU\Software\Glimmerdome' /v iSpeed 2>/dev/null | tr -d '\r' | awk '$1 == "iSpeed" {print $2, $3}')
  [ "$got" = "REG_DWORD 0x2" ] && ok "the close wrote iSpeed as a DWORD again" || fail "iSpeed is '$got' after the close"
}

# What the screenshot NAME shows (taken again while it does not, 5 s at
# most) is the globe's outline at the window's place X Y.
check_outline() {
  local w h bx by
  local want="$outline_w $outline_h $(($2 + outline_left)) $(($3 + outline_top))"
  if wait_for 5 outline_at "$@"; then
    ok "the screen shows the globe's outline ($w x $h at $bx,$by)"
  else
    fail "the screen shows '$w $h $bx $by' (W H X Y), not the globe's outline $want"
  fi
}

outline_at() {
  read -r w h bx by <<<"$(bbox "$1")"
  # A pixel or two at the rim may be drawn black.
  [ -n "$w" ] && [ $((w - outline_w)) -le 0 ] && [ $((w - outline_w)) -ge -3 ] &&
    [ $((h - outline_h)) -le 0 ] && [ $((h - outline_h)) -ge -3 ] &&
    [ $((bx - $2 - outline_left)) -ge 0 ] && [ $((bx - $2 - outline_left)) -le 2 ] &&
    [ $((by - $3 - outline_top)) -ge 0 ] && [ $((by - $3 - outline_top)) -le 2 ] && return 0
  shot "$1"
  return 1
}

# The eight values of the first close, and the Run entry with the program's path.
check_registry() {
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
      fail "registry value $name is '$got', not REG_DWORD $want"
      expected_all=0
    fi
  done
  [ $expected_all = 1 ] && ok "Exit stored the eight values in HKCU\\Software\\Glimmerdome"

  local run path
  run=$(timeout 60 wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v Glimmerdome 2>/dev/null |
    tr -d '\r' | sed -n 's/^[[:space:]]*Glimmerdome[[:space:]]\{1,\}REG_SZ[[:space:]]\{1,\}//p')
  path=$(timeout 30 winepath -u "$run" 2>/dev/null)
  if [ -n "$run" ] && [ "${run#\"}" = "$run" ] && [ "$path" -ef "$exe" ]; then
    ok "the Run entry holds the program's own path: $run"
  else
    fail "the Run entry is '$run'"
  fi
}
