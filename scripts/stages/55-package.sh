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
  (
    set -uo pipefail
    pkg_tmp=$(mktemp -d "${TMPDIR:-/tmp}/glimmerdome-package.XXXXXX")
    pkg_failures=0
    trap pkg_cleanup EXIT
    pkg_build || exit 1
    pkg_check_deb
    pkg_check_zip
    pkg_check_installer
    echo "package: $pkg_failures failed check(s)"
    [ "$pkg_failures" -eq 0 ]
  )
}

pkg_fail() { echo "package: FAILED: $*"; pkg_failures=$((pkg_failures + 1)); }
pkg_ok() { echo "package: ok: $*"; }

pkg_cleanup() {
  [ -n "${WINEPREFIX:-}" ] && timeout 20 wineserver -k 2>/dev/null
  [ -n "${pkg_xvfb:-}" ] && kill "$pkg_xvfb" 2>/dev/null && wait "$pkg_xvfb" 2>/dev/null
  rm -rf "$pkg_tmp"
}

pkg_build() {
  pkg_version=$(sed -n 's/^project(Glimmerdome VERSION \([0-9.]*\) .*/\1/p' "$root/CMakeLists.txt")
  local args=(--out "$pkg_tmp/dist")
  [ -x "$root/build/glimmerdome" ] && args+=(--linux-build "$root/build")
  [ -x "$root/build-windows/glimmerdome.exe" ] && args+=(--windows-build "$root/build-windows")
  if ! timeout 1800 bash "$root/scripts/package.sh" "${args[@]}" >"$pkg_tmp/package.log" 2>&1; then
    tail -30 "$pkg_tmp/package.log"
    echo "package: scripts/package.sh failed"
    return 1
  fi
  pkg_deb="$pkg_tmp/dist/glimmerdome_${pkg_version}_amd64.deb"
  pkg_setup="$pkg_tmp/dist/glimmerdome-${pkg_version}-setup.exe"
  pkg_zip="$pkg_tmp/dist/glimmerdome-${pkg_version}-win64.zip"
  local f
  for f in "$pkg_deb" "$pkg_setup" "$pkg_zip"; do
    [ -s "$f" ] || { echo "package: $f is missing"; return 1; }
  done
  pkg_ok "scripts/package.sh wrote $(ls "$pkg_deb" "$pkg_setup" "$pkg_zip" | xargs -n1 basename | tr '\n' ' ')"
}

