#!/usr/bin/env bash
# "start_maximized" under a real window manager (openbox): the game's framed window fills the
# screen's width, and its picture follows. Runs a copy of the game whose settings beside it ask
# for a small maximised window.
set -u
game="$1"
bin=$(dirname "$game")
work=$(mktemp -d)
xvfb_pid=""; wm_pid=""; game_pid=""
cleanup() {
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/settings"
cp "$game" "$work/Game"
cat >"$work/settings/Game.json" <<JSON
{
  "assets_path": {"engine": "$bin/assets/engine", "game": "$bin/assets/game", "cooked": "$bin/assets/cooked"},
  "window_settings": {"title": "maximised window", "window_size": {"w": 640, "h": 360},
                      "enable_vsync": true, "start_maximized": true}
}
JSON

display=":$((500 + RANDOM % 400))"
Xvfb "$display" -screen 0 1600x900x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
DISPLAY="$display" openbox >"$work/wm.log" 2>&1 &
wm_pid=$!
sleep 1

cd "$work"
DISPLAY="$display" SDL_VIDEODRIVER=x11 ALSOFT_DRIVERS=null ./Game >"$work/out.log" 2>&1 &
game_pid=$!
window=""
for _ in $(seq 50); do
  window=$(DISPLAY="$display" xdotool search --name "^maximised window$" 2>/dev/null | head -n 1)
  [ -n "$window" ] && break; sleep 0.1
done
[ -n "$window" ] || { echo "FAIL: no window appeared"; cat "$work/out.log"; exit 1; }
sleep 2
width=$(DISPLAY="$display" xdotool getwindowgeometry --shell "$window" | sed -n 's/^WIDTH=//p')
height=$(DISPLAY="$display" xdotool getwindowgeometry --shell "$window" | sed -n 's/^HEIGHT=//p')
echo "window: ${width}x${height} on a 1600x900 screen (asked for 640x360, maximised)"
if [ "${width:-0}" -lt 1580 ] || [ "${height:-0}" -lt 700 ]; then
  echo "FAIL: the window was not maximised"; cat "$work/out.log"; exit 1
fi
if ! kill -0 "$game_pid" 2>/dev/null; then echo "FAIL: the game ended"; cat "$work/out.log"; exit 1; fi
echo "PASS: start_maximized maximises the window under a window manager"
