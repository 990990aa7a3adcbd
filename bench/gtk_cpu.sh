#!/usr/bin/env bash
# The processor time the real window costs, against the plain GTK way of
# animating a window of the same size (bench/gtk_baseline.cpp). One Xvfb
# (1920 x 1080) with picom compositing (xrender) and three kinds of stretch:
#   baseline   the plain GTK window animating at 50 frames a second
#   animating  Glimmerdome animating (first run: normal speed, snow on)
#   covered    Glimmerdome under an opaque window that fills the screen
#   idle       a GTK window whose 20 ms timer draws nothing: what waking 50
#              times a second costs any GTK program, the floor under both
#              programs' figures (it weighs more in the ratios where a wake-up
#              is dear, as in virtual machines)
# All programs run throughout; those not measured are stopped (SIGSTOP), so
# their windows stand still. The kinds take turns in short stretches, so that
# the machine's slow swings in speed fall on all four alike. Each kind's share
# of one core is printed for the program, picom and the X server (run time of
# all their threads, from /proc/PID/task/*/schedstat), then the ratios the
# goals are set in.
#
# Usage: bench/gtk_cpu.sh [SECONDS] [BUILD_DIR]   (default: 30 build)
#   SECONDS is the measured time of each kind, in stretches of 5 seconds.
set -uo pipefail
cd "$(dirname "$0")/.."
secs=${1:-30}
build=${2:-build}
bin=$build/glimmerdome
stretch=5
[ -x "$bin" ] || { echo "no $bin: build first" >&2; exit 1; }
cmake --build "$build" --target gtk_baseline >/dev/null || { echo "cannot build gtk_baseline" >&2; exit 1; }
baseline=$build/gtk_baseline
tmp=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill -CONT "$p" 2>/dev/null; kill "$p" 2>/dev/null; done
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

# measure KIND PID: one stretch, added to $tmp/KIND (program, picom, X server, wall).
measure() {
  local a0 p0 x0 t0 a1 p1 x1 t1
  a0=$(runtime "$2"); p0=$(runtime "$picom"); x0=$(runtime "$xvfb"); t0=$(date +%s%N)
  sleep "$stretch"
  a1=$(runtime "$2"); p1=$(runtime "$picom"); x1=$(runtime "$xvfb"); t1=$(date +%s%N)
  echo "$((a1 - a0)) $((p1 - p0)) $((x1 - x0)) $((t1 - t0))" >>"$tmp/$1"
}

"$baseline" >/dev/null 2>&1 &
base=$!; pids+=("$base")
"$baseline" --idle >/dev/null 2>&1 &
idle=$!; pids+=("$idle")
HOME=$tmp XDG_CONFIG_HOME=$tmp/.config "$bin" >/dev/null 2>&1 &
app=$!; pids+=("$app")
sleep 3  # past start-up

for _ in $(seq $(((secs + stretch - 1) / stretch))); do
  kill -STOP "$app" "$idle"; kill -CONT "$base"; sleep 1
  measure baseline "$base"
  kill -STOP "$base"; kill -CONT "$app"; sleep 1
  measure animating "$app"
  "$baseline" --cover >/dev/null 2>&1 &
  cover=$!
  sleep 1.5
  measure covered "$app"
  kill "$cover"; wait "$cover" 2>/dev/null
  kill -STOP "$app"; kill -CONT "$idle"; sleep 1
  measure idle "$idle"
done

echo "share of one core, ${secs} s of each in stretches of ${stretch} s (Xvfb 1920x1080, picom xrender):"
for kind in baseline animating covered idle; do
  awk -v kind="$kind" '{ a += $1; p += $2; x += $3; w += $4 }
    END { printf "  %-10s program %6.3f %%   picom %6.3f %%   X server %6.3f %%   total %6.3f %%\n",
                 kind, 100 * a / w, 100 * p / w, 100 * x / w, 100 * (a + p + x) / w
          printf "%.6f %.6f\n", a / w, (a + p + x) / w > "'"$tmp"'/" kind ".share" }' "$tmp/$kind"
done
read -r ba bt <"$tmp/baseline.share"
read -r aa at <"$tmp/animating.share"
read -r ca ct <"$tmp/covered.share"
read -r ia it <"$tmp/idle.share"
awk -v ba="$ba" -v bt="$bt" -v aa="$aa" -v at="$at" -v ca="$ca" -v ct="$ct" -v ia="$ia" 'BEGIN {
  printf "ratios:\n"
  printf "  animating / baseline, total     %.3f   (goal: at most 0.5)\n", at / bt
  printf "  animating / baseline, program   %.3f   (goal: at most 0.4)\n", aa / ba
  printf "  covered / animating, total      %.3f   (goal: at most 0.05)\n", ct / at
  printf "  covered / animating, program    %.3f\n", ca / aa
  printf "  animating / baseline, program above the idle floor   %.3f\n", (aa - ia) / (ba - ia)
}'
