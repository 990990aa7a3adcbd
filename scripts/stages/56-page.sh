# The globe's own page as a reader gets it: installed with the program
# (cmake --install of the unit stage's build), opened in a real browser,
# headless Chromium. Every language's page at the fixed time 2026-12-20T10:00
# (the page's "?now=" test aid): its four countdowns show the numbers the
# program's own plaque shows at that time for the same targets, its console
# stays free of errors, and nothing it asks for lies outside its folder (its
# references are checked in the page after its script ran, and the browser's
# network log holds no request made for the page). Screenshots at 1280 x 800 and at a
# phone's 390 x 844 stay in build/page-stage for a look.

stage_page() (
  need_build || exit 1
  set -u
  local bin="$root/build/glimmerdome" out="$root/build/page-stage"
  fail() { echo "page stage: $*" >&2; exit 1; }
  command -v chromium >/dev/null || fail "chromium is missing (scripts/deps.sh test installs it)"
  [ -x "$bin" ] || fail "$bin is missing; the unit stage builds it"
  rm -rf "$out" && mkdir -p "$out" || fail "cannot make $out"
  cmake --install "$root/build" --prefix "$out/install" >"$out/install.log" 2>&1 ||
    fail "cmake --install failed (see $out/install.log)"
  local page="$out/install/share/glimmerdome/page" at=2026-12-20T10:00
  [ -f "$page/index.html" ] || fail "the install has no share/glimmerdome/page/index.html"

  # The installed program opens the installed page.
  (cd "$out" && LC_ALL=C "$out/install/bin/glimmerdome" --headless --choose pmiAbout --trace open.jsonl) >/dev/null 2>&1
  grep -q "\"ev\": \"open\", \"url\": \"file://$page/index.html\"" "$out/open.jsonl" ||
    fail "the installed program does not open its installed page: $(grep '"open"' "$out/open.jsonl")"
  echo "page stage: the installed program opens file://$page/index.html"

  # The program's own count for each target: the digits drawn on the plaque
  # in the last frame, after choosing the target.
  local ids=(christmas christmas-eve new-year julian) items=(pmiChristmas pmiChristmasEve pmiNewYear pmiJulian)
  local want="" i
  for i in 0 1 2 3; do
    (cd "$out" && "$bin" --headless --at "$at" --choose "${items[$i]}" --frames 2 --trace "count-$i.jsonl") >/dev/null 2>&1 ||
      fail "the headless run for ${items[$i]} failed"
    want+="${ids[$i]}=$(grep '"ev": "frame"' "$out/count-$i.jsonl" | tail -1 | grep -o '\["d[0-9]", ' | tr -dc '0-9') "
  done
  echo "page stage: the plaque counts ${want% }"

  # Chromium as root, with nothing of its own going out.
  browser() {
    local profile
    profile=$(mktemp -d "$out/profile.XXXXXX")
    timeout 120 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
      --disable-background-networking --disable-component-update --disable-sync --disable-default-apps \
      --hide-scrollbars --user-data-dir="$profile" "$@"
  }
  local html name dom got refs ref bad=""
  for html in "$page"/index*.html; do
    name=$(basename "$html" .html)
    browser --enable-logging=stderr --v=0 --log-net-log="$out/$name.netlog.json" --dump-dom \
      "file://$html?now=$at" >"$out/$name.dom.html" 2>"$out/$name.log" || fail "chromium could not open $html"
    dom="$out/$name.dom.html"
    got=""
    for i in 0 1 2 3; do
      got+="${ids[$i]}=$(grep -o "<tr id=\"${ids[$i]}\">.*</tr>" "$dom" | grep -o '<span class="days">[0-9]*</span>' | tr -dc '0-9') "
    done
    [ "$got" = "$want" ] || fail "$name: the page counts $got, the program $want"
    ! grep -E 'CONSOLE|Uncaught' "$out/$name.log" >"$out/$name.console.txt" ||
      fail "$name: the console says: $(head -3 "$out/$name.console.txt")"
    # Every reference of the page and its style sheet is a file in its folder.
    refs=$( (grep -oE '(src|href)="[^"]*"' "$dom" | sed -E 's/^(src|href)="(.*)"$/\2/'
      grep -oE 'url\([^)]*\)' "$page/page.css" | sed -E 's/^url\((.*)\)$/\1/') | sort -u)
    for ref in $refs; do
      [[ $ref =~ ^[A-Za-z0-9._-]+$ ]] && [ -f "$page/$ref" ] || bad+="$name: $ref "
    done
    # The network log holds every request that went past the files (which
    # the browser reads itself): the page's own ones are those with an
    # initiator (the browser's background requests have "not an origin").
    grep '"initiator":' "$out/$name.netlog.json" | grep -v '"initiator":"not an origin"' |
      grep -oE '"url":"[^"]*"' >"$out/$name.requests.txt"
    [ -s "$out/$name.requests.txt" ] && bad+="$name: $(head -3 "$out/$name.requests.txt" | tr '\n' ' ')"
  done
  [ -z "$bad" ] || fail "requests outside the page's folder: $bad"
  grep -qE 'fetch\(|XMLHttpRequest|import\(|WebSocket|EventSource' "$page/countdown.js" &&
    fail "countdown.js asks for something over the network"
  echo "page stage: $(ls "$page"/index*.html | wc -l) pages count ${want% } as the program does, with no console message and no request outside $page"

  # What a reader sees on a laptop and on a phone.
  local size
  for size in 1280x800 390x844; do
    browser --window-size="${size/x/,}" --screenshot="$out/page-$size.png" "file://$page/index.html?now=$at" \
      >/dev/null 2>&1 || fail "chromium took no screenshot at $size"
    [ "$(identify -format '%wx%h' "$out/page-$size.png" 2>/dev/null)" = "$size" ] ||
      fail "the screenshot at $size is $(identify -format '%wx%h' "$out/page-$size.png" 2>&1)"
    # The globes are in the picture: far more than a few colours.
    [ "$(convert "$out/page-$size.png" -format '%k' info:)" -gt 1000 ] || fail "the screenshot at $size looks empty"
  done
  echo "page stage: screenshots at 1280x800 and 390x844 in $out"
)
