#!/usr/bin/env bash
# Checks that every C++ file is formatted as the repository's .clang-format says, then runs
# clang-tidy (.clang-tidy) over every source file of the ci build, two at a time. Any difference
# or finding fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
EXTRA_PACKAGES="clang-format clang-tidy" ./scripts/install-deps.sh

mapfile -t files < <(find src tests bench fuzz -name '*.cpp' -o -name '*.h' | sort)
echo "== clang-format: ${#files[@]} files"
clang-format --dry-run --Werror "${files[@]}"

# clang-tidy takes each file's flags from the ci preset's compile commands.
cmake --preset ci >/dev/null
echo "== clang-tidy"
run-clang-tidy -p build/ci -j 2 -quiet "$PWD/(src|tests|bench|fuzz)/" >build/ci/clang-tidy.log 2>&1 ||
    { cat build/ci/clang-tidy.log; exit 1; }
echo "clang-tidy: no findings"