pkg_check_deb() {
  local out
  out=$(lintian --info "$pkg_deb" 2>&1)
  if grep -qE '^[EW]: ' <<<"$out"; then
    pkg_fail "lintian: $(grep -E '^[EW]: ' <<<"$out")"
  else
    pkg_ok "lintian prints no error and no warning${out:+ ($(wc -l <<<"$out") note(s))}"
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
  listed=$(dpkg-deb -c "$pkg_deb" | awk '$1 !~ /^d/ {print $6}' | sort)
  expected=$(printf '%s\n' "${want[@]}" | sort)
  [ "$listed" = "$expected" ] && pkg_ok "the package holds the program, its entry, metadata, manual page, 13 icons and its page" ||
    pkg_fail "the package's files differ: $(diff <(echo "$expected") <(echo "$listed") | grep '^[<>]' | tr '\n' ' ')"

  # dpkg-shlibdeps found what the program links to.
  out=$(dpkg-deb -f "$pkg_deb" Depends)
  [[ $out == *libc6* && $out == *libgtk-3-0* && $out == *libgtk-layer-shell0* && $out == *zlib1g* ]] &&
    pkg_ok "Depends: $out" ||
    pkg_fail "the dependencies are '$out'"

  local x="$pkg_tmp/deb"
  dpkg-deb -x "$pkg_deb" "$x"
  out=$(desktop-file-validate "$x/usr/share/applications/glimmerdome.desktop" 2>&1) &&
    [ -z "$out" ] && pkg_ok "desktop-file-validate finds nothing to say" || pkg_fail "desktop-file-validate: $out"
  out=$(appstreamcli validate --no-net --explain "$x/usr/share/metainfo/"*.metainfo.xml 2>&1) &&
    pkg_ok "appstreamcli validate passes" || pkg_fail "appstreamcli validate: $out"
  out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$x/usr/share/man/man1/glimmerdome.1.gz" 2>&1 >/dev/null)
  [ -z "$out" ] && pkg_ok "the manual page formats without a warning" || pkg_fail "man: $out"
  local sizes=""
  for size in 16 24 32 48 64 128 256; do
    sizes+="$(identify -format '%w' "$x/usr/share/icons/hicolor/${size}x${size}/apps/glimmerdome.png" 2>/dev/null) "
  done
  [ "$sizes" = "16 24 32 48 64 128 256 " ] && pkg_ok "the icons are ${sizes% } pixels wide" || pkg_fail "the icons are '$sizes'"

  # dpkg -i and -r in a scratch root: the installed program runs, and removing
  # it leaves no file behind.
  local r="$pkg_tmp/root" d=(dpkg --root="$pkg_tmp/root" --force-depends --force-not-root --log=/dev/null)
  mkdir -p "$r/var/lib/dpkg/info" "$r/var/lib/dpkg/updates" "$r/var/lib/dpkg/triggers" && touch "$r/var/lib/dpkg/status"
  if ! "${d[@]}" -i "$pkg_deb" >"$pkg_tmp/dpkg.log" 2>&1; then
    pkg_fail "dpkg -i: $(cat "$pkg_tmp/dpkg.log")"
    return
  fi
  # The installed program opens the installed page.
  out=$(cd "$pkg_tmp" && LC_ALL=C "$r/usr/bin/glimmerdome" --headless --choose pmiAbout --trace open.jsonl >/dev/null 2>&1 &&
    grep '"ev": *"open"' open.jsonl)
  [[ $out == *"\"file://$r/usr/share/glimmerdome/page/index.html\""* ]] &&
    pkg_ok "the installed program opens the installed page" || pkg_fail "pmiAbout opens: '$out'"
  out=$("$r/usr/bin/glimmerdome" --version 2>&1)
  [ "$out" = "glimmerdome $pkg_version" ] && pkg_ok "the installed program says: $out" || pkg_fail "--version says '$out'"
  pkg_frame_args=(--headless --at 2026-12-20T17:30 --frames 120)
  if "$r/usr/bin/glimmerdome" "${pkg_frame_args[@]}" --dump "$pkg_tmp/linux.raw" &&
    [ "$(stat -c %s "$pkg_tmp/linux.raw")" = 312000 ]; then
    pkg_ok "the installed program renders a headless frame"
  else
    pkg_fail "the installed program renders no headless frame"
  fi
  "${d[@]}" -r glimmerdome >>"$pkg_tmp/dpkg.log" 2>&1 || pkg_fail "dpkg -r: $(cat "$pkg_tmp/dpkg.log")"
  out=$(cd "$r" && find . -path ./var -prune -o -print | grep -vx '\.')
  [ -z "$out" ] && pkg_ok "dpkg -r removes every file and folder it installed" ||
    pkg_fail "dpkg -r leaves $(tr '\n' ' ' <<<"$out")"
}

pkg_check_zip() {
  local listed page
  page=$(unzip -Z1 "$pkg_zip" | grep -c '^page/[a-z.-]*$')
  listed=$(unzip -Z1 "$pkg_zip" | grep -v '^page/' | sort | tr '\n' ' ')
  [ "$listed" = "LICENSE.txt README.txt glimmerdome.exe " ] && [ "$page" -eq "$(ls "$root"/po/*.po | wc -l | awk '{print $1 + 5}')" ] &&
    pkg_ok "the zip holds $listed and the page's $page files" ||
    pkg_fail "the zip holds '$listed' and $page files of the page"
}

# --- The installer under Wine ------------------------------------------------------

pkg_reg() { timeout 60 wine reg query "$@" 2>/dev/null | tr -d '\r'; }
# A value's data: pkg_value KEY NAME.
pkg_value() { pkg_reg "$1" /v "$2" | sed -n "s/^[[:space:]]*$2[[:space:]]\{1,\}REG_[A-Z_]*[[:space:]]\{1,\}//p"; }
pkg_winpath() { timeout 30 winepath -u "$1" 2>/dev/null; }

