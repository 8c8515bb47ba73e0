#!/usr/bin/env bash
# Starts the game in a window on a private Xvfb display, lets it run, closes the window the way
# a window manager's close button does, and checks the exit status and the frames it drew.
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
DISPLAY="$display" "$xclose" "$title" 10 || { echo "FAIL: could not close the window"; kill "$game_pid"; exit 1; }

for _ in $(seq 100); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$game_pid" 2>/dev/null; then
  echo "FAIL: the game did not exit after its window was closed"; kill -9 "$game_pid"; exit 1
fi
wait "$game_pid"; status=$?
cat "$work/out.log"
if [ "$status" -ne 0 ]; then echo "FAIL: exit status $status"; exit 1; fi
echo "PASS: the game ran in a window and exited 0 when closed"
