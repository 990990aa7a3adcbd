#!/usr/bin/env bash
# The processor time the real window costs: Glimmerdome animating under Xvfb
# (1920 x 1080) with picom compositing (xrender), measured over a stretch of
# seconds from /proc/PID/stat (user + system time of each process). Prints the
# share of one core used by the program, by picom and by the X server.
#
# Usage: bench/gtk_cpu.sh [SECONDS] [BUILD_DIR]     (default: 30 build)
set -uo pipefail
cd "$(dirname "$0")/.."
secs=${1:-30}
bin=${2:-build}/glimmerdome
[ -x "$bin" ] || { echo "no $bin: build first" >&2; exit 1; }
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
HOME=$tmp XDG_CONFIG_HOME=$tmp/.config "$bin" >/dev/null 2>&1 &
app=$!; pids+=("$app")
sleep 3  # past start-up

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }  # utime + stime, in clock ticks
hz=$(getconf CLK_TCK)
a0=$(ticks "$app"); p0=$(ticks "$picom"); x0=$(ticks "$xvfb"); t0=$(date +%s.%N)
sleep "$secs"
a1=$(ticks "$app"); p1=$(ticks "$picom"); x1=$(ticks "$xvfb"); t1=$(date +%s.%N)
awk -v a="$((a1 - a0))" -v p="$((p1 - p0))" -v x="$((x1 - x0))" -v hz="$hz" -v t0="$t0" -v t1="$t1" 'BEGIN {
  wall = t1 - t0
  printf "over %.1f s of animation (%d clock ticks a second):\n", wall, hz
  printf "  glimmerdome %5.1f %% of one core\n", 100 * a / hz / wall
  printf "  picom       %5.1f %% of one core\n", 100 * p / hz / wall
  printf "  Xvfb        %5.1f %% of one core\n", 100 * x / hz / wall
}'
