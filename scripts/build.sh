#!/usr/bin/env bash
# Configures and builds Memvane into BUILD_DIR (default: build); extra arguments go to cmake.
# Ninja prints a line for every file it compiles, so a first build shows its progress.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${BUILD_DIR:-build}"
if [ ! -f "$build_dir/build.ninja" ] || [ $# -gt 0 ]; then
    echo "build: configuring $build_dir"
    cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" "$@" \
        >/dev/null
fi
echo "build: building $build_dir (a first build takes a few minutes)"
cmake --build "$build_dir"
