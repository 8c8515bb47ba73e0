#!/usr/bin/env bash
# Builds the game and starts it from its build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
bash Tools/build.sh
cd build/bin
exec ./Game
