# Release build of the program, the tools and the unit tests, then every test.
stage_unit() {
  # Needs nothing: this is the build the other stages get with need_build.
  cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release -DGLIMMERDOME_TESTS=ON >/dev/null &&
  cmake --build "$root/build" -j "$jobs" &&
  ctest --test-dir "$root/build" -j "$jobs" --timeout 600
}
