#!/usr/bin/env bash
# Runs every test of Glimmerdome: installs what is missing, builds, and runs
# each stage in turn. Prints one line per stage and a closing count.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
scripts/deps.sh test || { echo "dependency installation failed"; exit 1; }

jobs=$(nproc 2>/dev/null || echo 2)
export CTEST_OUTPUT_ON_FAILURE=1
passed=0; failed=0; failed_names=()

stage() {
  local name=$1; shift
  echo "=== stage: $name"
  local t0=$SECONDS
  if "$@"; then
    passed=$((passed + 1)); echo "=== stage $name: ok ($((SECONDS - t0)) s)"
  else
    failed=$((failed + 1)); failed_names+=("$name"); echo "=== stage $name: FAILED ($((SECONDS - t0)) s)"
  fi
}

# Every stage lives in scripts/stages/*.sh as a function named stage_<file name>,
# run in the order of the file names.
for f in scripts/stages/*.sh; do
  # shellcheck source=/dev/null
  source "$f"
done
for f in scripts/stages/*.sh; do
  n=$(basename "$f" .sh)
  fn="stage_${n#*-}"
  fn=${fn//-/_}
  stage "${n#*-}" "$fn"
done

echo
[ $failed -gt 0 ] && echo "failed stages: ${failed_names[*]}"
echo "stages: $passed passed, $failed failed"
[ $failed -eq 0 ]
