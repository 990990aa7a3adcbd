#!/usr/bin/env bash
# The processor time the real window costs, against the plain GTK way of
# animating a window of the same size (bench/gtk_baseline.cpp). One Xvfb
# (1920 x 1080) with picom compositing (xrender); three stretches, one after
# the other:
#   baseline   the plain GTK window animating at 50 frames a second
#   animating  Glimmerdome animating (first run: normal speed, snow on)
#   covered    Glimmerdome under an opaque window that fills the screen
# Each prints the share of one core used by the program, by picom and by the
# X server (run time of all their threads, from /proc/PID/task/*/schedstat),
# then the ratios the goals are set in.
#
# Usage: bench/gtk_cpu.sh [SECONDS] [BUILD_DIR]     (default: 25 build)
set -uo pipefail
cd "$(dirname "$0")/.."
secs=${1:-25}
build=${2:-build}
bin=$build/glimmerdome
[ -x "$bin" ] || { echo "no $bin: build first" >&2; exit 1; }
cmake --build "$build" --target gtk_baseline >/dev/null || { echo "cannot build gtk_baseline" >&2; exit 1; }
baseline=$build/gtk_baseline
tmp=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset 3>"$tmp/display" 2>/dev/null &
xvfb=$!; pids+=("$xvfb")
for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -1 "$tmp/display")"
picom --backend xrender --config /dev/null >/dev/null 2>&1 &
picom=$!; pids+=("$picom")
sleep 1

# Nanoseconds on a processor, all threads of a process together.
runtime() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ns += $1} END {printf "%d", ns}'; }

# measure NAME PID: the shares over $secs seconds, into $tmp/NAME.
measure() {
  local a0 p0 x0 t0 a1 p1 x1 t1
  a0=$(runtime "$2"); p0=$(runtime "$picom"); x0=$(runtime "$xvfb"); t0=$(date +%s%N)
  sleep "$secs"
  a1=$(runtime "$2"); p1=$(runtime "$picom"); x1=$(runtime "$xvfb"); t1=$(date +%s%N)
  awk -v a=$((a1 - a0)) -v p=$((p1 - p0)) -v x=$((x1 - x0)) -v w=$((t1 - t0)) \
    'BEGIN { printf "%.4f %.4f %.4f\n", 100 * a / w, 100 * p / w, 100 * x / w }' >"$tmp/$1"
  read -r a p x <"$tmp/$1"
  printf "  %-10s program %6.3f %%   picom %6.3f %%   X server %6.3f %%   total %6.3f %%\n" \
    "$1" "$a" "$p" "$x" "$(awk -v a="$a" -v p="$p" -v x="$x" 'BEGIN { print a + p + x }')"
}

echo "share of one core over ${secs} s each (Xvfb 1920x1080, picom xrender):"
"$baseline" >/dev/null 2>&1 &
base=$!; pids+=("$base")
sleep 3
measure baseline "$base"
kill "$base"; wait "$base" 2>/dev/null

HOME=$tmp XDG_CONFIG_HOME=$tmp/.config "$bin" >/dev/null 2>&1 &
app=$!; pids+=("$app")
sleep 3  # past start-up
measure animating "$app"

"$baseline" --cover >/dev/null 2>&1 &
cover=$!; pids+=("$cover")
sleep 2
measure covered "$app"

read -r ba bp bx <"$tmp/baseline"
read -r aa ap ax <"$tmp/animating"
read -r ca cp cx <"$tmp/covered"
awk -v ba="$ba" -v bp="$bp" -v bx="$bx" -v aa="$aa" -v ap="$ap" -v ax="$ax" -v ca="$ca" -v cp="$cp" -v cx="$cx" 'BEGIN {
  bt = ba + bp + bx; at = aa + ap + ax; ct = ca + cp + cx
  printf "ratios:\n"
  printf "  animating / baseline, total     %.3f   (goal: at most 0.5)\n", at / bt
  printf "  animating / baseline, program   %.3f   (goal: at most 0.4)\n", aa / ba
  printf "  covered / animating, total      %.3f   (goal: at most 0.05)\n", ct / at
  printf "  covered / animating, program    %.3f\n", ca / aa
}'
