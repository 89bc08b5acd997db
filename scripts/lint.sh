#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks that every source file names its licence and every C++ file is formatted as the
# repository's .clang-format says, then runs clang-tidy (.clang-tidy) over every source file of
# the ci build, two at a time. Any missing line, difference or finding fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
EXTRA_PACKAGES="clang-format clang-tidy" ./scripts/install-deps.sh

# Every source file names its licence in its first lines.
mapfile -t sources < <(git ls-files | grep -E '\.(cpp|h|cmake|sh|py)$|CMakeLists\.txt$|^\.ci/run$|bash-completion$')
unlicensed=()
for source in "${sources[@]}"; do
    head -n 3 "$source" | grep -q 'SPDX-License-Identifier: GPL-3.0-or-later' || unlicensed+=("$source")
done
echo "== licence lines: ${#sources[@]} files"
if [ ${#unlicensed[@]} -gt 0 ]; then
    printf 'no SPDX-License-Identifier line: %s\n' "${unlicensed[@]}"
    exit 1
fi

mapfile -t files < <(find src tests bench fuzz -name '*.cpp' -o -name '*.h' | sort)
echo "== clang-format: ${#files[@]} files"
clang-format --dry-run --Werror "${files[@]}"

# clang-tidy takes each file's flags from the ci preset's compile commands.
cmake --preset ci >/dev/null
echo "== clang-tidy"
run-clang-tidy -p build/ci -j 2 -quiet "$PWD/(src|tests|bench|fuzz)/" >build/ci/clang-tidy.log 2>&1 ||
    { cat build/ci/clang-tidy.log; exit 1; }
echo "clang-tidy: no findings"
