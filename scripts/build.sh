#!/usr/bin/env bash
# Configures and builds Memvane into BUILD_DIR (default: build); extra arguments go to cmake.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${BUILD_DIR:-build}"
if [ ! -f "$build_dir/build.ninja" ] || [ $# -gt 0 ]; then
    cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" "$@" >/dev/null
fi
cmake --build "$build_dir"
