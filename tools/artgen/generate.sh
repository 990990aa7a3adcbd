#!/usr/bin/env bash
# Builds artgen and redraws every scene picture into src/images/art (and at
# two and three times the size into src/images/art/2x and 3x), and the
# contact sheet and scene previews into docs/art.
# Usage: tools/artgen/generate.sh            (from anywhere in the repository)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build="$root/build-artgen"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DGLIMMERDOME_ARTGEN=ON -DGLIMMERDOME_TESTS=OFF >/dev/null
cmake --build "$build" --target artgen -j2 >/dev/null
"$build/artgen" --art "$root/src/images/art" --docs "$root/docs/art" --po "$root/po"
