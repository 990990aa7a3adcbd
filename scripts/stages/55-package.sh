# The packages as a user gets them. Runs scripts/package.sh on the builds of
# the earlier stages (or fresh ones), into a scratch folder so that dist/ is
# left alone, then checks: the Debian package with lintian, its file list,
# its desktop entry and AppStream metadata, and an install and removal with
# dpkg in a scratch root; the zip's contents; and, under Wine in a fresh
# prefix, the installer: a silent install for the current user, the installed
# program drawing the same frame as the Linux one, an upgrade that keeps the
# settings and the start-at-login value, and a silent uninstall that leaves
# nothing but the settings.

stage_package() {
  # Needs no build first: scripts/package.sh builds what build/ and
  # build-windows/ do not hold.
  # shellcheck source=scripts/lib/session.sh
  source "$root/scripts/lib/session.sh"
  (
    set -uo pipefail
    tmp=$(mktemp -d "${TMPDIR:-/tmp}/glimmerdome-package.XXXXXX")
    failures=0
    trap cleanup EXIT
    build_packages || exit 1
    check_deb
    check_zip
    check_installer
    echo "package: $failures failed check(s)"
    [ "$failures" -eq 0 ]
  )
}

fail() { echo "package: FAILED: $*"; failures=$((failures + 1)); }
ok() { echo "package: ok: $*"; }

cleanup() {
  [ -n "${WINEPREFIX:-}" ] && timeout 20 wineserver -k 2>/dev/null
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  rm -rf "$tmp"
}

build_packages() {
  version=$(sed -n 's/^project(Glimmerdome VERSION \([0-9.]*\) .*/\1/p' "$root/CMakeLists.txt")
  local args=(--out "$tmp/dist")
  [ -x "$root/build/glimmerdome" ] && args+=(--linux-build "$root/build")
  [ -x "$root/build-windows/glimmerdome.exe" ] && args+=(--windows-build "$root/build-windows")
  if ! timeout 1800 bash "$root/scripts/package.sh" "${args[@]}" >"$tmp/package.log" 2>&1; then
    tail -30 "$tmp/package.log"
    echo "package: scripts/package.sh failed"
    return 1
  fi
  deb="$tmp/dist/glimmerdome_${version}_amd64.deb"
  setup="$tmp/dist/glimmerdome-${version}-setup.exe"
  zip="$tmp/dist/glimmerdome-${version}-win64.zip"
  local f
  for f in "$deb" "$setup" "$zip"; do
    [ -s "$f" ] || { echo "package: $f is missing"; return 1; }
  done
  ok "scripts/package.sh wrote $(ls "$deb" "$setup" "$zip" | xargs -n1 basename | tr '\n' ' ')"
}

