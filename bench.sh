#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds the benchmarks (release) and runs them: the design, the
# evaluation and the whole calculation by the fast and the literal methods, the peak memory of a
# calculation at 100001 taps a band, and the redraw of the graph (without pixels, and into Qt
# images), the time-response window following a calculation, the acoustic view's update after a
# change of gain, and the exports at the six rates 44.1 ... 192 kHz (in process and as one run of
# the command line). Arguments go to every benchmark program, e.g.
# --benchmark_filter=Calculation.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
cmake --preset bench
cmake --build --preset bench \
    --target kc_bench kc_qt_bench kc_time_bench kc_acoustic_bench kc_export_bench --parallel 2
./build/bench/bench/kc_bench "$@"
QT_QPA_PLATFORM=offscreen ./build/bench/bench/kc_qt_bench "$@"
QT_QPA_PLATFORM=offscreen ./build/bench/bench/kc_time_bench "$@"
QT_QPA_PLATFORM=offscreen ./build/bench/bench/kc_acoustic_bench "$@"
./build/bench/bench/kc_export_bench "$@"
