#!/usr/bin/env bash
# Installs the Debian 12 packages Glimmerdome needs, only those that are missing.
# Usage: scripts/deps.sh run|test|windows|package
set -euo pipefail

# gettext compiles the translations, ICU gives Linux locales' long dates,
# gtk-layer-shell makes the globe a layer surface on Wayland desktops
# (wayland-scanner and wayland-protocols: the protocols of its own surface).
run_pkgs=(build-essential cmake pkg-config zlib1g-dev libglib2.0-dev libgtk-3-dev libxext-dev libxss-dev libxcb1-dev libxcb-shm0-dev libx11-xcb-dev
  libgtk-layer-shell-dev libwayland-bin wayland-protocols gettext
  libicu-dev)
test_pkgs=("${run_pkgs[@]}" libgtest-dev libgmock-dev libbenchmark-dev libpng-dev libspng-dev
  libcairo2-dev fonts-dejavu-core clang libclang-rt-14-dev
  xvfb xauth x11-utils x11-apps picom xdotool imagemagick hsetroot
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils openbox wmctrl xsettingsd
  sway xwayland grim kwin-wayland dbus
  g++-mingw-w64-x86-64 mingw-w64-tools libz-mingw-w64-dev googletest wine wine64 locales)
# The Windows build: mingw-w64 with zlib for the program, and what the build
# machine's own build of the icon tool needs (msgfmt for the translations).
windows_pkgs=(build-essential cmake pkg-config zlib1g-dev libglib2.0-dev gettext libicu-dev g++-mingw-w64-x86-64
  libz-mingw-w64-dev)
# The locales the tests run the program in (the GTK backend takes its locale
# from the C library, which knows only the generated ones).
test_locales=(de_DE.UTF-8 ru_RU.UTF-8)
# The packages (scripts/package.sh): the Debian package's tools, NSIS and zip,
# with the Linux and Windows builds; the tests also check them with lintian,
# desktop-file-validate and appstreamcli.
package_pkgs=("${run_pkgs[@]}" g++-mingw-w64-x86-64 libz-mingw-w64-dev dpkg-dev file nsis zip imagemagick)
test_pkgs+=(dpkg-dev file nsis zip unzip lintian desktop-file-utils appstream man-db)
# The globe's own page is read in a real browser, headless.
test_pkgs+=(chromium)

case "${1:-}" in
  run) want=("${run_pkgs[@]}") ;;
  test) want=("${test_pkgs[@]}") ;;
  windows) want=("${windows_pkgs[@]}") ;;
  package) want=("${package_pkgs[@]}") ;;
  *) echo "usage: $0 run|test|windows|package" >&2; exit 2 ;;
esac

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
# Another installation may hold the package lock for a while: wait for it.
apt_get() { DEBIAN_FRONTEND=noninteractive $SUDO apt-get -o DPkg::Lock::Timeout=600 "$@"; }

missing=()
for p in "${want[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing missing packages: ${missing[*]}"
  apt_get update -qq
  apt_get install -y -qq --no-install-recommends "${missing[@]}"
fi

if [ "$1" = test ]; then
  have=$(locale -a 2>/dev/null | tr 'A-Z' 'a-z' | sed 's/utf-8/utf8/')
  gen=()
  for l in "${test_locales[@]}"; do
    norm=$(echo "$l" | tr 'A-Z' 'a-z' | sed 's/utf-8/utf8/')
    grep -qx "$norm" <<<"$have" || gen+=("$l")
  done
  if [ ${#gen[@]} -gt 0 ]; then
    echo "Generating locales: ${gen[*]}"
    for l in "${gen[@]}"; do
      grep -q "^$l UTF-8" /etc/locale.gen 2>/dev/null || echo "$l UTF-8" | $SUDO tee -a /etc/locale.gen >/dev/null
    done
    $SUDO locale-gen >/dev/null
  fi
fi
exit 0
