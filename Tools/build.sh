#!/usr/bin/env bash
# Sets up the machine (Debian packages), configures and builds everything into ./build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash Tools/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
