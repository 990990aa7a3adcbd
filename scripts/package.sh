#!/usr/bin/env bash
# Builds Glimmerdome's packages from fresh build directories and writes them
# to dist/:
#   glimmerdome_<version>_amd64.deb      the Debian package (CPack)
#   glimmerdome-<version>-setup.exe      the Windows installer (NSIS)
#   glimmerdome-<version>-win64.zip      the portable Windows program
#   glimmerdome-<version>.png            a screenshot for the release's
#                                        announcement, rendered by the program
# The version is the one of project() in CMakeLists.txt.
#
#   scripts/package.sh [--linux-build DIR] [--windows-build DIR] [--out DIR]
# --linux-build and --windows-build package existing Release builds instead of
# fresh ones (the test stage reuses the builds of the earlier stages); --out
# writes the packages to another folder than dist/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
linux_dir="" windows_dir="" dist="$root/dist"
while [ $# -gt 0 ]; do
  case $1 in
    --linux-build) linux_dir=$(realpath "$2"); shift 2 ;;
    --windows-build) windows_dir=$(realpath "$2"); shift 2 ;;
    --out) dist=$(realpath -m "$2"); shift 2 ;;
    *) echo "usage: $0 [--linux-build DIR] [--windows-build DIR] [--out DIR]" >&2; exit 2 ;;
  esac
done
scripts/deps.sh package
jobs=$(nproc 2>/dev/null || echo 2)
work="$root/build-package"
rm -rf "$work" && mkdir -p "$work" "$dist"

# Linux: the program, its icons, manual page and metadata, and the .deb.
if [ -z "$linux_dir" ]; then
  linux_dir="$work/linux"
  # With Debian's hardening flags (fortified functions, full RELRO).
  export DEB_BUILD_MAINT_OPTIONS=hardening=+all
  cmake -S . -B "$linux_dir" -DCMAKE_BUILD_TYPE=Release -DGLIMMERDOME_TESTS=OFF \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
fi
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$linux_dir/CMakeCache.txt")
[ -n "$version" ] || { echo "package: no project version in $linux_dir" >&2; exit 1; }
cmake --build "$linux_dir" -j "$jobs" --target glimmerdome glimmer_icon glimmer_page glimmerdome_screenshot
(cd "$linux_dir" && cpack -G DEB -B "$work/deb" >"$work/cpack.log") ||
  { cat "$work/cpack.log" >&2; exit 1; }
deb="glimmerdome_${version}_amd64.deb"
cp "$work/deb/$deb" "$linux_dir/packaging/glimmerdome-$version.png" "$dist/"

# Windows: one self-contained glimmerdome.exe, cross-built with mingw-w64.
if [ -z "$windows_dir" ]; then
  windows_dir="$work/windows"
  cmake -S . -B "$windows_dir" --toolchain cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
    -DGLIMMERDOME_TESTS=OFF -DGLIMMERDOME_ICON_TOOL="$linux_dir/glimmer_icon" \
    -DGLIMMERDOME_PAGE_TOOL="$linux_dir/glimmer_page" >/dev/null
fi
cmake --build "$windows_dir" -j "$jobs" --target glimmerdome

# What both Windows packages hold: the program without its symbols, the
# README and the licence as text with Windows line ends, the globe's own page
# in the folder page beside the program, all dated by the release so that
# the same sources give the same archive. The installer also
# takes its icon from here.
stage="$work/stage"
mkdir -p "$stage"
x86_64-w64-mingw32-strip -o "$stage/glimmerdome.exe" "$windows_dir/glimmerdome.exe"
cp "$windows_dir/generated/glimmerdome.ico" "$stage/"
sed 's/$/\r/' README.md >"$stage/README.txt"
sed 's/$/\r/' LICENSE >"$stage/LICENSE.txt"
cp -r "$windows_dir/generated/page" "$stage/page"
release_date=$(sed -n 's/^ -- .*  \(.*\)$/\1/p' packaging/debian/changelog | head -1)
touch -d "$release_date" "$stage"/* "$stage"/page/*

zip_name="glimmerdome-$version-win64.zip"
rm -f "$dist/$zip_name"
(cd "$stage" && TZ=UTC zip -q -X "$dist/$zip_name" glimmerdome.exe README.txt LICENSE.txt page/*)

# The picture of the installer's first and last pages: the globe on a night sky.
convert -size 164x314 gradient:'#0c1a3a-#3a6cb0' "$linux_dir/packaging/icons/128x128/apps/glimmerdome.png" \
  -gravity north -geometry +0+48 -composite -type TrueColor BMP3:"$stage/wizard.bmp"

setup="glimmerdome-$version-setup.exe"
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DICON="$stage/glimmerdome.ico" \
  -DWIZARD="$stage/wizard.bmp" -DOUTFILE="$dist/$setup" packaging/windows/glimmerdome.nsi

echo "Packages of Glimmerdome $version:"
for f in "$deb" "$setup" "$zip_name" "glimmerdome-$version.png"; do
  echo "  $dist/$f"
done
