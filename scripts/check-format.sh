#!/usr/bin/env bash
# Fails, naming the files, when a tracked C++ file is not as clang-format writes it.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
unformatted=()
for file in "${files[@]}"; do
    if ! clang-format --dry-run --Werror "$file" >/dev/null 2>&1; then
        unformatted+=("$file")
    fi
done
if [ ${#unformatted[@]} -ne 0 ]; then
    printf '  %s\n' "${unformatted[@]}" >&2
    echo "check-format: FAILED: ${#unformatted[@]} file(s) differ from clang-format;" \
        "run: clang-format -i FILE" >&2
    exit 1
fi
echo "check-format: PASSED: ${#files[@]} files as clang-format writes them"
