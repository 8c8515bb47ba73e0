#!/usr/bin/env bash
# Starts the game in a window on a private Xvfb display, lets it run, checks the picture it shows
# (the first splash screen), closes the window the way a window manager's close
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

# The picture: the first splash screen fades in, the studio's owl emblem bright in the middle of a
# dark blue field. Looks every fifth of a second for up to ten seconds.
pixel() { ffmpeg -loglevel error -i "$work/shot.png" -vf "crop=1:1:$1" -f rawvideo -pix_fmt rgb24 - | od -An -tu1 | xargs; }
seen=0
for _ in $(seq 50); do
  if ! kill -0 "$game_pid" 2>/dev/null; then
    echo "FAIL: the game ended before it was closed"; cat "$work/out.log"; exit 1
  fi
  if DISPLAY="$display" ffmpeg -loglevel error -y -f x11grab -draw_mouse 0 -video_size 1280x720 -i "$display" \
       -frames:v 1 "$work/shot.png" 2>/dev/null && [ -s "$work/shot.png" ]; then
    read -r er eg eb <<<"$(pixel 640:330)"   # the owl's body
    read -r fr fg fb <<<"$(pixel 40:360)"    # the field at the left edge
    if [ "${er:-0}" -gt 110 ] && [ "${er:-0}" -gt "${eb:-0}" ] && [ "${fb:-0}" -gt "${fr:-0}" ] &&
       [ $(( ${fr:-255} + ${fg:-255} + ${fb:-255} )) -lt 240 ]; then seen=1; break; fi
  fi
  sleep 0.2
done
cp "$work/shot.png" "${QEL_E2E_SHOT:-/dev/null}" 2>/dev/null
if [ "$seen" -ne 1 ]; then
  echo "FAIL: the studio splash never showed (last look: owl ($er $eg $eb), field ($fr $fg $fb))"; kill "$game_pid"; exit 1
fi
echo "picture: the studio splash (owl ($er $eg $eb) on a blue field ($fr $fg $fb))"
DISPLAY="$display" "$xclose" "$title" 10 || { echo "FAIL: could not close the window"; kill "$game_pid"; exit 1; }

for _ in $(seq 100); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$game_pid" 2>/dev/null; then
  echo "FAIL: the game did not exit after its window was closed"; kill -9 "$game_pid"; exit 1
fi
wait "$game_pid"; status=$?
cat "$work/out.log"
if [ "$status" -ne 0 ]; then echo "FAIL: exit status $status"; exit 1; fi
echo "PASS: the game ran in a window and exited 0 when closed"
