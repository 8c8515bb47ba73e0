#!/usr/bin/env bash
# Builds everything and runs every test: unit tests, headless GL tests (EGL on Mesa) and the
# end-to-end run of the real game in a window under Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash Tools/build.sh
export MESA_SHADER_CACHE_DISABLE=true
ctest --test-dir build --output-on-failure -j"$(nproc)"
