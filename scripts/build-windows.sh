#!/usr/bin/env bash
# Cross-builds Glimmerdome for 64-bit Windows with mingw-w64 and prints where
# the program is: build-windows/glimmerdome.exe, one self-contained file.
#   scripts/build-windows.sh           the program
#   scripts/build-windows.sh --tests   also the unit tests, glimmer_tests.exe
# The Windows tests themselves (under Wine) run with scripts/test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
tests=OFF
case "${1:-}" in
  "") ;;
  --tests) tests=ON ;;
  *) echo "usage: $0 [--tests]" >&2; exit 2 ;;
esac
scripts/deps.sh windows
dir=build-windows
targets=(glimmerdome)
[ $tests = ON ] && targets+=(glimmer_tests)
cmake -S . -B "$dir" --toolchain cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
  -DGLIMMERDOME_TESTS=$tests >/dev/null
cmake --build "$dir" -j "$(nproc 2>/dev/null || echo 2)" --target "${targets[@]}"
echo "$PWD/$dir/glimmerdome.exe"