check_deb() {
  local out
  out=$(lintian --info "$deb" 2>&1)
  if grep -qE '^[EW]: ' <<<"$out"; then
    fail "lintian: $(grep -E '^[EW]: ' <<<"$out")"
  else
    ok "lintian prints no error and no warning${out:+ ($(wc -l <<<"$out") note(s))}"
  fi

  # Exactly these files, nothing left out and nothing else.
  local want=(./usr/bin/glimmerdome ./usr/share/applications/glimmerdome.desktop
    ./usr/share/doc/glimmerdome/changelog.gz ./usr/share/doc/glimmerdome/copyright
    ./usr/share/icons/hicolor/256x256/apps/glimmerdome.png ./usr/share/man/man1/glimmerdome.1.gz
    ./usr/share/metainfo/org.example.glimmerdome.metainfo.xml)
  local size scale f
  for size in 16 24 32 48 64 128; do
    for scale in "" @2; do want+=("./usr/share/icons/hicolor/${size}x${size}$scale/apps/glimmerdome.png"); done
  done
  # The globe's own page: a page for English and each catalogue, its pictures, style and script.
  for f in index.html $(cd "$root/po" && ls ./*.po | sed 's|^\./\(.*\)\.po$|index.\1.html|') globe-day.png \
    globe-night.png page.css countdown.js; do
    want+=("./usr/share/glimmerdome/page/$f")
  done
  local listed expected
  listed=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort)
  expected=$(printf '%s\n' "${want[@]}" | sort)
  [ "$listed" = "$expected" ] && ok "the package holds the program, its entry, metadata, manual page, 13 icons and its page" ||
    fail "the package's files differ: $(diff <(echo "$expected") <(echo "$listed") | grep '^[<>]' | tr '\n' ' ')"

  # dpkg-shlibdeps found what the program links to.
  out=$(dpkg-deb -f "$deb" Depends)
  [[ $out == *libc6* && $out == *libgtk-3-0* && $out == *libgtk-layer-shell0* && $out == *zlib1g* ]] &&
    ok "Depends: $out" ||
    fail "the dependencies are '$out'"

  local x="$tmp/deb"
  dpkg-deb -x "$deb" "$x"
  out=$(desktop-file-validate "$x/usr/share/applications/glimmerdome.desktop" 2>&1) &&
    [ -z "$out" ] && ok "desktop-file-validate finds nothing to say" || fail "desktop-file-validate: $out"
  out=$(appstreamcli validate --no-net --explain "$x/usr/share/metainfo/"*.metainfo.xml 2>&1) &&
    ok "appstreamcli validate passes" || fail "appstreamcli validate: $out"
  out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$x/usr/share/man/man1/glimmerdome.1.gz" 2>&1 >/dev/null)
  [ -z "$out" ] && ok "the manual page formats without a warning" || fail "man: $out"
  local sizes=""
  for size in 16 24 32 48 64 128 256; do
    sizes+="$(identify -format '%w' "$x/usr/share/icons/hicolor/${size}x${size}/apps/glimmerdome.png" 2>/dev/null) "
  done
  [ "$sizes" = "16 24 32 48 64 128 256 " ] && ok "the icons are ${sizes% } pixels wide" || fail "the icons are '$sizes'"

  # dpkg -i and -r in a scratch root: the installed program runs, and removing
  # it leaves no file behind.
  local r="$tmp/root" d=(dpkg --root="$tmp/root" --force-depends --force-not-root --log=/dev/null)
  mkdir -p "$r/var/lib/dpkg/info" "$r/var/lib/dpkg/updates" "$r/var/lib/dpkg/triggers" && touch "$r/var/lib/dpkg/status"
  if ! "${d[@]}" -i "$deb" >"$tmp/dpkg.log" 2>&1; then
    fail "dpkg -i: $(cat "$tmp/dpkg.log")"
    return
  fi
  # The installed program opens the installed page.
  out=$(cd "$tmp" && LC_ALL=C "$r/usr/bin/glimmerdome" --headless --choose pmiAbout --trace open.jsonl >/dev/null 2>&1 &&
    grep '"ev": *"open"' open.jsonl)
  [[ $out == *"\"file://$r/usr/share/glimmerdome/page/index.html\""* ]] &&
    ok "the installed program opens the installed page" || fail "pmiAbout opens: '$out'"
  out=$("$r/usr/bin/glimmerdome" --version 2>&1)
  [ "$out" = "glimmerdome $version" ] && ok "the installed program says: $out" || fail "--version says '$out'"
  frame_args=(--headless --at 2026-12-20T17:30 --frames 120)
  if "$r/usr/bin/glimmerdome" "${frame_args[@]}" --dump "$tmp/linux.raw" &&
    [ "$(stat -c %s "$tmp/linux.raw")" = 312000 ]; then
    ok "the installed program renders a headless frame"
  else
    fail "the installed program renders no headless frame"
  fi
  "${d[@]}" -r glimmerdome >>"$tmp/dpkg.log" 2>&1 || fail "dpkg -r: $(cat "$tmp/dpkg.log")"
  out=$(cd "$r" && find . -path ./var -prune -o -print | grep -vx '\.')
  [ -z "$out" ] && ok "dpkg -r removes every file and folder it installed" ||
    fail "dpkg -r leaves $(tr '\n' ' ' <<<"$out")"
}

check_zip() {
  local listed page
  page=$(unzip -Z1 "$zip" | grep -c '^page/[a-z.-]*$')
  listed=$(unzip -Z1 "$zip" | grep -v '^page/' | sort | tr '\n' ' ')
  [ "$listed" = "LICENSE.txt README.txt glimmerdome.exe " ] && [ "$page" -eq "$(ls "$root"/po/*.po | wc -l | awk '{print $1 + 5}')" ] &&
    ok "the zip holds $listed and the page's $page files" ||
    fail "the zip holds '$listed' and $page files of the page"
}

# --- The installer under Wine ------------------------------------------------------

reg_query() { timeout 60 wine reg query "$@" 2>/dev/null | tr -d '\r'; }
# A value's data: reg_value KEY NAME.
reg_value() { reg_query "$1" /v "$2" | sed -n "s/^[[:space:]]*$2[[:space:]]\{1,\}REG_[A-Z_]*[[:space:]]\{1,\}//p"; }
unix_path() { timeout 30 winepath -u "$1" 2>/dev/null; }

check_installer() {
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$tmp/display" >"$tmp/xvfb.log" 2>&1 &
  xvfb=$!
  wait_for 10 test -s "$tmp/display" || { fail "Xvfb did not start"; return; }
  export DISPLAY=":$(cat "$tmp/display")"
  export WINEPREFIX="$tmp/prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  timeout 240 wine wineboot --init >"$tmp/wineboot.log" 2>&1 || { fail "wineboot"; return; }

  local uninstall='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Glimmerdome'
  local run='HKCU\Software\Microsoft\Windows\CurrentVersion\Run' settings='HKCU\Software\Glimmerdome'
  local local_app app_data
  local_app=$(timeout 30 wine cmd /c echo %LOCALAPPDATA% 2>/dev/null | tr -d '\r')
  app_data=$(timeout 30 wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')
  local install_dir="$local_app\\Programs\\Glimmerdome"
  local dir link
  dir=$(unix_path "$install_dir")
  link=$(unix_path "$app_data\\Microsoft\\Windows\\Start Menu\\Programs\\Glimmerdome.lnk")

  # An earlier version first, made from the same files, to upgrade from.
  local stage="$root/build-package/stage"
  local earlier="$tmp/glimmerdome-0.9.0-setup.exe"
  makensis -V1 -DVERSION=0.9.0 -DSTAGE="$stage" -DICON="$stage/glimmerdome.ico" -DOUTFILE="$earlier" \
    "$root/packaging/windows/glimmerdome.nsi" >"$tmp/makensis.log" 2>&1 || { fail "makensis 0.9.0"; return; }
  timeout 120 wine "$earlier" /S >"$tmp/setup.log" 2>&1 || fail "the silent install exits with $?"
  if [ -f "$dir/glimmerdome.exe" ] && [ -f "$dir/uninstall.exe" ] && [ -f "$link" ] && [ -f "$dir/page/index.html" ]; then
    ok "setup.exe /S installs $install_dir\\glimmerdome.exe, its page, its uninstaller and a Start-menu entry"
  else
    fail "after setup.exe /S: $(ls "$dir" 2>&1 | tr '\n' ' '); link: $(ls "$link" 2>&1)"
    return
  fi
  [ -z "$(reg_value "$run" Glimmerdome)" ] && ok "a silent install does not start the program with Windows" ||
    fail "a silent install wrote the Run value"

  # What the user changed in the first version.
  timeout 60 wine reg add "$settings" /v iSpeed /t REG_DWORD /d 3 /f >/dev/null 2>&1
  timeout 60 wine reg add "$run" /v Glimmerdome /t REG_SZ /d "$install_dir\\glimmerdome.exe" /f >/dev/null 2>&1
  timeout 120 wine "$setup" /S >>"$tmp/setup.log" 2>&1 || fail "the upgrade exits with $?"
  local shown icon size speed run_value about
  shown=$(reg_value "$uninstall" DisplayVersion)
  icon=$(reg_value "$uninstall" DisplayIcon)
  size=$(reg_value "$uninstall" EstimatedSize)
  about=$(reg_value "$uninstall" URLInfoAbout)
  if [ "$shown" = "$version" ] && [ "$icon" = "$install_dir\\glimmerdome.exe,0" ] && [ $((size)) -gt 100 ] &&
    [ "$about" = "$install_dir\\page\\index.html" ]; then
    ok "Apps and features lists Glimmerdome $shown with its icon, $((size)) KB and a link to its page"
  else
    fail "the Uninstall entry: version '$shown', icon '$icon', size '$size', link '$about'"
  fi
  speed=$(reg_value "$settings" iSpeed)
  run_value=$(reg_value "$run" Glimmerdome)
  [ "$speed" = 0x3 ] && [ "$run_value" = "$install_dir\\glimmerdome.exe" ] &&
    ok "the upgrade from 0.9.0 keeps the settings and the start-at-login value" ||
    fail "after the upgrade iSpeed is '$speed' and the Run value '$run_value'"

  # The installed program draws what the Debian package's program draws.
  if [ -f "$tmp/linux.raw" ]; then
    (cd "$tmp" && timeout 120 wine "$dir/glimmerdome.exe" "${frame_args[@]}" --dump windows.raw) >/dev/null 2>&1
    cmp -s "$tmp/linux.raw" "$tmp/windows.raw" &&
      ok "the installed program's headless frame equals the Linux package's" ||
      fail "the installed program's headless frame differs from the Linux package's"
  fi

  # The uninstaller runs a copy of itself from the temporary folder and
  # returns at once: wait for the prefix to be idle.
  timeout 60 wine "$dir/uninstall.exe" /S >"$tmp/uninstall.log" 2>&1
  timeout 120 wineserver -w
  local left=""
  [ -e "$dir" ] && left+="$(ls -A "$dir" | tr '\n' ' ')(in $install_dir) "
  [ -e "$link" ] && left+="the Start-menu entry "
  timeout 60 wine reg query "$uninstall" >/dev/null 2>&1 && left+="the Uninstall entry "
  [ -n "$(reg_value "$run" Glimmerdome)" ] && left+="the Run value "
  [ -z "$left" ] && ok "uninstall.exe /S removes the program, its folder, the shortcut, the Uninstall entry and the Run value" ||
    fail "uninstall.exe /S leaves $left"
  [ "$(reg_value "$settings" iSpeed)" = 0x3 ] && ok "the settings stay after the uninstall" ||
    fail "the uninstall removed the settings"
}
