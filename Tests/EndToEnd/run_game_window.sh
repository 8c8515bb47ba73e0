#!/usr/bin/env bash
# Starts the game in a window on a private Xvfb display, lets it run, checks the picture it shows
# (today: the clear colour of its settings), closes the window the way a window manager's close
# button does, and checks the exit status.
set -u
game="$1"
xclose="$2"
title=$(sed -n 's/.*"title": *"\([^"]*\)".*/\1/p' "$(dirname "$game")/settings/Game.json" | head -n 1)
work=$(mktemp -d)
trap 'kill $xvfb_pid 2>/dev/null; rm -rf "$work"' EXIT

display=":$((500 + RANDOM % 400))"   # clear of xvfb-run -a, which counts up from 99
Xvfb "$display" -screen 0 1280x720x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done

cd "$(dirname "$game")"
DISPLAY="$display" SDL_VIDEODRIVER=x11 ALSOFT_DRIVERS=null "$game" >"$work/out.log" 2>&1 &
game_pid=$!

sleep 4
if ! kill -0 "$game_pid" 2>/dev/null; then
  echo "FAIL: the game ended before it was closed"; cat "$work/out.log"; exit 1
fi
DISPLAY="$display" ffmpeg -loglevel error -y -f x11grab -draw_mouse 0 -video_size 1280x720 -i "$display" \
  -frames:v 1 "$work/shot.png" 2>/dev/null && cp "$work/shot.png" "${QEL_E2E_SHOT:-/dev/null}" 2>/dev/null
# The picture: pixels across the window are the settings' clear colour (sRGB, 8 bits a channel).
settings="$(dirname "$game")/settings/Game.json"
expected=$(tr -d '\n' <"$settings" | sed -n 's/.*"clear_color": *{\([^}]*\)}.*/\1/p' |
  awk -F'[:,]' '{for (i = 1; i < NF; i += 2) { gsub(/[" ]/, "", $i); v[$i] = $(i + 1) }
                 printf "%d %d %d", v["r"] * 255 + 0.5, v["g"] * 255 + 0.5, v["b"] * 255 + 0.5}')
[ -n "$expected" ] || { echo "FAIL: no clear_color in $settings"; kill "$game_pid"; exit 1; }
if [ ! -s "$work/shot.png" ]; then echo "FAIL: no screenshot"; kill "$game_pid"; exit 1; fi
for spot in "8:8" "640:360" "1270:710"; do
  got=$(ffmpeg -loglevel error -i "$work/shot.png" -vf "crop=1:1:${spot}" -f rawvideo -pix_fmt rgb24 - | od -An -tu1 | xargs)
  read -r er eg eb <<<"$expected"; read -r gr gg gb <<<"$got"
  for pair in "$er:$gr" "$eg:$gg" "$eb:$gb"; do
    e=${pair%%:*}; g=${pair##*:}
    if [ -z "$g" ] || [ $((e > g ? e - g : g - e)) -gt 2 ]; then
      echo "FAIL: pixel at $spot is ($got), not the clear colour ($expected)"; kill "$game_pid"; exit 1
    fi
  done
done
echo "picture: the clear colour ($expected) across the window"
DISPLAY="$display" "$xclose" "$title" 10 || { echo "FAIL: could not close the window"; kill "$game_pid"; exit 1; }

for _ in $(seq 100); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$game_pid" 2>/dev/null; then
  echo "FAIL: the game did not exit after its window was closed"; kill -9 "$game_pid"; exit 1
fi
wait "$game_pid"; status=$?
cat "$work/out.log"
if [ "$status" -ne 0 ]; then echo "FAIL: exit status $status"; exit 1; fi
echo "PASS: the game ran in a window and exited 0 when closed"