pkg_check_installer() {
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$pkg_tmp/display" >"$pkg_tmp/xvfb.log" 2>&1 &
  pkg_xvfb=$!
  local i
  for i in $(seq 100); do [ -s "$pkg_tmp/display" ] && break; sleep 0.1; done
  [ -s "$pkg_tmp/display" ] || { pkg_fail "Xvfb did not start"; return; }
  export DISPLAY=":$(cat "$pkg_tmp/display")"
  export WINEPREFIX="$pkg_tmp/prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  timeout 240 wine wineboot --init >"$pkg_tmp/wineboot.log" 2>&1 || { pkg_fail "wineboot"; return; }

  local uninstall='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Glimmerdome'
  local run='HKCU\Software\Microsoft\Windows\CurrentVersion\Run' settings='HKCU\Software\Glimmerdome'
  local local_app app_data
  local_app=$(timeout 30 wine cmd /c echo %LOCALAPPDATA% 2>/dev/null | tr -d '\r')
  app_data=$(timeout 30 wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')
  local win_dir="$local_app\\Programs\\Glimmerdome"
  local dir link
  dir=$(pkg_winpath "$win_dir")
  link=$(pkg_winpath "$app_data\\Microsoft\\Windows\\Start Menu\\Programs\\Glimmerdome.lnk")

  # An earlier version first, made from the same files, to upgrade from.
  local stage="$root/build-package/stage"
  local earlier="$pkg_tmp/glimmerdome-0.9.0-setup.exe"
  makensis -V1 -DVERSION=0.9.0 -DSTAGE="$stage" -DICON="$stage/glimmerdome.ico" -DOUTFILE="$earlier" \
    "$root/packaging/windows/glimmerdome.nsi" >"$pkg_tmp/makensis.log" 2>&1 || { pkg_fail "makensis 0.9.0"; return; }
  timeout 120 wine "$earlier" /S >"$pkg_tmp/setup.log" 2>&1 || pkg_fail "the silent install exits with $?"
  if [ -f "$dir/glimmerdome.exe" ] && [ -f "$dir/uninstall.exe" ] && [ -f "$link" ] && [ -f "$dir/page/index.html" ]; then
    pkg_ok "setup.exe /S installs $win_dir\\glimmerdome.exe, its page, its uninstaller and a Start-menu entry"
  else
    pkg_fail "after setup.exe /S: $(ls "$dir" 2>&1 | tr '\n' ' '); link: $(ls "$link" 2>&1)"
    return
  fi
  [ -z "$(pkg_value "$run" Glimmerdome)" ] && pkg_ok "a silent install does not start the program with Windows" ||
    pkg_fail "a silent install wrote the Run value"

  # What the user changed in the first version.
  timeout 60 wine reg add "$settings" /v iSpeed /t REG_DWORD /d 3 /f >/dev/null 2>&1
  timeout 60 wine reg add "$run" /v Glimmerdome /t REG_SZ /d "$win_dir\\glimmerdome.exe" /f >/dev/null 2>&1
  timeout 120 wine "$pkg_setup" /S >>"$pkg_tmp/setup.log" 2>&1 || pkg_fail "the upgrade exits with $?"
  local shown icon size speed run_value about
  shown=$(pkg_value "$uninstall" DisplayVersion)
  icon=$(pkg_value "$uninstall" DisplayIcon)
  size=$(pkg_value "$uninstall" EstimatedSize)
  about=$(pkg_value "$uninstall" URLInfoAbout)
  if [ "$shown" = "$pkg_version" ] && [ "$icon" = "$win_dir\\glimmerdome.exe,0" ] && [ $((size)) -gt 100 ] &&
    [ "$about" = "$win_dir\\page\\index.html" ]; then
    pkg_ok "Apps and features lists Glimmerdome $shown with its icon, $((size)) KB and a link to its page"
  else
    pkg_fail "the Uninstall entry: version '$shown', icon '$icon', size '$size', link '$about'"
  fi
  speed=$(pkg_value "$settings" iSpeed)
  run_value=$(pkg_value "$run" Glimmerdome)
  [ "$speed" = 0x3 ] && [ "$run_value" = "$win_dir\\glimmerdome.exe" ] &&
    pkg_ok "the upgrade from 0.9.0 keeps the settings and the start-at-login value" ||
    pkg_fail "after the upgrade iSpeed is '$speed' and the Run value '$run_value'"

  # The installed program draws what the Debian package's program draws.
  if [ -f "$pkg_tmp/linux.raw" ]; then
    (cd "$pkg_tmp" && timeout 120 wine "$dir/glimmerdome.exe" "${pkg_frame_args[@]}" --dump windows.raw) >/dev/null 2>&1
    cmp -s "$pkg_tmp/linux.raw" "$pkg_tmp/windows.raw" &&
      pkg_ok "the installed program's headless frame equals the Linux package's" ||
      pkg_fail "the installed program's headless frame differs from the Linux package's"
  fi

  # The uninstaller runs a copy of itself from the temporary folder and
  # returns at once: wait for the prefix to be idle.
  timeout 60 wine "$dir/uninstall.exe" /S >"$pkg_tmp/uninstall.log" 2>&1
  timeout 120 wineserver -w
  local left=""
  [ -e "$dir" ] && left+="$(ls -A "$dir" | tr '\n' ' ')(in $win_dir) "
  [ -e "$link" ] && left+="the Start-menu entry "
  timeout 60 wine reg query "$uninstall" >/dev/null 2>&1 && left+="the Uninstall entry "
  [ -n "$(pkg_value "$run" Glimmerdome)" ] && left+="the Run value "
  [ -z "$left" ] && pkg_ok "uninstall.exe /S removes the program, its folder, the shortcut, the Uninstall entry and the Run value" ||
    pkg_fail "uninstall.exe /S leaves $left"
  [ "$(pkg_value "$settings" iSpeed)" = 0x3 ] && pkg_ok "the settings stay after the uninstall" ||
    pkg_fail "the uninstall removed the settings"
}
