#!/usr/bin/env bash
# Both bunnymark programs, headless, draw the same frames of the same scene; their back buffers
# must match byte for byte. Several sizes, so full batches and a partial last one both count.
set -u
engine="$1"
reference="$2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for sprites in 0 1 3000; do
  "$engine" --sprites "$sprites" --frames 7 --warmup 3 --capture "$work/engine.rgba" >"$work/engine.log" 2>&1 ||
    { echo "FAIL: the engine's bunnymark failed at $sprites sprites"; cat "$work/engine.log"; exit 1; }
  "$reference" --sprites "$sprites" --frames 7 --warmup 3 --capture "$work/reference.rgba" >"$work/reference.log" 2>&1 ||
    { echo "FAIL: the reference bunnymark failed at $sprites sprites"; cat "$work/reference.log"; exit 1; }
  size=$(stat -c %s "$work/engine.rgba")
  if [ "$size" -ne $((800 * 450 * 4)) ]; then echo "FAIL: capture of $size bytes"; exit 1; fi
  if cmp -s "$work/engine.rgba" "$work/reference.rgba"; then
    echo "same pixels at $sprites sprites"
  else
    echo "FAIL: the pictures differ at $sprites sprites ($(cmp -l "$work/engine.rgba" "$work/reference.rgba" | wc -l) bytes)"
    status=1
  fi
done
# The scene must actually show bunnies: the 3000-sprite picture is not the clear colour alone.
if [ "$(od -An -v -tu1 -w4 "$work/engine.rgba" | sort -u | wc -l)" -lt 50 ]; then
  echo "FAIL: the picture holds almost no colours"; status=1
fi
exit $status
