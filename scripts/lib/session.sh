# What the stages that run real sessions share: waiting for a condition,
# holding still for a measured time, counting the snow in the sky of a
# screenshot, stopping a process they started, and dragging the globe on X11.
# Sourced by scripts/stages/40-gtk.sh, 45-desktop.sh, 47-wayland.sh,
# 48-kwin.sh, 50-windows.sh and 55-package.sh. A stage waits for what it needs (a window
# mapped, a file written, a trace line, a screenshot that shows it) with
# wait_for, never for a guessed time; the pauses inside a gesture (xdotool's
# sleeps between its steps) are the pace of the hand that makes it.

# wait_for SECONDS COMMAND...: polls until the command succeeds.
wait_for() {
  local end=$((SECONDS + $1)); shift
  until "$@"; do
    [ $SECONDS -ge $end ] && return 1
    sleep 0.1
  done
}

# hold_for SECONDS WHY: a pause that is itself what a check looks at (a time
# in which nothing may happen, or in which something must), never a wait for
# something to be ready; WHY says what the time is for.
hold_for() { sleep "$1"; }

# gone PID: the process has ended.
gone() { ! kill -0 "$1" 2>/dev/null; }

# colours PNG W H X Y: how many colours a screenshot has in that rectangle (a
# window not drawn yet is one, a drawn globe or menu many).
colours() { convert "$1" -crop "$2x$3+$4+$5" +repage -format %k info: 2>/dev/null || echo 0; }

# sky_specks PNG X Y: in a screenshot with the window at X Y, the pixels of
# the sky above the trees (the window's rows 45 to 104, columns 75 to 224)
# that are not their row's colour (each row of the sky strip is one): stars,
# the glass's sheen and snow flakes. A shake raises their count.
sky_specks() {
  convert "$1" -crop "150x60+$(($2 + 75))+$(($3 + 45))" +repage -depth 8 RGB:- | od -An -v -tu1 -w3 |
    awk '{ c[int((NR - 1) / 150) " " $1 " " $2 " " $3]++ }
      END { for (k in c) { split(k, a, " "); if (c[k] > m[a[1]]) m[a[1]] = c[k] }
            for (y = 0; y < 60; y++) t += 150 - m[y]; print t + 0 }'
}

# stop PID: TERM, then KILL after 3 s.
stop() {
  local pid=$1
  [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null || return 0
  kill "$pid" 2>/dev/null
  wait_for 3 gone "$pid" || kill -9 "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  return 0
}

# drag BUTTON DX DY: presses on the glass, moves, releases (at a hand's pace),
# and checks that the window followed (xdotool; the stage defines `position`,
# "X Y" of the window, and `fail`).
drag() {
  local x y px py want
  read -r x y < <(position)
  px=$((x + 150)); py=$((y + 100)); want="$((x + $2)) $((y + $3))"
  xdotool mousemove "$px" "$py" sleep 0.1 mousedown "$1" sleep 0.1 \
    mousemove $((px + $2 / 4)) $((py + $3 / 4)) sleep 0.1 mousemove $((px + $2)) $((py + $3)) sleep 0.2 mouseup "$1"
  wait_for 3 eval '[ "$(position)" = "$want" ]' ||
    fail "a drag with button $1 by $2,$3 from $x,$y left the window at $(position)"
  echo "  a drag with button $1 moved the globe from $x,$y to $(position | tr " " ,)"
}
