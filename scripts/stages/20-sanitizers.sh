# The unit tests again, built with AddressSanitizer and UndefinedBehaviorSanitizer.
# Any report ends the test with an error, so it fails the stage.
stage_sanitizers() {
  # Needs nothing: it makes its own build in build-asan/.
  local flags="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -g -O1"
  cmake -S "$root" -B "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug -DGLIMMERDOME_TESTS=ON -DGLIMMERDOME_GTK=OFF \
    -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null &&
  cmake --build "$root/build-asan" -j "$jobs" --target glimmer_tests glimmer_soak &&
  ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir "$root/build-asan" -j "$jobs" --timeout 900 &&
  # A shorter soak under LeakSanitizer: any leak is reported at exit.
  ASAN_OPTIONS=detect_leaks=1:halt_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$root/build-asan/glimmer_soak" 20000
}
