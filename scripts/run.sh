#!/usr/bin/env bash
# Installs what is missing, builds, and starts Memvane on the shipped question bank.
set -euo pipefail
cd "$(dirname "$0")/.."
echo "run: checking the packages Memvane needs"
scripts/install-deps.sh
scripts/build.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "Memvane needs a graphical desktop, and this session has none (DISPLAY is not set)." >&2
    echo "On a machine without a screen, run it inside a virtual one: xvfb-run scripts/run.sh" >&2
    exit 1
fi
echo "run: starting build/memvane/memvane"
exec build/memvane/memvane
