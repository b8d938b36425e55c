#!/usr/bin/env bash
# Peak resident size of the real program after login -> desktop -> expense
# page -> a twenty-year search (模糊查询 with an empty keyword from
# 2000-01-01 to today), for databases of 10k, 200k and 400k records.
# The program runs under Xvfb and is driven by xdotool as a user would:
# typing the password, clicking the entries and buttons at their places.
# The peak is VmHWM of /proc/<pid>/status once the list is shown.
# With ALL_PAGES=1 the tour then opens every page of the program in turn
# (the print page lists this year's income) before the peak is read.
#
#   bench/rss_tour.sh                  (Release build in build-release)
#   RECORDS="400000" SHOTS=/tmp/tour bench/rss_tour.sh
# SHOTS keeps a picture of the screen after the search (needs xwd).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD_DIR:-$PWD/build-release}
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "needs $tool (apt-get install xvfb xdotool)" >&2; exit 1; }
done

display=:77
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
work=$(mktemp -d)
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
export DISPLAY=$display
sleep 1

# The window of the running program that is `width` pixels wide.
window_of_width() {
  local width=$1 id
  for _ in $(seq 200); do
    for id in $(xdotool search --onlyvisible --pid "$pid" --name . 2>/dev/null || true); do
      eval "$(xdotool getwindowgeometry --shell "$id")"
      if [ "$WIDTH" = "$width" ]; then echo "$id"; return 0; fi
    done
    sleep 0.1
  done
  echo "no window $width pixels wide" >&2
  return 1
}

click_at() {  # window-relative
  xdotool mousemove $((WX + $1)) $((WY + $2)) click 1
  sleep "${3:-0.3}"
}

printf '%-9s %12s %12s\n' records "login RSS" "peak RSS"
for n in ${RECORDS:-10000 200000 400000}; do
  db="$work/$n"
  mkdir -p "$db"
  "$BUILD/mkdb" --records "$n" "$db/fmy.dll" >/dev/null 2>&1
  (cd "$db" && exec "$BUILD/jizhang") &
  pid=$!
  login=$(window_of_width 468)
  xdotool windowactivate --sync "$login" 2>/dev/null || xdotool windowfocus --sync "$login"
  loginRss=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
  xdotool type --delay 20 admin
  xdotool key Return
  for _ in $(seq 100); do
    xdotool search --onlyvisible --pid "$pid" --name . 2>/dev/null | grep -qx "$login" || break
    sleep 0.1
  done
  main=$(window_of_width 966)
  eval "$(xdotool getwindowgeometry --shell "$main")"
  WX=$X WY=$Y
  sleep 1
  click_at 107 165 1          # 支出
  click_at 920 133            # 模糊查询
  # The from-date: its year, month and day sections stepped down with the
  # arrow key to 2000-01-01 (a section stops at its first value).
  click_at 735 223 0.1
  xdotool key --repeat $(( $(date +%Y) - 2000 )) --delay 10 Down
  click_at 757 223 0.1
  xdotool key --repeat 12 --delay 10 Down
  click_at 772 223 0.1
  xdotool key --repeat 31 --delay 10 Down
  click_at 908 258 3          # 查询
  if [ -n "${ALL_PAGES:-}" ]; then
    # Header entries, then the navigation column, top to bottom.
    for at in "653 95" "711 95" "775 95" "849 95" "107 195" "107 225" "92 257" "92 293" "92 320" \
              "92 358" "92 382" "92 420" "92 445" "92 469" "92 508" "92 544"; do
      click_at $at 1
      if [ "$at" = "849 95" ]; then click_at 673 132 1; fi   # 打印\导出: 查询
    done
  fi
  peak=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status")
  if [ -n "${SHOTS:-}" ] && command -v xwd >/dev/null; then
    mkdir -p "$SHOTS"
    xwd -root -silent > "$SHOTS/tour-$n.xwd"
  fi
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  printf '%-9s %9.1f MB %9.1f MB\n' "$n" "$(echo "$loginRss/1024" | bc -l)" "$(echo "$peak/1024" | bc -l)"
done
