#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the format check, the suite, the
# suite again under AddressSanitizer and UndefinedBehaviorSanitizer, and the fuzz targets for
# a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
# Each phase says how long the one before it took, and the end how long the whole run took.
current=
finish() {
    [ -z "$current" ] || echo "=== test: $current took $((SECONDS - last)) s"
}
phase() {
    finish
    last=$SECONDS
    current="$*"
    echo
    echo "=== test: $*"
}
phase "1/6 packages"
scripts/install-deps.sh
phase "2/6 format"
scripts/check-format.sh
phase "3/6 build, warnings as errors, with the benchmark and the screenshot tool"
scripts/build.sh -DMEMVANE_WERROR=ON -DMEMVANE_EXTRAS=ON
phase "4/6 the suite"
ctest --test-dir build --output-on-failure -j2
phase "5/6 the suite under ASan, UBSan and LSan"
scripts/test-sanitizers.sh
phase "6/6 fuzzing"
scripts/fuzz.sh
finish
echo
echo "=== test: PASSED: every phase, in $SECONDS s"
