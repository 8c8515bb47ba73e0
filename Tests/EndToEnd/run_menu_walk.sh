#!/usr/bin/env bash
# Walks the real game through its screens on a private Xvfb display with injected key presses:
# splash screens, main menu, level select, options (a volume and the window mode), credits,
# intro (skipped), loading screen, pause menu, in-game settings, back to the main menu, quit.
# Saves a screenshot of each screen into $QEL_E2E_SHOTS and fails when the game dies, a screen
# does not come, or the game does not quit through its menu. Screens are told apart by a coarse
# brightness signature of the picture, so the walk waits for each screen instead of guessing times.
set -u
game="$1"
xshot="$2"
shots="${QEL_E2E_SHOTS:-$(pwd)/menu_walk_shots}"
mkdir -p "$shots"
rm -f "$shots"/*.png
title=$(sed -n 's/.*"title": *"\([^"]*\)".*/\1/p' "$(dirname "$game")/settings/Game.json" | head -n 1)
work=$(mktemp -d)
game_pid=""
trap 'kill $xvfb_pid 2>/dev/null; [ -n "$game_pid" ] && kill $game_pid 2>/dev/null; rm -rf "$work"' EXIT

display=":$((100 + RANDOM % 390))"
Xvfb "$display" -screen 0 1280x720x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
export DISPLAY="$display"

cd "$(dirname "$game")"
SDL_VIDEODRIVER=x11 ALSOFT_DRIVERS=null "$game" >"$work/out.log" 2>&1 &
game_pid=$!

fail() { echo "FAIL: $*"; grep -v "was not found in the asset folders" "$work/out.log"; exit 1; }
alive() { kill -0 "$game_pid" 2>/dev/null || fail "the game ended early ($1)"; }

window=$(xdotool search --sync --name "$title" 2>/dev/null | head -n 1)
[ -n "$window" ] || fail "no window named $title"
xdotool mousemove 1279 719   # out of the way of every button

sig=""
grab() { sig=$("$xshot" "$1") || fail "no screenshot"; }
diff_of() { awk -v a="$1" -v b="$2" 'BEGIN { n = split(a, x, " "); split(b, y, " "); d = 0; for (i = 1; i <= n; ++i) d += (x[i] > y[i] ? x[i] - y[i] : y[i] - x[i]); print d }'; }
mean_of() { awk -v a="$1" 'BEGIN { n = split(a, x, " "); s = 0; for (i = 1; i <= n; ++i) s += x[i]; print int(s / n) }'; }

# Waits for the next screen after a fade: the picture darkens (or changes a lot) from $1 (a
# signature; empty: from nothing), then holds still over two looks, brighter than $2 on average;
# saves it as $3.
await() {
  local previous="$1" minimum="$2" name="$3" last="" changed=0 before=0
  [ -n "$previous" ] && before=$(mean_of "$previous")
  for _ in $(seq 400); do
    alive "$name"
    grab -
    if [ "$changed" -eq 0 ]; then
      if [ -z "$previous" ] || [ "$(diff_of "$previous" "$sig")" -gt 450 ] ||
         [ $(( $(mean_of "$sig") * 10 )) -lt $(( before * 6 )) ]; then changed=1; fi
    elif [ -n "$last" ] && [ "$(diff_of "$last" "$sig")" -lt 150 ] && [ "$(mean_of "$sig")" -gt "$minimum" ]; then
      grab "$shots/$name.png"; echo "screen $name"; return
    fi
    last="$sig"
    sleep 0.05
  done
  fail "screen $name did not come"
}
still() { sleep "${2:-1.0}"; alive "$1"; grab "$shots/$1.png"; echo "screen $1"; }
key() {
  alive "$1"
  xdotool keydown "$1"; sleep 0.15; xdotool keyup "$1"; sleep 0.3
}
hold() { alive "$1"; xdotool keydown "$1"; sleep "$2"; xdotool keyup "$1"; sleep 0.2; }

# The logos: each picture that holds still is saved in turn; the main menu is the first one after
# the first logo that stays for more than three seconds (a logo shows for 1.5 s of game time; the
# first one may stay longer on the clock of a slow machine, while the screens behind it load and
# frames take more than the 0.03 s an update counts). A slow machine may miss a logo's picture;
# the walk goes on, and says so.
now() { date +%s%N | cut -c1-13; }   # milliseconds
names=(01_splash_studio 02_splash_engine 03_splash_libraries)
saved=0; last=""; since=$(now); taken=0; menu=""; stills=0
for _ in $(seq 2000); do
  alive logos
  grab -
  if [ -n "$last" ] && [ "$(diff_of "$last" "$sig")" -lt 150 ] && [ "$(mean_of "$sig")" -gt 8 ]; then
    held=$(( $(now) - since ))
    if [ "$held" -gt 3000 ] && [ "$stills" -gt 1 ]; then grab "$shots/04_main_menu.png"; menu="$sig"; echo "screen 04_main_menu"; break; fi
    if [ "$taken" -eq 0 ] && [ "$held" -gt 150 ]; then
      stills=$((stills + 1)); taken=1
      if [ "$saved" -lt 3 ]; then grab "$shots/${names[$saved]}.png"; echo "screen ${names[$saved]}"; saved=$((saved + 1)); fi
    fi
  else
    since=$(now); taken=0
  fi
  last="$sig"
  sleep 0.05
done
[ -n "$menu" ] || fail "the main menu did not come"
[ "$saved" -ge 1 ] || fail "no logo was seen before the main menu"
[ "$saved" -eq 3 ] || echo "note: $saved of the 3 logos were caught on screen (the machine is slow)"

key Down; key Return
await "$menu" 8 05_level_select;        select="$sig"
key Escape
await "$select" 8 06_main_menu_again;   menu="$sig"
key Down; key Return                                   # "Options" (the selection stayed on Level Select)
await "$menu" 8 07_options;             options="$sig"
key Down; hold Right 0.6                               # music volume up
key Down; key Down; key Down; key Return               # "Windowed"
still 08_options_windowed
key Escape                                             # back; the menu is rebuilt with Start Game selected
await "$options" 8 09_main_menu_rebuilt; menu="$sig"
key Down; key Down; key Down; key Return               # "Credits"
await "$menu" 8 10_credits;             credits="$sig"
key Escape
await "$credits" 8 11_main_menu;        menu="$sig"
key Up; key Up; key Up; key Return                     # "Start Game"
await "$menu" 8 12_intro;               intro="$sig"
key Escape                                             # skip the film
await "$intro" -1 13_loading;            loading="$sig"
await "$loading" -1 14_play_screen;     play="$sig"
key Escape                                             # pause (no fade)
still 15_pause;                         pause="$sig"
key Down; key Return                                   # "Options" of the pause menu (no fade)
still 16_in_game_settings
key Escape
still 17_pause_again
key Down; key Down; key Return                         # "Main Menu"
await "$pause" 8 18_back_to_menu
key Up; key Return                                     # "Quit" (up from Start Game wraps round)

for _ in $(seq 100); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$game_pid" 2>/dev/null && fail "the game did not quit from its main menu"
wait "$game_pid"; status=$?
game_pid=""
[ "$status" -eq 0 ] || fail "exit status $status"
echo "PASS: walked every screen; screenshots in $shots"
