#!/usr/bin/env bash
# Rebuilds artgen, draws everything again into a temporary folder and compares
# the pixels with the committed pictures (all three scales) and review sheets.
# Exit status 0 when every file matches, 1 when any differs or is missing.
# Usage: tools/artgen/check-reproducible.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build="$root/build-artgen"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DGLIMMERDOME_ARTGEN=ON -DGLIMMERDOME_TESTS=OFF >/dev/null
cmake --build "$build" --target artgen -j2 >/dev/null
"$build/artgen" --art "$tmp/art" --docs "$tmp/docs" --po "$root/po" >/dev/null
status=0
echo "pictures:"
"$build/artgen" --compare "$tmp/art" "$root/src/images/art" || status=1
echo "review sheets:"
"$build/artgen" --compare "$tmp/docs" "$root/docs/art" || status=1
exit $status
