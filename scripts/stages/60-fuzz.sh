# Fuzzes the stored-picture reader with the PNG decoder, and the BMP reader, for
# about a minute each (FUZZ_SECONDS to change it). Crashes are kept under
# build-fuzz/crashes; each one found becomes a regression test in
# tests/fuzz_regressions_test.cpp with its input under tests/data/fuzz/.
stage_fuzz() {
  # Needs nothing: it makes its own build in build-fuzz/.
  local seconds=${FUZZ_SECONDS:-60}
  local dir="$root/build-fuzz"
  local flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -g -O1"
  CC=clang CXX=clang++ cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Debug -DGLIMMERDOME_FUZZING=ON \
    -DGLIMMERDOME_TESTS=OFF -DGLIMMERDOME_GTK=OFF -DCMAKE_CXX_FLAGS="$flags" >/dev/null || return 1
  cmake --build "$dir" -j "$jobs" --target fuzz_stored_picture fuzz_bmp fuzz_make_seeds || return 1
  rm -rf "$dir/corpus-png" "$dir/corpus-bmp"
  mkdir -p "$dir/crashes"
  "$dir/fuzz_make_seeds" "$dir/corpus-png" "$dir/corpus-bmp" || return 1
  local ok=0
  for t in stored_picture:png bmp:bmp; do
    local target=${t%%:*} corpus=${t##*:}
    echo "fuzzing $target for $seconds s"
    if ! ASAN_OPTIONS=detect_leaks=1 "$dir/fuzz_$target" "$dir/corpus-$corpus" -dict="$root/fuzz/png.dict" \
        -max_total_time="$seconds" -max_len=70000 -rss_limit_mb=2048 -timeout=10 \
        -artifact_prefix="$dir/crashes/$target-" -print_final_stats=1 >"$dir/fuzz-$target.log" 2>&1; then
      echo "fuzz_$target found a failure:"; tail -40 "$dir/fuzz-$target.log"; ok=1
    else
      grep -E '^stat::number_of_executed_units|^stat::peak_rss' "$dir/fuzz-$target.log"
    fi
  done
  return $ok
}
