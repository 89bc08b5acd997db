#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the core preset (the libraries without Qt, no window, no command line) with warnings as
# errors and runs their tests: a library that picks up a Qt dependency, or a test that needs the
# window, fails here.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake --preset core
cmake --build --preset core
ctest --preset core -j2
