#!/usr/bin/env bash
# Configures, builds and runs the whole test suite. Extra arguments go to ctest (for example -L unit).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" "$@"
