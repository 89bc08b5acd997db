#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing (the convolution engines the tests run too), builds everything with
# warnings as errors and runs the whole test suite headless.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh --engines
export QT_QPA_PLATFORM=offscreen
cmake --preset ci
cmake --build --preset ci
ctest --preset ci -j2
