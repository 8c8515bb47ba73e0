#!/usr/bin/env bash
# With no display (none set, or one that points nowhere) the game stops at once, says it needs a
# display and exits non-zero, instead of running on a surface nobody sees.
set -u
game="$1"
cd "$(dirname "$game")"
fail=0
for case in unset nowhere; do
  if [ "$case" = unset ]; then
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER ALSOFT_DRIVERS=null timeout 20 "$game" 2>&1); status=$?
  else
    out=$(env -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER DISPLAY=:4711 ALSOFT_DRIVERS=null timeout 20 "$game" 2>&1); status=$?
  fi
  if [ "$status" -eq 0 ] || [ "$status" -eq 124 ]; then
    echo "FAIL ($case): exit status $status"; fail=1
  fi
  if ! grep -q "The game needs a display" <<<"$out"; then
    echo "FAIL ($case): no message about the display:"; echo "$out"; fail=1
  fi
done
[ "$fail" -eq 0 ] && echo "PASS: no display, a clear message and a non-zero exit"
exit "$fail"
