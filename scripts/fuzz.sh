#!/usr/bin/env bash
# Builds the libFuzzer targets in build-fuzz (BUILD_DIR overrides), replays fuzz/regressions/,
# then fuzzes the targets side by side for FUZZ_SECONDS each (default 60). Exits non-zero on any
# crash.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
build_dir="${BUILD_DIR:-build-fuzz}"
seconds="${FUZZ_SECONDS:-60}"
targets=(query csv deck)

scripts/install-deps.sh

# memvane_store, under the fuzz targets, must carry the coverage and sanitizer instrumentation
# too, so the flags go in globally here; the fuzz targets add -fsanitize=fuzzer (libFuzzer's main) at link.
if [ ! -f "$build_dir/build.ninja" ]; then
    cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER=clang++ -DMEMVANE_FUZZ=ON -DBUILD_TESTING=OFF \
        -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer" \
        >/dev/null
fi
cmake --build "$build_dir" --target "${targets[@]/%/_fuzzer}"

export ASAN_OPTIONS="halt_on_error=1:print_stacktrace=1:detect_leaks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"

work="$root/$build_dir/fuzzing"
mkdir -p "$work"
failed=()

# Every input ever kept as a regression must still pass; README.txt only explains the folder.
# One run per file: libFuzzer stops at the first failing file, and each one should be named.
for target in "${targets[@]}"; do
    fuzzer="$build_dir/fuzz/${target}_fuzzer"
    count=0
    for file in fuzz/regressions/"$target"/*; do
        [ -f "$file" ] && [ "$(basename "$file")" != README.txt ] || continue
        count=$((count + 1))
        log="$work/regression-$target-$(basename "$file").log"
        if ! "$fuzzer" "$file" >"$log" 2>&1; then
            grep -E "^${target}_fuzzer: |^SUMMARY" "$log" || tail -n 20 "$log"
            echo "fuzz: $target: regression input FAILS: $file (log: $log)" >&2
            failed+=("$file")
        fi
    done
    echo "fuzz: $target: $count regression input(s) replayed"
done

# The targets fuzz side by side, one a core, each for the whole time.
declare -A pids
for target in "${targets[@]}"; do
    fuzzer="$build_dir/fuzz/${target}_fuzzer"
    # The scratch corpus lives in the build dir and grows across runs; the seeds are refreshed
    # each time but the source tree is never written.
    corpus="$work/corpus-$target"
    crashes="$work/crashes-$target"
    mkdir -p "$corpus" "$crashes"
    cp fuzz/corpus/"$target"/* "$corpus"/
    case "$target" in
    query) max_len=1024 ;;
    *) max_len=4096 ;;
    esac
    log="$work/$target.log"
    echo "fuzz: $target: fuzzing for $seconds s (log: $log)"
    "$fuzzer" "$corpus" -dict="fuzz/$target.dict" -max_total_time="$seconds" \
        -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$crashes/" >"$log" 2>&1 &
    pids[$target]=$!
done

for target in "${targets[@]}"; do
    fuzzer="$build_dir/fuzz/${target}_fuzzer"
    corpus="$work/corpus-$target"
    crashes="$work/crashes-$target"
    log="$work/$target.log"
    status=0
    wait "${pids[$target]}" || status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
    files=$(find "$corpus" -type f | wc -l)
    echo "fuzz: $target: ${runs:-?} runs, ${speed:-?} execs/s, corpus $files files"
    if [ "$status" -ne 0 ]; then
        tail -n 60 "$log"
        echo "fuzz: $target: CRASH (exit $status). Input saved as:" >&2
        sed -n 's/^.*Test unit written to //p' "$log" | sed 's/^/    /' >&2
        echo "Copy it into fuzz/regressions/$target/ (a name that says what broke) and fix the" \
            "program; rerun: $fuzzer <file>" >&2
        failed+=("$target")
    fi
done

if [ ${#failed[@]} -ne 0 ]; then
    echo "fuzz: FAILED: ${failed[*]}" >&2
    exit 1
fi
echo "fuzz: PASSED: no crash in ${targets[*]}"
