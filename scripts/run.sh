#!/usr/bin/env bash
# Builds Glimmerdome and runs it. On a desktop the globe appears; with no
# display it renders a snapshot and a short animation headlessly and says
# where they are. Arguments are passed on to glimmerdome (for example: add).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh run
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DGLIMMERDOME_TESTS=OFF >/dev/null
cmake --build build -j "$(nproc 2>/dev/null || echo 2)" --target glimmerdome >/dev/null

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/glimmerdome "$@"
fi

mkdir -p out
build/glimmerdome --headless --frames 1 --snapshot out/glimmerdome.png "$@"
build/glimmerdome --headless --frames 250 --record out/glimmerdome-animation.png "$@"
echo "No display found, so Glimmerdome ran headless:"
echo "  snapshot:  $PWD/out/glimmerdome.png"
echo "  animation: $PWD/out/glimmerdome-animation.png (animated PNG, 5 seconds; open it in a web browser)"
