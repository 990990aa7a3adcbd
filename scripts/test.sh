#!/usr/bin/env bash
# Runs the tests of Glimmerdome: installs what is missing, then runs each
# stage in turn. Prints one line per stage and a closing count.
#   scripts/test.sh             every stage, in the order of the file names
#   scripts/test.sh STAGE...    the named stages only, in the order given
# Each stage lives in scripts/stages/NN-NAME.sh as a function stage_NAME and
# runs in a shell of its own; what it needs (a build) it gets itself
# (scripts/lib/need.sh).
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD

names=() files=()
for f in scripts/stages/*.sh; do
  n=$(basename "$f" .sh)
  names+=("${n#*-}") files+=("$f")
done
chosen=()
if [ $# -eq 0 ]; then
  chosen=("${!names[@]}")
else
  for want in "$@"; do
    found=""
    for i in "${!names[@]}"; do [ "${names[$i]}" = "$want" ] && found=$i; done
    if [ -z "$found" ]; then
      echo "scripts/test.sh: no stage named '$want'; the stages are: ${names[*]}" >&2
      exit 2
    fi
    chosen+=("$found")
  done
fi

scripts/deps.sh test || { echo "dependency installation failed"; exit 1; }

jobs=$(nproc 2>/dev/null || echo 2)
export CTEST_OUTPUT_ON_FAILURE=1
passed=0; failed=0; failed_names=()

stage() {
  local name=$1 file=$2
  local fn="stage_${name//-/_}"
  echo "=== stage: $name"
  local t0=$SECONDS
  # shellcheck source=/dev/null
  if (source scripts/lib/need.sh && source "$file" && "$fn"); then
    passed=$((passed + 1)); echo "=== stage $name: ok ($((SECONDS - t0)) s)"
  else
    failed=$((failed + 1)); failed_names+=("$name"); echo "=== stage $name: FAILED ($((SECONDS - t0)) s)"
  fi
}

for i in "${chosen[@]}"; do
  stage "${names[$i]}" "${files[$i]}"
done

echo
[ $failed -gt 0 ] && echo "failed stages: ${failed_names[*]}"
echo "stages: $passed passed, $failed failed"
[ $failed -eq 0 ]
