#!/usr/bin/env bash
# Builds, then writes pictures of every window into build/screenshots.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh -DMEMVANE_EXTRAS=ON
build/memvane-screenshots build/memvane/db/voreldb.mdb build/screenshots
