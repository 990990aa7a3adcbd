#!/usr/bin/env bash
# Installs the Debian 12 packages Glimmerdome needs, only those that are missing.
# Usage: scripts/deps.sh run|test|windows|package
set -euo pipefail

run_pkgs=(build-essential cmake pkg-config zlib1g-dev libglib2.0-dev libgtk-3-dev)
test_pkgs=("${run_pkgs[@]}" libgtest-dev libgmock-dev libbenchmark-dev libpng-dev libspng-dev
  libcairo2-dev fonts-dejavu-core clang libclang-rt-14-dev
  xvfb xauth x11-utils x11-apps picom xdotool imagemagick hsetroot
  g++-mingw-w64-x86-64 mingw-w64-tools libz-mingw-w64-dev googletest wine wine64)
# The Windows build: mingw-w64 with zlib for the program, and what the build
# machine's own build of the icon tool needs.
windows_pkgs=(build-essential cmake pkg-config zlib1g-dev libglib2.0-dev g++-mingw-w64-x86-64 libz-mingw-w64-dev)
# The packages (scripts/package.sh): the Debian package's tools, NSIS and zip,
# with the Linux and Windows builds; the tests also check them with lintian,
# desktop-file-validate and appstreamcli.
package_pkgs=("${run_pkgs[@]}" g++-mingw-w64-x86-64 libz-mingw-w64-dev dpkg-dev file nsis zip imagemagick)
test_pkgs+=(dpkg-dev file nsis zip unzip lintian desktop-file-utils appstream man-db)

case "${1:-}" in
  run) want=("${run_pkgs[@]}") ;;
  test) want=("${test_pkgs[@]}") ;;
  windows) want=("${windows_pkgs[@]}") ;;
  package) want=("${package_pkgs[@]}") ;;
  *) echo "usage: $0 run|test|windows|package" >&2; exit 2 ;;
esac

missing=()
for p in "${want[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}"
