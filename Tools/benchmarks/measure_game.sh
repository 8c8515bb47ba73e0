#!/usr/bin/env bash
# Measures the real game binary in a 1280x720 window on a private Xvfb display and prints:
#   - time from the start of the binary to its first picture (the first splash frame);
#   - the idle main menu: CPU of the whole process and frames presented per second;
#   - play on one level (chosen in the level select, the hero left standing): frames per second,
#     frame time, CPU of the main thread per frame and of the whole process;
#   - peak memory (maximum resident set) over the whole run.
# Frames are counted from the window's damage reports (build/tools/xframes); CPU from /proc.
#
#     bash Tools/benchmarks/measure_game.sh [build folder] [level 1-6] [seconds per measurement]
set -u
build=$(cd "${1:-build}" && pwd)
level="${2:-5}"
seconds="${3:-5}"
game="$build/bin/Game"
xshot="$build/tools/xshot"
xframes="$build/tools/xframes"
xclose="$build/tools/xclose"
for tool in "$game" "$xshot" "$xframes" "$xclose"; do
  [ -x "$tool" ] || { echo "missing $tool (build the Game, xshot, xframes and xclose targets)"; exit 1; }
done
title=$(sed -n 's/.*"title": *"\([^"]*\)".*/\1/p' "$build/bin/settings/Game.json" | head -n 1)
work=$(mktemp -d)
time_pid=""
trap 'kill $xvfb_pid 2>/dev/null; [ -n "$time_pid" ] && kill $time_pid 2>/dev/null; rm -rf "$work"' EXIT

display=":$((100 + RANDOM % 390))"
Xvfb "$display" -screen 0 1280x720x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
export DISPLAY="$display"

now_ms() { date +%s%N | cut -c1-13; }
ticks=$(getconf CLK_TCK)
# CPU time in ms of a /proc stat file (user + system).
cpu_ms() { awk -v t="$ticks" '{ sub(/.*\) /, ""); print int(($12 + $13) * 1000 / t) }' "$1" 2>/dev/null || echo 0; }
mean_of() { awk -v a="$1" 'BEGIN { n = split(a, x, " "); s = 0; for (i = 1; i <= n; ++i) s += x[i]; print int(s / n) }'; }
diff_of() { awk -v a="$1" -v b="$2" 'BEGIN { n = split(a, x, " "); split(b, y, " "); d = 0; for (i = 1; i <= n; ++i) d += (x[i] > y[i] ? x[i] - y[i] : y[i] - x[i]); print d }'; }
fail() { echo "FAIL: $*"; tail -n 20 "$work/out.log"; exit 1; }

cd "$build/bin"
start=$(now_ms)
SDL_VIDEODRIVER=x11 ALSOFT_DRIVERS=null /usr/bin/time -v -o "$work/time.txt" ./Game >"$work/out.log" 2>&1 &
time_pid=$!
game_pid=""
for _ in $(seq 100); do game_pid=$(pgrep -P "$time_pid" | head -n 1); [ -n "$game_pid" ] && break; sleep 0.01; done
[ -n "$game_pid" ] || fail "the game did not start"
alive() { kill -0 "$game_pid" 2>/dev/null || fail "the game ended early ($1)"; }

# The first picture: anything but black on the screen.
first=""
for _ in $(seq 1000); do
  alive "start"
  sig=$("$xshot" -) || fail "no screenshot"
  if [ "$(mean_of "$sig")" -gt 2 ]; then first=$(( $(now_ms) - start )); break; fi
done
[ -n "$first" ] || fail "no picture came"
window=$(xdotool search --sync --name "$title" 2>/dev/null | head -n 1)
[ -n "$window" ] || fail "no window named $title"
xdotool mousemove 1279 719

# The main menu: the first picture that holds still for three seconds (logos stay 1.5 s).
last=""; since=$(now_ms); menu=""
for _ in $(seq 2000); do
  alive "logos"
  sig=$("$xshot" -) || fail "no screenshot"
  if [ -n "$last" ] && [ "$(diff_of "$last" "$sig")" -lt 400 ] && [ "$(mean_of "$sig")" -gt 8 ]; then
    [ $(( $(now_ms) - since )) -gt 3000 ] && { menu=$(( $(now_ms) - start )); break; }
  else
    since=$(now_ms)
  fi
  last="$sig"
  sleep 0.05
done
[ -n "$menu" ] || fail "the main menu did not come"

# Frames over the measurement, with the CPU of the process and of its main thread meanwhile.
measure() {
  local process0 main0 process1 main1
  process0=$(cpu_ms "/proc/$game_pid/stat"); main0=$(cpu_ms "/proc/$game_pid/task/$game_pid/stat")
  read -r frames _ fps < <("$xframes" "$window" "$seconds") || fail "no frame count"
  process1=$(cpu_ms "/proc/$game_pid/stat"); main1=$(cpu_ms "/proc/$game_pid/task/$game_pid/stat")
  process=$(awk -v a="$process0" -v b="$process1" -v s="$seconds" 'BEGIN { printf "%.0f", (b - a) / (10 * s) }')
  main=$(awk -v a="$main0" -v b="$main1" -v f="$frames" 'BEGIN { printf "%.2f", (f > 0 ? (b - a) / f : 0) }')
  frame=$(awk -v f="$fps" 'BEGIN { printf "%.2f", (f > 0 ? 1000 / f : 0) }')
}
measure
echo "start of the binary to the first splash frame: $first ms (main menu after $menu ms)"
echo "idle main menu: $fps frames/s, process CPU $process% of one core, main thread $main ms per frame"

key() { alive "$1"; xdotool keydown "$1"; sleep 0.15; xdotool keyup "$1"; sleep 0.3; }
key Down; key Return; sleep 2.5                     # the level select
for _ in $(seq $(( (level - 1) / 3 ))); do key Down; done
for _ in $(seq $(( (level - 1) % 3 ))); do key Right; done
key Return
sleep 10                                             # loading screen, entry ride, landing
alive "play"
measure
"$xshot" "$work/play.png" >/dev/null && cp "$work/play.png" "${QEL_MEASURE_SHOT:-/dev/null}" 2>/dev/null
echo "play, level $level: $fps frames/s (frame time $frame ms), main thread $main ms CPU per frame, process CPU $process% of one core"

"$xclose" "$title" 10 >/dev/null || fail "could not close the window"
for _ in $(seq 100); do kill -0 "$time_pid" 2>/dev/null || break; sleep 0.1; done
wait "$time_pid"
time_pid=""
peak=$(awk -F: '/Maximum resident set size/ { gsub(/ /, "", $2); print int($2 / 1024) }' "$work/time.txt")
echo "peak memory (maximum resident set): $peak MB"
