#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer targets with clang and runs each for a bounded time (FUZZ_SECONDS, 20 by
# default) on a copy of its seed corpus in fuzz/corpus, with inputs up to its longest length.
# Exits non-zero on any crash, hang or sanitizer report.
set -euo pipefail
cd "$(dirname "$0")/.."
EXTRA_PACKAGES="clang libclang-rt-14-dev" ./scripts/install-deps.sh
seconds="${FUZZ_SECONDS:-20}"
cmake --preset fuzz
# Each target with the longest input it is given: field texts are short, design, FRD and WAV
# files longer.
targets=(int_conversion:256 float_conversion:256 fixed_format:256 design_file:4096 frd_reader:4096
    wav_reader:4096)
cmake --build --preset fuzz --target "${targets[@]/%:*/_fuzzer}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
for target in "${targets[@]}"; do
    name="${target%%:*}"
    max_len="${target##*:}"
    mkdir -p "$work/$name"
    cp fuzz/corpus/"$name"/* "$work/$name/"
    echo "== fuzzing $name for ${seconds}s"
    log="$work/$name.log"
    status=0
    ./build/fuzz/fuzz/"${name}_fuzzer" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 \
        -print_final_stats=1 -artifact_prefix="$work/" "$work/$name" >"$log" 2>&1 || status=$?
    grep -E "stat::number_of_executed_units|^Done" "$log" || true
    if [ "$status" -ne 0 ]; then
        cat "$log"
        # The work directory goes with the run: the failing inputs are printed so that a failure
        # on a CI machine can be reproduced (base64 -d, then the fuzzer with the file).
        for artifact in "$work"/crash-* "$work"/timeout-* "$work"/leak-* "$work"/oom-*; do
            [ -e "$artifact" ] || continue
            echo "== $(basename "$artifact") (base64)"
            base64 "$artifact"
        done
        exit "$status"
    fi
done
