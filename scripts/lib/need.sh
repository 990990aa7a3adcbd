# What a stage needs before it starts, got when it is missing. scripts/test.sh
# sources this for every stage; a stage that needs a thing says so on its
# first line (real sessions, Xvfb, Xorg, sway, Wine, each stage starts itself).

# need_build [TARGET...]: the unit stage's Release build in build/ (with the
# tests), configured when it is missing and brought up to date: the targets
# named, or all of them. Quiet unless it fails.
need_build() {
  local log="$root/build/need-build.log" targets=()
  [ $# -gt 0 ] && targets=(--target "$@")
  mkdir -p "$root/build" || return 1
  if { [ -f "$root/build/CMakeCache.txt" ] ||
         cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release -DGLIMMERDOME_TESTS=ON; } >"$log" 2>&1 &&
     cmake --build "$root/build" -j "${jobs:-2}" "${targets[@]}" >>"$log" 2>&1; then
    return 0
  fi
  tail -30 "$log"
  echo "building ${*:-everything} in build/ failed (see $log)"
  return 1
}
