#!/usr/bin/env bash
# Builds Memvane with AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer into
# build-asan (BUILD_DIR overrides) and runs every test; any sanitizer report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
build_dir="${BUILD_DIR:-build-asan}"

scripts/install-deps.sh

# Assertions on, at -O1 as AddressSanitizer advises: the suite takes about 70 % of its time at
# -O0, and line tables alone (-g1) keep every report's file and line while building faster.
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g1" \
    -DMEMVANE_SANITIZE=ON >/dev/null
cmake --build "$build_dir"

# Reports go to files as well as failing the process: a child started through QProcess may
# die of a report without its test noticing, and the files catch that.
logs="$root/$build_dir/sanitizer-logs"
rm -rf "$logs"
mkdir -p "$logs"
common="halt_on_error=1:abort_on_error=1:print_stacktrace=1:log_path=$logs/report"
export ASAN_OPTIONS="$common:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1"
export UBSAN_OPTIONS="$common"
# LeakSanitizer runs at each exit with no suppressions: Qt, fontconfig and the rest report
# nothing here, so any leak report is the program's.

status=0
ctest --test-dir "$build_dir" --output-on-failure -j2 || status=$?

reports=("$logs"/report.*)
if [ -e "${reports[0]}" ]; then
    for report in "${reports[@]}"; do
        echo "=== $report"
        cat "$report"
    done
    echo "test-sanitizers: FAILED: ${#reports[@]} sanitizer report(s), printed above" >&2
    exit 1
fi
if [ "$status" -ne 0 ]; then
    echo "test-sanitizers: FAILED: ctest exited with $status" >&2
    exit "$status"
fi
echo "test-sanitizers: PASSED: every test ran clean under ASan, UBSan and LSan"
