#!/usr/bin/env bash
# The processor time the globe costs on Wayland, side by side, in one
# headless sway session (1280 x 720, pixman renderer, with XWayland), as
# bench/gtk_cpu.sh measures it on X11:
#   baseline   the plain GTK way of animating a 300 x 260 RGBA window
#              (bench/gtk_baseline.cpp) as a Wayland client, floating
#   layer      Glimmerdome as a layer surface (its frames on its own subsurface)
#   paint      the same, through GTK's paint cycle (GLIMMERDOME_WAYLAND_PRESENT=gtk)
#   xwayland   the same build through XWayland (GLIMMERDOME_BACKEND=x11)
#   covered    the layer surface under a fullscreen window
# The kinds take turns in short stretches, so that the machine's slow swings
# in speed fall on all alike, and each stretch starts its program afresh and
# measures it alone once it has settled: the snow's density drifts by itself
# between none and full over minutes, so two programs that had run side by
# side for a while would be drawing different amounts of snow; started
# afresh, every stretch begins at the same full snow. Each kind's share of
# one core is printed for the program, sway and Xwayland (run time of all
# their threads, from /proc/PID/task/*/schedstat), then the ratios the goals
# are set in.
# As root, sway runs as a user of its own (it refuses root), as in
# scripts/stages/47-wayland.sh.
#
# Usage: bench/wayland_cpu.sh [SECONDS] [BUILD_DIR]   (default: 15 build)
#   SECONDS is the measured time of each kind, in stretches of 5 seconds.
set -uo pipefail
cd "$(dirname "$0")/.."
secs=${1:-15}
build=${2:-build}
bin=$build/glimmerdome
stretch=5
user=glimmerdome-test
[ -x "$bin" ] || { echo "no $bin: build first" >&2; exit 1; }
cmake --build "$build" --target gtk_baseline >/dev/null || { echo "cannot build gtk_baseline" >&2; exit 1; }
for tool in sway swaymsg Xwayland; do command -v "$tool" >/dev/null || { echo "$tool is missing" >&2; exit 1; }; done
run=$(mktemp -d /tmp/glimmerdome-wlbench.XXXXXX) && chmod 755 "$run"
mkdir -p "$run/xdg" "$run/bin" "$run/home/.config/glimmerdome" && cp "$bin" "$build/gtk_baseline" "$run/bin/" &&
  cp "$build/gtk_baseline" "$run/bin/gtk_cover" && chmod 755 "$run/bin"/*  # the cover: an app_id of its own
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  id "$user" >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin "$user" || exit 1
  chown -R "$user:" "$run/xdg" "$run/home"
  as_user=(setpriv --reuid="$user" --regid="$user" --clear-groups)
fi
chmod 700 "$run/xdg"
session_env=(HOME="$run/home" XDG_CONFIG_HOME="$run/home/.config" PATH=/usr/bin:/bin XDG_RUNTIME_DIR="$run/xdg")
as() { "${as_user[@]}" env -i "${session_env[@]}" "$@"; }
as_exec() { exec "${as_user[@]}" env -i "${session_env[@]}" "$@"; }
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill -CONT "$p" 2>/dev/null; kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$run"
}
trap cleanup EXIT

cat >"$run/sway.conf" <<EOF
output HEADLESS-1 resolution 1280x720 position 0 0 bg #336699 solid_color
xwayland enable
default_border none
default_floating_border none
for_window [app_id="gtk_baseline"] floating enable
EOF
(as_exec env WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 sway -c "$run/sway.conf" >"$run/sway.log" 2>&1) &
sway=$!; pids+=("$sway")
for _ in $(seq 150); do
  socket=$(ls "$run/xdg"/sway-ipc.*.sock 2>/dev/null | head -1)
  display=$(ls "$run/xdg" 2>/dev/null | grep -E '^wayland-[0-9]+$' | head -1)
  [ -n "$socket" ] && [ -n "$display" ] && break
  sleep 0.1
done
[ -n "$socket" ] && [ -n "$display" ] || { echo "sway did not start" >&2; cat "$run/sway.log" >&2; exit 1; }
session_env+=(SWAYSOCK="$socket" WAYLAND_DISPLAY="$display")
as swaymsg exec "echo \"\$DISPLAY\" >$run/home/x-display" >/dev/null
for _ in $(seq 50); do [ -s "$run/home/x-display" ] && break; sleep 0.1; done
x_display=$(cat "$run/home/x-display")
start() { (as_exec "$@" >/dev/null 2>&1) & pids+=("$!"); }

# Nanoseconds on a processor, all threads of a process together (0 once gone).
runtime() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ns += $1} END {printf "%d", ns}'; }
xwayland() { pgrep -f "^Xwayland $x_display( |\$)" | head -1; }

# measure KIND PID: one stretch, added to $run/KIND (program, sway, Xwayland, wall).
measure() {
  local xw a0 s0 x0 t0 a1 s1 x1 t1
  xw=$(xwayland); xw=${xw:-0}
  a0=$(runtime "$2"); s0=$(runtime "$sway"); x0=$(runtime "$xw"); t0=$(date +%s%N)
  sleep "$stretch"
  a1=$(runtime "$2"); s1=$(runtime "$sway"); x1=$(runtime "$xw"); t1=$(date +%s%N)
  echo "$((a1 - a0)) $((s1 - s0)) $((x1 - x0)) $((t1 - t0))" >>"$run/$1"
}

settle=2
# turn KIND: KIND's program started afresh, settled, measured, ended.
turn() {
  local app cover=
  case $1 in
    baseline) start env GDK_BACKEND=wayland "$run/bin/gtk_baseline" ;;
    layer | covered) start env "$run/bin/glimmerdome" ;;
    paint) start env GLIMMERDOME_WAYLAND_PRESENT=gtk XDG_CONFIG_HOME="$run/home/.config-paint" "$run/bin/glimmerdome" ;;
    xwayland) start env GLIMMERDOME_BACKEND=x11 DISPLAY="$x_display" XDG_CONFIG_HOME="$run/home/.config-x11" "$run/bin/glimmerdome" ;;
  esac
  app=$!
  sleep "$settle"
  if [ "$1" = covered ]; then
    (as_exec env GDK_BACKEND=wayland "$run/bin/gtk_cover" --cover >/dev/null 2>&1) &
    cover=$!
    for _ in $(seq 30); do as swaymsg '[app_id="gtk_cover"] fullscreen enable' >/dev/null 2>&1 && break; sleep 0.1; done
    sleep 1.5
  fi
  measure "$1" "$app"
  kill $app $cover 2>/dev/null; wait $app $cover 2>/dev/null
}

# The first start of an X client starts Xwayland; that is not measured.
turn xwayland; rm -f "$run/xwayland"
for _ in $(seq $(((secs + stretch - 1) / stretch))); do
  for kind in baseline layer paint xwayland covered; do turn "$kind"; done
done

echo "share of one core, ${secs} s of each in stretches of ${stretch} s (headless sway 1280x720, pixman):"
for kind in baseline layer paint xwayland covered; do
  awk -v kind="$kind" '{ a += $1; s += $2; x += $3; w += $4 }
    END { printf "  %-9s program %6.3f %%   sway %6.3f %%   Xwayland %6.3f %%   total %6.3f %%\n",
                 kind, 100 * a / w, 100 * s / w, 100 * x / w, 100 * (a + s + x) / w
          printf "%.6f %.6f\n", a / w, (a + s + x) / w > "'"$run"'/" kind ".share" }' "$run/$kind"
done
read -r ba bt <"$run/baseline.share"
read -r la lt <"$run/layer.share"
read -r pa pt <"$run/paint.share"
read -r xa xt <"$run/xwayland.share"
read -r ca ct <"$run/covered.share"
awk -v ba="$ba" -v bt="$bt" -v la="$la" -v lt="$lt" -v pa="$pa" -v xa="$xa" -v xt="$xt" -v ca="$ca" 'BEGIN {
  printf "ratios:\n"
  printf "  layer / baseline, program       %.3f   (goal: at most 0.4)\n", la / ba
  printf "  layer / xwayland, program       %.3f   (goal: at most 1.2)\n", la / xa
  printf "  layer / baseline, total         %.3f\n", lt / bt
  printf "  layer / xwayland, total         %.3f\n", lt / xt
  printf "  paint cycle / baseline, program %.3f\n", pa / ba
  printf "  covered layer, program          %.3f %% of a core   (goal: under 0.2 %%)\n", 100 * ca
}'
